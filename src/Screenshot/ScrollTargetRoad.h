#pragma once
// What the scrolling capture does with a picked window: decide what to capture
// (resolveTarget) and capture it (captureTarget). The program's road is
// BrowserTargetRoad: pages and documents rendered whole, windows scrolled.
#include "Screenshot/CapturedScreenshot.h"
#include "Screenshot/PickedWindow.h"
#include "Screenshot/Target.h"

#include <QCoroTask>
#include <QImage>
#include <optional>

class ScrollTargetRoad {
public:
    virtual ~ScrollTargetRoad() = default;
    // Throws CaptureError when the window cannot be captured.
    virtual Target resolveTarget(const PickedWindow& picked) = 0;
    // The capture (kind "scrolling"), or nothing when the user stopped a
    // capture that has nothing to show. Throws CaptureError.
    virtual QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target target) = 0;
};
