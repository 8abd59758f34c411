#pragma once
// The shared objects every window's views receive: the coordinator, the
// settings, both histories and the permission state. A member is null while
// that service is not part of the running program.

class AppCoordinator;
class SettingsManager;
class ClipboardHistoryStore;
class ScreenshotHistoryStore;
class PermissionManager;

struct AppEnvironment {
    AppCoordinator* coordinator = nullptr;
    SettingsManager* settings = nullptr;
    ClipboardHistoryStore* clipboardStore = nullptr;
    ScreenshotHistoryStore* screenshotStore = nullptr;
    PermissionManager* permissions = nullptr;
};
