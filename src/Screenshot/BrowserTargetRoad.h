#pragma once
// The full road of the scrolling capture: browser tabs and PDF documents are
// rendered whole by the browser capture, every other window (and every
// section) is scrolled and stitched by the window loop.
#include "Screenshot/ScrollTargetRoad.h"

class BrowserCapture;
class WindowScrollCapture;

class BrowserTargetRoad final : public ScrollTargetRoad {
public:
    // Both are kept by the caller and must outlive the road.
    BrowserTargetRoad(BrowserCapture& browsers, WindowScrollCapture& windows);

    Target resolveTarget(const PickedWindow& picked) override;
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target target) override;

private:
    BrowserCapture& m_browsers;
};
