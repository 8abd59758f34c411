#pragma once
// The entry of the scrolling capture: the user picks a window (or drags a
// section of one), the target road decides what to capture and captures it,
// and the result comes back as one image whose size in points is its size in
// pixels. One run at a time.
#include "Screenshot/CapturedScreenshot.h"
#include "Screenshot/PickedWindow.h"

#include <QCoroTask>
#include <QImage>
#include <functional>
#include <memory>
#include <optional>

class ScrollTargetRoad;

class ScrollCapture {
public:
    ScrollCapture() = delete;

    using Picker = std::function<QCoro::Task<std::optional<PickedWindow>>()>;
    // Set once at start-up.
    static void setPicker(Picker picker);
    static void setTargetRoad(std::shared_ptr<ScrollTargetRoad> road);

    // The capture (kind "scrolling", maybe marked incomplete); nothing when
    // the picker was cancelled or a run is already under way. Errors of the
    // target road reach the caller unchanged.
    static QCoro::Task<std::optional<CapturedScreenshot>> run();
    static bool isRunning();
};
