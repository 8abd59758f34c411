#pragma once
// Owner of the current AppSettings: loads them at start, writes every change
// back at once, answers the hotkey of each action and switches the login item.
#include "Models/AppSettings.h"
#include "Models/HotkeyAction.h"

#include <QObject>
#include <functional>

class UserDefaults;
class LoginItemService;
class KeyboardInfo;

class SettingsManager : public QObject {
    Q_OBJECT
public:
    SettingsManager(UserDefaults& defaults, LoginItemService& loginItem, KeyboardInfo& keyboard,
                    QObject* parent = nullptr);

    const AppSettings& settings() const { return m_settings; }
    // Replaces the record: observers hear of it first, then it is persisted.
    void setSettings(const AppSettings& settings);
    // Changes fields in place; one call gives one write.
    void update(const std::function<void(AppSettings&)>& change);

    HotkeyCombo hotkey(HotkeyAction action) const;
    // The action's combination on this keyboard when the user has set none.
    HotkeyCombo defaultHotkey(HotkeyAction action) const;
    void setHotkey(const HotkeyCombo& combo, HotkeyAction action);
    void resetHotkey(HotkeyAction action);
    void setLaunchAtLogin(bool on);
    // False for a program that may not start at login (a development build):
    // the switch stays off.
    bool launchAtLoginAvailable() const;

    static HotkeyCombo defaultHotkey(HotkeyAction action, bool isoKeyboard);


Q_SIGNALS:
    void settingsChanged();
    // The login item could not be switched; settings() show the real state.
    void launchAtLoginFailed(const QString& error);

private:
    void persist();
    void syncLaunchAtLoginState();
    bool loginItemEnabled() const;

    UserDefaults& m_defaults;
    LoginItemService& m_loginItem;
    KeyboardInfo& m_keyboard;
    AppSettings m_settings;
};
