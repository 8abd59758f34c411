#pragma once
// Builds the coordinator's services and hands it the platform pieces it uses.
// The coordinator calls the make* operations in its fixed start-up order.
#include <QString>
#include <memory>

class ActivationPolicy;
class Alerts;
class AppFolders;
class AppcastUpdater;
class Installation;
class LoginItemService;
class SingleInstance;
class Workspace;
class CapturePermissions;
class HeapTrimmer;
class HotkeyManager;
class ProcessLauncher;
class RepaintWatch;
class BundleInfo;
class ClipboardHistoryStore;
class ClipboardMonitor;
class ClipboardService;
class CompositingInfo;
class ImageFileDialogs;
class TextRecognizer;
class WindowDesktops;
class PermissionManager;
class ScreenshotHistoryStore;
class ScrollCapture;
class ScrollCaptureEngine;
class ScreenshotService;
class SettingsManager;
class ToastPresenter;
class UserDefaults;

class CoordinatorServices {
public:
    virtual ~CoordinatorServices() = default;

    virtual UserDefaults& userDefaults() = 0;
    virtual ActivationPolicy& activationPolicy() = 0;
    // The program itself: its version and program file.
    virtual BundleInfo& bundle() = 0;
    // The clipboard the stores and the monitor share.
    virtual ClipboardService& clipboard() = 0;
    // Where the histories live and exports go.
    virtual const AppFolders& folders() = 0;

    // What the permission guards use: the platform's own permission checks,
    // alerts, and starting and ending the program.
    virtual CapturePermissions& platformPermissions() = 0;
    virtual Alerts& alerts() = 0;
    virtual ProcessLauncher& launcher() = 0;

    // What installing, uninstalling and the update check use: the program's
    // place and its user-level install, the session this instance holds, the
    // login item, and the desktop's handler for links.
    virtual Installation& installation() = 0;
    virtual SingleInstance& session() = 0;
    virtual LoginItemService& loginItemService() = 0;
    virtual Workspace& workspace() = 0;
    // The update check, not yet started.
    virtual std::unique_ptr<AppcastUpdater> makeUpdater() = 0;

    // What the editor's results use: the dialogs for picture files, text
    // recognition, the workspace hint of pinned windows, and a folder only
    // the user can enter, for files handed to other programs.
    virtual ImageFileDialogs& imageFileDialogs() = 0;
    virtual TextRecognizer& textRecognizer() = 0;
    virtual WindowDesktops& windowDesktops() = 0;
    virtual QString privateTemporaryFolder() = 0;

    virtual std::unique_ptr<SettingsManager> makeSettingsManager() = 0;
    // Starts its own poll.
    virtual std::unique_ptr<PermissionManager> makePermissionManager() = 0;
    // No action callback, nothing registered.
    virtual std::unique_ptr<HotkeyManager> makeHotkeyManager() = 0;
    // With its own screen capturer and window detector; no overlay, not capturing.
    virtual std::unique_ptr<ScreenshotService> makeScreenshotService() = 0;
    virtual std::unique_ptr<ToastPresenter> makeToastPresenter() = 0;
    // The scrolling capture's picker, loop and page roads; none where the
    // platform offers no scrolling capture.
    virtual std::unique_ptr<ScrollCaptureEngine> makeScrollCaptureEngine();
    // Tells when the screen beneath our hidden windows was painted again;
    // none where it cannot (captures then wait a fixed time).
    virtual std::unique_ptr<RepaintWatch> makeRepaintWatch();
    // Gives freed memory back to the system once editors are gone; none
    // where the platform cannot.
    virtual std::shared_ptr<HeapTrimmer> heapTrimmer();
    // Whether a compositing manager runs, followed as it starts and stops;
    // one for the whole program. None where it cannot be known (popovers and
    // tooltips then take none to run).
    virtual std::shared_ptr<CompositingInfo> compositing();
    // The entry of the scrolling capture on the engine's picker, road and
    // progress panel; none without an engine.
    virtual std::unique_ptr<ScrollCapture> makeScrollCapture(ScrollCaptureEngine* engine);
    // Creates the storage folders before any history store is made.
    virtual void ensureDirectories() = 0;
    // How often writes that failed (a full disk) are tried again.
    virtual int storageRetryMilliseconds() const { return 10000; }
    virtual std::unique_ptr<ClipboardHistoryStore> makeClipboardHistoryStore(SettingsManager& settings) = 0;
    // Made with its history read from disk.
    virtual std::unique_ptr<ScreenshotHistoryStore> makeScreenshotHistoryStore(SettingsManager& settings) = 0;
    // Does not poll until started.
    virtual std::unique_ptr<ClipboardMonitor> makeClipboardMonitor(ClipboardHistoryStore& store,
                                                                   SettingsManager& settings) = 0;
};
