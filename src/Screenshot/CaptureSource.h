#pragma once
// Where a capture's picture comes from: the interactive capture (freeze,
// optional intro, selection overlay) and the immediate full-screen capture.
// Both end in a completion with the picture or nothing (cancelled or failed).
#include "Screenshot/CapturedScreenshot.h"

#include <functional>
#include <optional>

class CaptureSource {
public:
    using Completion = std::function<void(std::optional<CapturedScreenshot>)>;
    // Shown after the freeze, before the overlay; calls its continuation once,
    // true to go on, false to cancel.
    using Intro = std::function<void(std::function<void(bool)>)>;

    virtual ~CaptureSource() = default;

    virtual void beginInteractiveCapture(bool detectWindows, Intro intro, Completion completion) = 0;
    virtual void captureFullScreenImmediately(bool showsCursor, Completion completion) = 0;
};
