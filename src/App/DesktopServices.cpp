#include "App/DesktopServices.h"

#include "App/ScrollCaptureEngine.h"
#include "BuildSettings.h"
#include "Platform/Qt/DesktopWorkspace.h"
#include "Platform/Qt/MessageBoxAlerts.h"
#include "Platform/Qt/NetworkUpdateFeed.h"
#include "Platform/Qt/SteadyClock.h"
#include "Platform/BundleInfo.h"
#include "Platform/Qt/QtImageFileDialogs.h"
#include "Platform/Qt/QtProcessLauncher.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/TesseractTextRecognizer.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "Platform/X11/AtspiAccessibilityTree.h"
#include "Platform/X11/AtspiBrowserBridge.h"
#include "Platform/X11/ProcPdfViewerBridge.h"
#include "Platform/X11/X11ActivationPolicy.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11ClipboardService.h"
#include "Platform/X11/X11GlobalHotkeys.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11InputSynthesis.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11OverlayDesktop.h"
#include "Platform/X11/X11RepaintWatch.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowActivation.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowDesktops.h"
#include "Platform/X11/X11WindowServer.h"
#include "Platform/X11/XInputKeyWatch.h"
#include "Platform/X11/XkbKeyboardInfo.h"
#include "Screenshot/DocApp.h"
#include "Screenshot/ScreenCapturer.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/WindowDetector.h"

#include <QStandardPaths>

DesktopServices::DesktopServices(SingleInstance& session, AppFolders folders, ApplicationIdentity& applications,
                                 BundleInfo& bundle, std::shared_ptr<XcbConnection> x,
                                 std::shared_ptr<HeapTrimmer> heapTrimmer)
    : m_session(session)
    , m_folders(std::move(folders))
    , m_x(std::move(x))
    , m_defaults(std::make_unique<SettingsFileUserDefaults>(m_folders.files()))
    , m_keyboard(std::make_unique<XkbKeyboardInfo>(m_x))
    , m_activation(std::make_unique<X11ActivationPolicy>())
    , m_bundle(bundle)
    , m_applications(applications)
{
    // Only an installed program starts at login: the entry asks where it lies.
    m_loginItem = std::make_unique<XdgAutostartLoginItem>(installation(), m_folders.files());
    m_heapTrimmer = std::move(heapTrimmer);
}

DesktopServices::~DesktopServices() = default;

ClipboardService& DesktopServices::clipboard()
{
    if (!m_clipboard)
        m_clipboard = std::make_unique<X11ClipboardService>();
    return *m_clipboard;
}

X11ScreenSource& DesktopServices::screens()
{
    if (!m_screens)
        m_screens = std::make_shared<X11ScreenSource>(X11ScreenSource::GrabMethod::automatic, m_x);
    return *m_screens;
}

std::shared_ptr<const X11ScreenLayout> DesktopServices::screenLayout()
{
    if (!m_screenLayout)
        m_screenLayout = std::make_shared<X11ScreenLayout>();
    return m_screenLayout;
}

CapturePermissions& DesktopServices::capturePermissions()
{
    if (!m_capturePermissions)
        m_capturePermissions = std::make_unique<X11CapturePermissions>(screens(), m_x);
    return *m_capturePermissions;
}

Alerts& DesktopServices::alerts()
{
    if (!m_alerts)
        m_alerts = std::make_unique<MessageBoxAlerts>();
    return *m_alerts;
}

ProcessLauncher& DesktopServices::launcher()
{
    if (!m_launcher)
        m_launcher = std::make_unique<QtProcessLauncher>();
    return *m_launcher;
}

Installation& DesktopServices::installation()
{
    if (!m_installation)
        m_installation = std::make_unique<XdgUserInstallation>(m_folders.files());
    return *m_installation;
}

Workspace& DesktopServices::workspace()
{
    if (!m_workspace)
        m_workspace = std::make_unique<DesktopWorkspace>();
    return *m_workspace;
}

ImageFileDialogs& DesktopServices::imageFileDialogs()
{
    if (!m_fileDialogs)
        m_fileDialogs = std::make_unique<QtImageFileDialogs>();
    return *m_fileDialogs;
}

TextRecognizer& DesktopServices::textRecognizer()
{
    if (!m_textRecognizer)
        m_textRecognizer = std::make_unique<TesseractTextRecognizer>();
    return *m_textRecognizer;
}

WindowDesktops& DesktopServices::windowDesktops()
{
    if (!m_windowDesktops)
        m_windowDesktops = std::make_unique<X11WindowDesktops>();
    return *m_windowDesktops;
}

std::unique_ptr<ScreenshotService> DesktopServices::makeScreenshotService()
{
    if (!m_windowServer)
        m_windowServer = std::make_unique<X11WindowServer>(screenLayout(), m_x);
    if (!m_overlayDesktop) {
        // The overlay switches the app's policy through the shell's own service.
        ActivationPolicy* activation = m_activation.get();
        m_overlayDesktop = std::make_unique<X11OverlayDesktop>(
            [activation] { return int(activation->policy()); },
            [activation](int policy) {
                activation->setPolicy(policy == OverlayDesktop::regular ? ActivationPolicy::Policy::regular
                                                                         : ActivationPolicy::Policy::accessory);
            },
            m_x);
    }
    m_capturer = std::make_unique<ScreenCapturer>(screens(), *m_windowServer);
    m_windowDetector = std::make_unique<WindowDetector>(*m_windowServer, screens());
    // Its own: the scrolling capture lets go of its windows when it ends.
    m_captureRedirector = std::make_unique<X11WindowRedirector>(compositing());
    return std::make_unique<ScreenshotService>(*m_capturer, *m_windowDetector, *m_overlayDesktop, *m_captureRedirector);
}

std::unique_ptr<RepaintWatch> DesktopServices::makeRepaintWatch()
{
    return std::make_unique<X11RepaintWatch>(compositing());
}


std::shared_ptr<CompositingInfo> DesktopServices::compositing()
{
    if (!m_compositing)
        m_compositing = std::make_shared<X11CompositingInfo>();
    return m_compositing;
}

std::unique_ptr<ScrollCaptureEngine> DesktopServices::makeScrollCaptureEngine()
{
    if (!m_capturePermissions)
        m_capturePermissions = std::make_unique<X11CapturePermissions>(screens(), m_x);
    m_scrollWindows = std::make_shared<X11WindowServer>(screenLayout(), m_x);
    screens();
    m_accessibility = std::make_unique<AtspiAccessibilityTree>(screenLayout());
    m_windowActivation = std::make_unique<X11WindowActivation>(m_x);
    m_input = std::make_unique<X11InputSynthesis>(screenLayout(), m_x);
    m_browsers = std::make_unique<AtspiBrowserBridge>(screenLayout());
    m_viewers = std::make_unique<ProcPdfViewerBridge>(DocApp::viewerRules());
    m_keyWatch = std::make_unique<XInputKeyWatch>();
    m_clock = std::make_unique<SteadyClock>();
    return std::make_unique<ScrollCaptureEngine>(ScrollCaptureEngine::Services{
        m_scrollWindows, m_screens, std::make_shared<X11WindowRedirector>(compositing()), compositing(),
        Backdrop::grabScreens, *m_accessibility, *m_capturePermissions, *m_windowActivation, *m_input, m_applications,
        *m_browsers, *m_viewers, *m_keyWatch, *m_clock});
}


UpdateFeed& DesktopServices::updateFeed()
{
    if (!m_updateFeed)
        m_updateFeed = std::make_unique<NetworkUpdateFeed>(QStringLiteral("Zentu.it/") + m_bundle.version());
    return *m_updateFeed;
}

GlobalHotkeys& DesktopServices::globalHotkeys()
{
    if (!m_globalHotkeys)
        m_globalHotkeys = std::make_unique<X11GlobalHotkeys>();
    return *m_globalHotkeys;
}

AppPlatform DesktopServices::platform()
{
    return AppPlatform{*m_defaults,
                       *m_activation,
                       m_bundle,
                       clipboard(),
                       m_folders,
                       m_applications,
                       *m_keyboard,
                       globalHotkeys(),
                       screens(),
                       capturePermissions(),
                       alerts(),
                       launcher(),
                       installation(),
                       m_session,
                       *m_loginItem,
                       workspace(),
                       updateFeed(),
                       QUrl(QString::fromUtf8(BuildSettings::updateFeedUrl)),
                       imageFileDialogs(),
                       textRecognizer(),
                       windowDesktops(),
                       // $XDG_RUNTIME_DIR, else a folder Qt makes for the user alone.
                       QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
                       m_heapTrimmer,
                       compositing()};
}
