#pragma once
// Puts the scrolling capture together from the platform services: the
// picker's look-ups, the window picker, the scroll loop, and the road that
// sends browser tabs and PDF documents to the whole-page capture and every
// other window to the loop; hands picker and road to the ScrollCapture.
// One instance for the life of the program (the shell owns it).
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/BrowserTargetRoad.h"
#include "Screenshot/PickedWindowLookup.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/WindowScrollCapture.h"

#include <memory>

class AccessibilityTree;
class BrowserBridge;
class CapturePermissions;
class InputSynthesis;
class KeyWatch;
class PdfViewerBridge;
class RunningApplications;
class ScreenSource;
class WindowActivation;
class WindowServer;

class ScrollCaptureEngine {
public:
    struct Services {
        WindowServer& windows;
        ScreenSource& screens;
        AccessibilityTree& accessibility;
        CapturePermissions& permissions;
        WindowActivation& activation;
        InputSynthesis& input;
        RunningApplications& applications;
        BrowserBridge& browsers;
        PdfViewerBridge& viewers;
        KeyWatch& keys;
    };

    explicit ScrollCaptureEngine(Services services);
    ~ScrollCaptureEngine();

    WindowScrollCapture& loop() { return m_loop; }
    PickedWindowLookup& lookup() { return m_lookup; }
    // The window picker on the engine's look-ups, and the road; both for as
    // long as the engine lives.
    ScrollCapture::Picker picker();
    std::shared_ptr<ScrollTargetRoad> road() const { return m_road; }

private:
    Services m_services;
    PickedWindowLookup m_lookup;
    // One Escape watch for the window loop and the page capture.
    ScrollCancel m_cancel;
    WindowScrollCapture m_loop;
    BrowserCapture m_pages;
    std::shared_ptr<BrowserTargetRoad> m_road;
};
