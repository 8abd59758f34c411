#pragma once
#include "App/CoordinatorServices.h"
#include "Storage/AppFolders.h"

#include <memory>

class AccessibilityTree;
class UpdateFeed;
class ApplicationIdentity;
class GlobalHotkeys;
class BrowserBridge;
class CapturePermissions;
class KeyboardInfo;
class KeyWatch;
class MonotonicClock;
class LoginItemService;
class InputSynthesis;
class OverlayDesktop;
class PdfViewerBridge;
class ScreenCapturer;
class WindowActivation;
class WindowDetector;
class WindowRedirector;
class WindowServer;
class X11ScreenLayout;
class X11ScreenSource;
class XcbConnection;

// The services of the running program on X11.
class DefaultCoordinatorServices final : public CoordinatorServices {
public:
    // session: the one this process claimed at start; folders: the program's.
    // applications: which application a window or copy belongs to; bundle:
    // the program's own version and program file. x: the X
    // connection the main thread's backends share.
    // heapTrimmer: made by the program before its threads start; none hands
    // nothing back.
    DefaultCoordinatorServices(SingleInstance& session, AppFolders folders, ApplicationIdentity& applications,
                               BundleInfo& bundle, std::shared_ptr<XcbConnection> x, std::shared_ptr<HeapTrimmer> heapTrimmer = nullptr);
    ~DefaultCoordinatorServices() override;

    UserDefaults& userDefaults() override;
    ActivationPolicy& activationPolicy() override;
    BundleInfo& bundle() override;
    ClipboardService& clipboard() override;
    const AppFolders& folders() override;
    CapturePermissions& platformPermissions() override;
    Alerts& alerts() override;
    ProcessLauncher& launcher() override;
    Installation& installation() override;
    SingleInstance& session() override;
    LoginItemService& loginItemService() override;
    Workspace& workspace() override;
    std::unique_ptr<AppcastUpdater> makeUpdater() override;
    ImageFileDialogs& imageFileDialogs() override;
    TextRecognizer& textRecognizer() override;
    WindowDesktops& windowDesktops() override;
    QString privateTemporaryFolder() override;

    std::unique_ptr<SettingsManager> makeSettingsManager() override;
    std::unique_ptr<PermissionManager> makePermissionManager() override;
    std::unique_ptr<HotkeyManager> makeHotkeyManager() override;
    std::unique_ptr<ScreenshotService> makeScreenshotService() override;
    std::unique_ptr<ToastPresenter> makeToastPresenter() override;
    std::unique_ptr<ScrollCaptureEngine> makeScrollCaptureEngine() override;
    std::unique_ptr<RepaintWatch> makeRepaintWatch() override;
    std::shared_ptr<CompositingInfo> compositing() override;
    std::shared_ptr<HeapTrimmer> heapTrimmer() override;
    void ensureDirectories() override;
    std::unique_ptr<ClipboardHistoryStore> makeClipboardHistoryStore(SettingsManager& settings) override;
    std::unique_ptr<ScreenshotHistoryStore> makeScreenshotHistoryStore(SettingsManager& settings) override;
    std::unique_ptr<ClipboardMonitor> makeClipboardMonitor(ClipboardHistoryStore& store,
                                                           SettingsManager& settings) override;

private:
    X11ScreenSource& screens();
    // How the backends turn the server's pixels into points; one for all.
    std::shared_ptr<const X11ScreenLayout> screenLayout();

    SingleInstance& m_session;
    const AppFolders m_folders;
    const std::shared_ptr<XcbConnection> m_x;
    // Made on first use; outlives every other service, which may hold it.
    std::unique_ptr<ClipboardService> m_clipboard;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<LoginItemService> m_loginItem;
    std::unique_ptr<KeyboardInfo> m_keyboard;
    std::unique_ptr<ActivationPolicy> m_activation;
    BundleInfo& m_bundle;
    std::shared_ptr<X11ScreenSource> m_screens;
    std::shared_ptr<const X11ScreenLayout> m_screenLayout;
    std::unique_ptr<CapturePermissions> m_capturePermissions;
    ApplicationIdentity& m_applications;
    std::unique_ptr<WindowServer> m_windowServer;
    std::unique_ptr<OverlayDesktop> m_overlayDesktop;
    std::unique_ptr<ScreenCapturer> m_capturer;
    std::unique_ptr<WindowDetector> m_windowDetector;
    std::unique_ptr<WindowRedirector> m_captureRedirector;
    std::unique_ptr<GlobalHotkeys> m_globalHotkeys;
    std::unique_ptr<Alerts> m_alerts;
    std::unique_ptr<ProcessLauncher> m_launcher;
    std::unique_ptr<Installation> m_installation;
    std::shared_ptr<HeapTrimmer> m_heapTrimmer;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<UpdateFeed> m_updateFeed;
    // The scrolling capture's platform pieces.
    std::shared_ptr<WindowServer> m_scrollWindows;
    std::unique_ptr<AccessibilityTree> m_accessibility;
    std::unique_ptr<WindowActivation> m_windowActivation;
    std::unique_ptr<InputSynthesis> m_input;
    std::unique_ptr<BrowserBridge> m_browsers;
    std::unique_ptr<PdfViewerBridge> m_viewers;
    std::unique_ptr<KeyWatch> m_keyWatch;
    std::unique_ptr<MonotonicClock> m_clock;
    // The editor's results.
    std::unique_ptr<ImageFileDialogs> m_fileDialogs;
    std::unique_ptr<TextRecognizer> m_textRecognizer;
    std::unique_ptr<WindowDesktops> m_windowDesktops;
    std::shared_ptr<CompositingInfo> m_compositing;
};
