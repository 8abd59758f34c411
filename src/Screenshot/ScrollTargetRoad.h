#pragma once
// What the scrolling capture does with a picked window: decide what to capture
// (resolveTarget) and capture it (captureTarget). The road for browser pages
// and PDF documents plugs in here; WindowTargetRoad is the plain window road.
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
    // The image, or nothing when the user stopped a capture that has nothing
    // to show. Throws CaptureError.
    virtual QCoro::Task<std::optional<QImage>> captureTarget(Target target) = 0;

    static TargetWindow targetWindow(const PickedWindow& picked)
    {
        return TargetWindow{picked.pid, picked.bounds, picked.number, picked.scrollRegion};
    }
    static PickedWindow pickedWindow(const TargetWindow& window)
    {
        return PickedWindow{qint32(window.pid), window.bounds, window.number, window.scrollRegion};
    }
};
