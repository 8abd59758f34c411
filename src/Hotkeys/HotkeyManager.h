#pragma once
// Registers the app's global hotkeys from the settings and turns each press
// into a HotkeyAction, delivered on the main thread after the platform's event
// handling has returned.
#include "Models/HotkeyAction.h"
#include "Models/HotkeyCombo.h"

#include <QObject>
#include <QHash>
#include <cstdint>
#include <functional>
#include <vector>

class GlobalHotkeys;
class QKeyEvent;
class KeyboardInfo;
class SettingsManager;

class HotkeyManager final : public QObject {
    Q_OBJECT
public:
    HotkeyManager(GlobalHotkeys& backend, KeyboardInfo& keyboard, QObject* parent = nullptr);

    std::function<void(HotkeyAction)> onAction;

    // Replaces every registration with the combinations of the current settings.
    void registerAll(const SettingsManager& settings);
    // Releases every registration; identifiers are never handed out again.
    void unregisterAll();

    // For the settings window and tests: what is registered now, in order.
    const std::vector<uint32_t>& refs() const { return m_refs; }
    const QHash<uint32_t, HotkeyAction>& idToAction() const { return m_idToAction; }
    uint32_t nextID() const { return m_nextID; }

    // Whether a key press inside the app is one of the action's registered
    // combinations (while a window of ours holds the keyboard, the global
    // hotkey itself cannot fire).
    bool matches(HotkeyAction action, const QKeyEvent& event) const;
    // Whether the combination is registered now, for this action.
    bool isRegistered(HotkeyAction action, const HotkeyCombo& combo) const;

    // Carbon "ZNTU": carried by every registration to tell our hotkeys apart.
    static constexpr uint32_t signature = 0x5A4E5455;
    // Status logged for a combination refused before it reaches the system: one
    // without Command, Option or Control on a key that types a character would
    // take that character away from every application.
    static constexpr int statusRefusedPlainKey = 2;
    static bool isSafeGlobalCombo(const HotkeyCombo& combo);

private:
    void installHandlerIfNeeded();
    void registerCombo(HotkeyAction action, const HotkeyCombo& combo);
    void handleHotKey(uint32_t id);

    GlobalHotkeys& m_backend;
    KeyboardInfo& m_keyboard;
    std::vector<uint32_t> m_refs;
    QHash<uint32_t, HotkeyAction> m_idToAction;
    QHash<uint32_t, HotkeyCombo> m_idToCombo;
    bool m_handlerInstalled = false;
    uint32_t m_nextID = 1;
};
