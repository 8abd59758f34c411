#pragma once
// The "Datenschutz" tab: what the app needs from the X server (and, where it
// is refused, why and what to do), the filter for content marked as
// sensitive (on freely; off only after the password of the user's account,
// checked by PAM), where the data stays, and deleting both histories at once.
#include <QWidget>

class Alerts;
class AppFolders;
class Beeper;
class ClipboardHistoryStore;
class OwnerAuthenticator;
class PermissionManager;
class PermissionRow;
class QPushButton;
class ScreenshotHistoryStore;
class SettingsManager;
class ToggleSwitch;

class PrivacySettingsTab : public QWidget {
    Q_OBJECT
public:
    struct Services {
        SettingsManager& settings;
        PermissionManager& permissions;
        ClipboardHistoryStore& clipboardStore;
        ScreenshotHistoryStore& screenshotStore;
        Alerts& alerts;
        OwnerAuthenticator& authenticator;
        Beeper& beeper;
        // Where the histories are kept, named in the local-storage note.
        const AppFolders& folders;
    };
    explicit PrivacySettingsTab(const Services& services, QWidget* parent = nullptr);

    // Switching the filter off: stored only once the owner's password was
    // checked. The answer may come after this tab is gone; it is written to
    // the settings all the same.
    void authenticateToDisableSensitive();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void refresh();
    void confirmDeleteAll();

    Services m_services;
    PermissionRow* m_screenRow;
    PermissionRow* m_accessibilityRow;
    ToggleSwitch* m_sensitive;
    QPushButton* m_deleteAll;
};
