#pragma once
// The shared objects and platform services the settings window's tabs work
// with. Every member must be set; the coordinator's services outlive the window.
class Beeper;
class FolderChooser;
class HotkeyManager;
class SettingsManager;
class UserDefaults;

struct SettingsContext {
    SettingsManager* settings = nullptr;
    HotkeyManager* hotkeys = nullptr;
    // Where the translation lookup keeps the language choice.
    UserDefaults* userDefaults = nullptr;
    FolderChooser* folderChooser = nullptr;
    Beeper* beeper = nullptr;
};
