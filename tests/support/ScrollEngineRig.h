#pragma once
// The program's own assembly of the scrolling capture on the test's X server:
// window list, screen grabs, synthetic input, application identities, the
// accessibility-bus browser bridge and the document viewer bridge. Without
// `accessibility` clicks on the picker pick whole windows (its accessibility
// look-up is left out); with it, the applications' trees are read from the
// accessibility bus of the test's session bus, as on a desktop.
#include "App/ScrollCaptureEngine.h"
#include "Platform/Qt/SteadyClock.h"
#include "Platform/X11/AtspiAccessibilityTree.h"
#include "Platform/X11/AtspiBrowserBridge.h"
#include "Platform/X11/ProcPdfViewerBridge.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11InputSynthesis.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowActivation.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/CapturedScreenshot.h"
#include "Screenshot/DocApp.h"
#include "fakes/FakeAccessibilityTree.h"
#include "fakes/FakeKeyWatch.h"

#include <QCoroTask>
#include <memory>
#include <optional>

class ScrollEngineRig {
public:
    explicit ScrollEngineRig(bool accessibility = false);
    ~ScrollEngineRig();

    X11WindowServer& windows() { return *m_windows; }
    X11ScreenSource& screens() { return *m_screens; }
    X11InputSynthesis& input() { return m_input; }
    ScrollCaptureEngine& engine() { return *m_engine; }

    // Starts a run of the scrolling capture and returns once its picker
    // covers the screen.
    QCoro::Task<std::optional<CapturedScreenshot>> startRun();
    ScrollCapture& capture() { return *m_capture; }
    // Escape as the user presses it.
    FakeKeyWatch& keys() { return m_keys; }

private:
    std::shared_ptr<X11WindowServer> m_windows;
    std::shared_ptr<X11ScreenSource> m_screens;
    std::unique_ptr<X11CapturePermissions> m_permissions;
    X11WindowActivation m_activation;
    X11InputSynthesis m_input;
    X11ApplicationIdentity m_identity;
    FakeAccessibilityTree m_noAccessibility;
    AtspiAccessibilityTree m_accessibility;
    AtspiBrowserBridge m_browsers;
    ProcPdfViewerBridge m_viewers{DocApp::viewerRules()};
    // Escape is seen in our own windows only, as the runs here need.
    FakeKeyWatch m_keys;
    SteadyClock m_clock;
    std::unique_ptr<ScrollCaptureEngine> m_engine;
    std::unique_ptr<ScrollCapture> m_capture;
};
