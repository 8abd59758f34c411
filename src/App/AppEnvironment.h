#pragma once
// The shared objects every window's views receive: the settings, both
// histories and the permission state. A member is null while
// that service is not part of the running program.

class SettingsManager;
class ClipboardHistoryStore;
class ScreenshotHistoryStore;
class PermissionManager;

struct AppEnvironment {
    SettingsManager* settings = nullptr;
    ClipboardHistoryStore* clipboardStore = nullptr;
    ScreenshotHistoryStore* screenshotStore = nullptr;
    PermissionManager* permissions = nullptr;
};
