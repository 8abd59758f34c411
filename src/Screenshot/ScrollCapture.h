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

class ScrollProgressHUD;
class ScrollTargetRoad;

class ScrollCapture {
public:
    using Picker = std::function<QCoro::Task<std::optional<PickedWindow>>()>;
    // The panel shows while a page or document capture runs (the window loop
    // shows its own cover).
    ScrollCapture(Picker picker, std::shared_ptr<ScrollTargetRoad> road, ScrollProgressHUD& panel);

    // The capture (kind "scrolling", maybe marked incomplete); nothing when
    // the picker was cancelled or a run is already under way. Errors of the
    // target road reach the caller unchanged. A run keeps picker and road
    // alive, also when this object goes away before it ends (the panel must
    // outlive it).
    QCoro::Task<std::optional<CapturedScreenshot>> run();
    bool isRunning() const { return m_state->running; }

private:
    struct State {
        Picker picker;
        std::shared_ptr<ScrollTargetRoad> road;
        ScrollProgressHUD& panel;
        bool running = false;
    };
    std::shared_ptr<State> m_state;
};
