#pragma once
// The platform services the coordinator and the services it builds use:
// made once by the composition root (on X11) or by a test (fakes), and
// outliving the coordinator.
#include <QString>
#include <QUrl>
#include <memory>

class ActivationPolicy;
class Alerts;
class AppFolders;
class ApplicationIdentity;
class BundleInfo;
class CapturePermissions;
class ClipboardService;
class CompositingInfo;
class GlobalHotkeys;
class HeapTrimmer;
class ImageFileDialogs;
class Installation;
class KeyboardInfo;
class LoginItemService;
class ProcessLauncher;
class ScreenSource;
class SingleInstance;
class TextRecognizer;
class UpdateFeed;
class UserDefaults;
class WindowDesktops;
class Workspace;

struct AppPlatform {
    UserDefaults& userDefaults;
    ActivationPolicy& activationPolicy;
    // The program itself: its version and program file.
    BundleInfo& bundle;
    // The clipboard the stores, the monitor and the editors share.
    ClipboardService& clipboard;
    // Where the histories live and exports go.
    const AppFolders& folders;
    // Which application a window or a copy belongs to.
    ApplicationIdentity& applications;
    KeyboardInfo& keyboard;
    GlobalHotkeys& globalHotkeys;
    ScreenSource& screens;
    // The platform's own permission checks; alerts, and starting and ending
    // programs.
    CapturePermissions& capturePermissions;
    Alerts& alerts;
    ProcessLauncher& launcher;
    // The program's place and its user-level install, the session this
    // instance holds, the login item and the desktop's handler for links.
    Installation& installation;
    SingleInstance& session;
    LoginItemService& loginItem;
    Workspace& workspace;
    // Where the update check asks.
    UpdateFeed& updateFeed;
    QUrl updateFeedUrl;
    // The dialogs for picture files, text recognition, the workspace hint of
    // always-visible windows, and a folder only the user can enter, for files
    // handed to other programs.
    ImageFileDialogs& imageFileDialogs;
    TextRecognizer& textRecognizer;
    WindowDesktops& windowDesktops;
    QString privateTemporaryFolder;
    // Gives freed memory back to the system once editors are gone; none
    // where the platform cannot.
    std::shared_ptr<HeapTrimmer> heapTrimmer;
    // Whether a compositing manager runs, followed as it starts and stops;
    // one for the whole program. None where it cannot be known (popovers and
    // tooltips then take none to run).
    std::shared_ptr<CompositingInfo> compositing;
    // How often writes that failed (a full disk) are tried again.
    int storageRetryMilliseconds = 10000;
};
