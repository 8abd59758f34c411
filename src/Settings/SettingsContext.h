#pragma once
// The shared objects and platform services the settings window's tabs work
// with. Every member must be set; the coordinator's services outlive the window.
#include <QString>
#include <functional>

class Alerts;
class AppFolders;
class Beeper;
class BundleInfo;
class ClipboardHistoryStore;
class FolderChooser;
class HotkeyManager;
class Localizer;
class OwnerAuthenticator;
class PermissionManager;
class ScreenshotHistoryStore;
class SettingsManager;
class UserDefaults;
class Workspace;

struct SettingsContext {
    SettingsManager* settings = nullptr;
    HotkeyManager* hotkeys = nullptr;
    // The program's localizer, and where it keeps the language choice.
    Localizer* localizer = nullptr;
    UserDefaults* userDefaults = nullptr;
    FolderChooser* folderChooser = nullptr;
    // Where the export folder is when none was chosen.
    const AppFolders* folders = nullptr;
    Beeper* beeper = nullptr;
    ClipboardHistoryStore* clipboardStore = nullptr;
    ScreenshotHistoryStore* screenshotStore = nullptr;
    PermissionManager* permissions = nullptr;
    // The confirmations before a history is cleared.
    Alerts* alerts = nullptr;
    OwnerAuthenticator* authenticator = nullptr;
    // Opens the web site's pages.
    Workspace* workspace = nullptr;
    BundleInfo* bundle = nullptr;
    // The web site's root address; the build's when empty.
    QString websiteRoot;
    // "Nach Updates suchen" and "Zentu.it deinstallieren…".
    std::function<void()> checkForUpdates;
    std::function<void()> uninstall;
};
