#pragma once
// The platform's capture machinery, made when the coordinator builds its
// capture roads: each piece joins several platform services of one desktop.
#include <memory>

class RepaintWatch;
class ScreenshotService;
class ScrollCapture;
class ScrollCaptureEngine;

class CaptureBackends {
public:
    virtual ~CaptureBackends() = default;

    // With its own screen capturer and window detector; no overlay, not capturing.
    virtual std::unique_ptr<ScreenshotService> makeScreenshotService() = 0;
    // The scrolling capture's picker, loop and page roads; none where the
    // platform offers no scrolling capture.
    virtual std::unique_ptr<ScrollCaptureEngine> makeScrollCaptureEngine();
    // The entry of the scrolling capture on the engine's picker, road and
    // progress panel; none without an engine.
    virtual std::unique_ptr<ScrollCapture> makeScrollCapture(ScrollCaptureEngine* engine);
    // Tells when the screen beneath our hidden windows was painted again;
    // none where it cannot (captures then wait a fixed time).
    virtual std::unique_ptr<RepaintWatch> makeRepaintWatch();
};
