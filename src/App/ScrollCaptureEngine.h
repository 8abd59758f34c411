#pragma once
// Puts the scrolling capture together from the platform services: the
// picker's look-ups, the window picker, the frame grab with the set of our
// windows it leaves out, the cover and the progress panel, the scroll loop,
// and the road that sends browser tabs and PDF documents to the whole-page
// capture and every other window to the loop; hands picker, road and panel to
// the ScrollCapture. One instance for the life of the program (the shell owns
// it).
#include "Screenshot/Backdrop.h"
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/BrowserTargetRoad.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/PickedWindowLookup.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowGrabber.h"
#include "Screenshot/WindowScrollCapture.h"

#include <memory>

class AccessibilityTree;
class BrowserBridge;
class CapturePermissions;
class CompositingInfo;
class InputSynthesis;
class KeyWatch;
class MonotonicClock;
class PdfViewerBridge;
class ApplicationIdentity;
class ScreenSource;
class WindowActivation;
class WindowRedirector;
class WindowServer;

class ScrollCaptureEngine {
public:
    struct Services {
        // Shared: frame grabs still running on worker threads keep them alive.
        std::shared_ptr<WindowServer> windows;
        std::shared_ptr<ScreenSource> screens;
        // Optional: keeps the grabbed window's own picture under our cover.
        std::shared_ptr<WindowRedirector> redirector;
        // Whether cover and panel may be translucent, and the still they
        // paint over where they may not.
        std::shared_ptr<CompositingInfo> compositing;
        Backdrop::Source backdrop;
        AccessibilityTree& accessibility;
        CapturePermissions& permissions;
        WindowActivation& activation;
        InputSynthesis& input;
        ApplicationIdentity& applications;
        BrowserBridge& browsers;
        PdfViewerBridge& viewers;
        KeyWatch& keys;
        const MonotonicClock& clock;
    };

    explicit ScrollCaptureEngine(Services services);
    ~ScrollCaptureEngine();

    WindowScrollCapture& loop() { return m_loop; }
    const WindowGrabber& grabber() const { return m_grabber; }
    ScrollCoverOverlay& cover() { return m_cover; }
    ScrollProgressHUD& panel() { return m_panel; }
    // The window picker on the engine's look-ups, and the road; both for as
    // long as the engine lives.
    ScrollCapture::Picker picker();
    std::shared_ptr<ScrollTargetRoad> road() const { return m_road; }

private:
    Services m_services;
    // Shared with the grabber, whose copies on worker threads keep it alive;
    // made before cover and panel, which leave it as they go.
    std::shared_ptr<GrabExclusions> m_exclusions;
    WindowGrabber m_grabber;
    // The panel first: the cover counts the strips of the panel's progress.
    ScrollProgressHUD m_panel;
    ScrollCoverOverlay m_cover;
    PickedWindowLookup m_lookup;
    // One Escape watch for the window loop and the page capture.
    ScrollCancel m_cancel;
    WindowScrollCapture m_loop;
    BrowserCapture m_pages;
    std::shared_ptr<BrowserTargetRoad> m_road;
};
