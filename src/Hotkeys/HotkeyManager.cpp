#include "Hotkeys/HotkeyManager.h"

#include "Debug/DebugLog.h"
#include "Platform/GlobalHotkeys.h"
#include "Platform/KeyboardInfo.h"
#include "Storage/SettingsManager.h"

#include <QKeyEvent>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <utility>

HotkeyManager::HotkeyManager(GlobalHotkeys& backend, KeyboardInfo& keyboard, QObject* parent)
    : QObject(parent)
    , m_backend(backend)
    , m_keyboard(keyboard)
{
}

void HotkeyManager::installHandlerIfNeeded()
{
    if (m_handlerInstalled)
        return;
    QPointer<HotkeyManager> self(this);
    m_backend.installHandler([self](uint32_t id) {
        if (self)
            self->handleHotKey(id);
    });
    m_handlerInstalled = true;
}

bool HotkeyManager::isSafeGlobalCombo(const HotkeyCombo& combo)
{
    if (combo.carbonModifiers & (HotkeyCombo::command | HotkeyCombo::option | HotkeyCombo::control))
        return true;
    // Function keys type nothing, so Shift alone (or nothing) is harmless there.
    static const QSet<uint32_t> functionKeys = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109,
                                                103, 111, 105, 107, 113, 106};
    return functionKeys.contains(combo.keyCode);
}

void HotkeyManager::registerAll(const SettingsManager& settings)
{
    installHandlerIfNeeded();
    unregisterAll();

    QSet<QPair<uint32_t, uint32_t>> taken;
    for (const HotkeyAction action : allCases<HotkeyAction>()) {
        const HotkeyCombo combo = settings.hotkey(action);
        std::vector<HotkeyCombo> list{combo};
        if (action == HotkeyAction::captureArea
            && combo == SettingsManager::defaultHotkey(HotkeyAction::captureArea, m_keyboard.isISO())) {
            constexpr uint32_t shiftCmd = HotkeyCombo::shift | HotkeyCombo::command;
            list.push_back({50, shiftCmd});
            list.push_back({50, HotkeyCombo::command});
            list.push_back({43, shiftCmd});
            list.push_back({47, shiftCmd});
        }
        for (const HotkeyCombo& c : list) {
            const QPair<uint32_t, uint32_t> key(c.keyCode, c.carbonModifiers);
            if (taken.contains(key))
                continue;
            taken.insert(key);
            registerCombo(action, c);
        }
    }
}

void HotkeyManager::registerCombo(HotkeyAction action, const HotkeyCombo& combo)
{
    const uint32_t id = m_nextID++;
    const int status = isSafeGlobalCombo(combo)
        ? m_backend.registerHotkey(id, combo.keyCode, combo.carbonModifiers)
        : statusRefusedPlainKey;
    const QString raw = rawValue(action);
    if (status == 0) {
        m_refs.push_back(id);
        m_idToAction.insert(id, action);
        m_idToCombo.insert(id, combo);
        DebugLog::write(QStringLiteral("Hotkey registriert action=%1 keyCode=%2 mods=%3 id=%4")
                            .arg(raw)
                            .arg(combo.keyCode)
                            .arg(combo.carbonModifiers)
                            .arg(id));
    } else {
        DebugLog::write(QStringLiteral("Hotkey FEHLER action=%1 keyCode=%2 mods=%3 status=%4")
                            .arg(raw)
                            .arg(combo.keyCode)
                            .arg(combo.carbonModifiers)
                            .arg(status));
    }
}

void HotkeyManager::unregisterAll()
{
    for (uint32_t ref : m_refs)
        m_backend.unregisterHotkey(ref);
    m_refs.clear();
    m_idToAction.clear();
    m_idToCombo.clear();
}

bool HotkeyManager::matches(HotkeyAction action, const QKeyEvent& event) const
{
    const auto combo = HotkeyCombo::from(event);
    return combo && isRegistered(action, *combo);
}

bool HotkeyManager::isRegistered(HotkeyAction action, const HotkeyCombo& combo) const
{
    for (auto it = m_idToAction.cbegin(); it != m_idToAction.cend(); ++it)
        if (it.value() == action && m_idToCombo.value(it.key()) == combo)
            return true;
    return false;
}

void HotkeyManager::handleHotKey(uint32_t id)
{
    // The action runs on a later turn of the event loop, never inside the
    // platform's event handling.
    QTimer::singleShot(0, this, [this, id] {
        const auto it = m_idToAction.constFind(id);
        if (it == m_idToAction.constEnd()) {
            DebugLog::write(QStringLiteral("Hotkey-Event empfangen id=%1 -> UNBEKANNT").arg(id));
            return;
        }
        const HotkeyAction action = it.value();
        DebugLog::write(QStringLiteral("Hotkey-Event empfangen id=%1 -> %2").arg(id).arg(rawValue(action)));
        if (onAction)
            onAction(action);
    });
}
