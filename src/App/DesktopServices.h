#pragma once
// The platform services of the running program on X11, and its capture
// machinery. Each is made once (the set handed to the coordinator when it is
// first asked for) and outlives the coordinator.
#include "App/AppPlatform.h"
#include "App/CaptureBackends.h"
#include "Storage/AppFolders.h"

#include <memory>

class AccessibilityTree;
class BrowserBridge;
class KeyWatch;
class MonotonicClock;
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

class DesktopServices final : public CaptureBackends {
public:
    // session: the one this process claimed at start; folders: the program's.
    // applications: which application a window or copy belongs to; bundle:
    // the program's own version and program file. x: the X connection the
    // main thread's backends share. heapTrimmer: made by the program before
    // its threads start; none hands nothing back.
    DesktopServices(SingleInstance& session, AppFolders folders, ApplicationIdentity& applications, BundleInfo& bundle,
                    std::shared_ptr<XcbConnection> x, std::shared_ptr<HeapTrimmer> heapTrimmer = nullptr);
    ~DesktopServices() override;

    // Makes what is not made yet.
    AppPlatform platform();
    Installation& installation();

    std::unique_ptr<ScreenshotService> makeScreenshotService() override;
    std::unique_ptr<ScrollCaptureEngine> makeScrollCaptureEngine() override;
    std::unique_ptr<RepaintWatch> makeRepaintWatch() override;

private:
    ClipboardService& clipboard();
    CapturePermissions& capturePermissions();
    Alerts& alerts();
    ProcessLauncher& launcher();
    Workspace& workspace();
    UpdateFeed& updateFeed();
    ImageFileDialogs& imageFileDialogs();
    TextRecognizer& textRecognizer();
    WindowDesktops& windowDesktops();
    GlobalHotkeys& globalHotkeys();
    std::shared_ptr<CompositingInfo> compositing();
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
