#include "Storage/SettingsManager.h"

#include "Debug/DebugLog.h"
#include "Platform/KeyboardInfo.h"
#include "Platform/LoginItemService.h"
#include "Platform/SettingsKeys.h"
#include "Platform/UserDefaults.h"

#include <QtGlobal>

SettingsManager::SettingsManager(UserDefaults& defaults, LoginItemService& loginItem, KeyboardInfo& keyboard,
                                 QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_loginItem(loginItem)
    , m_keyboard(keyboard)
{
    const QString key = QString::fromLatin1(SettingsKeys::settings);
    if (const auto data = m_defaults.data(key)) {
        if (const auto decoded = AppSettings::decode(*data)) {
            m_settings = *decoded;
        } else {
            // The defaults are written back below; keep what the user had so a
            // record from another version is not silently lost.
            m_defaults.setValue(QString::fromLatin1(SettingsKeys::unreadableSettings), *data);
            DebugLog::write(QStringLiteral("SETTINGS: gespeicherte Einstellungen nicht lesbar, gesichert unter %1")
                                .arg(QString::fromLatin1(SettingsKeys::unreadableSettings)));
        }
    }
    syncLaunchAtLoginState();

    // A build of the program is never registered, and leaves the first start
    // at login to the installed copy.
    if (!launchAtLoginAvailable())
        return;
    if (m_defaults.boolValue(QString::fromLatin1(SettingsKeys::launchAtLoginDefaulted)))
        return;
    m_defaults.setValue(QString::fromLatin1(SettingsKeys::launchAtLoginDefaulted), true);
    if (loginItemEnabled())
        return;
    setLaunchAtLogin(true);
}

void SettingsManager::setSettings(const AppSettings& settings)
{
    m_settings = settings;
    Q_EMIT settingsChanged();
    persist();
}

void SettingsManager::update(const std::function<void(AppSettings&)>& change)
{
    AppSettings copy = m_settings;
    change(copy);
    setSettings(copy);
}

void SettingsManager::persist()
{
    m_defaults.setValue(QString::fromLatin1(SettingsKeys::settings), m_settings.encoded());
}

bool SettingsManager::loginItemEnabled() const
{
    return m_loginItem.status() == LoginItemService::Status::enabled;
}

bool SettingsManager::launchAtLoginAvailable() const { return m_loginItem.isRegistrable(); }

void SettingsManager::syncLaunchAtLoginState()
{
    const bool enabled = launchAtLoginAvailable() && loginItemEnabled();
    update([enabled](AppSettings& s) { s.launchAtLogin = enabled; });
}

HotkeyCombo SettingsManager::defaultHotkey(HotkeyAction action, bool isoKeyboard)
{
    constexpr uint32_t mods = HotkeyCombo::command | HotkeyCombo::shift;
    switch (action) {
    case HotkeyAction::captureArea: return {isoKeyboard ? 10u : 19u, mods};
    case HotkeyAction::captureFullScreen: return {22, mods};
    case HotkeyAction::captureWindow: return {26, mods};
    case HotkeyAction::openClipboard: return {9, mods};
    }
    return {};
}

HotkeyCombo SettingsManager::defaultHotkey(HotkeyAction action) const
{
    return defaultHotkey(action, action == HotkeyAction::captureArea && m_keyboard.isISO());
}

HotkeyCombo SettingsManager::hotkey(HotkeyAction action) const
{
    const auto it = m_settings.hotkeys.constFind(rawValue(action));
    if (it != m_settings.hotkeys.constEnd())
        return *it;
    return defaultHotkey(action);
}

void SettingsManager::setHotkey(const HotkeyCombo& combo, HotkeyAction action)
{
    update([&](AppSettings& s) { s.hotkeys.insert(rawValue(action), combo); });
}

void SettingsManager::resetHotkey(HotkeyAction action)
{
    update([&](AppSettings& s) { s.hotkeys.remove(rawValue(action)); });
}

void SettingsManager::setLaunchAtLogin(bool on)
{
    if (!launchAtLoginAvailable()) {
        syncLaunchAtLoginState();
        return;
    }
    update([on](AppSettings& s) { s.launchAtLogin = on; });
    const bool enabled = loginItemEnabled();
    if (on == enabled)
        return;
    QString error;
    const bool done = on ? m_loginItem.registerApp(&error) : m_loginItem.unregisterApp(&error);
    if (done)
        return;
    qWarning().noquote() << QStringLiteral("Zentu: Login-Item konnte nicht geändert werden: ") + error;
    // Show what the system really has, not what was asked for.
    syncLaunchAtLoginState();
    Q_EMIT launchAtLoginFailed(error);
}
