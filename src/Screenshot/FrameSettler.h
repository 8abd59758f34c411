#pragma once
// Waits for the scrolled view to come to rest: grabs frame after frame and
// returns as soon as two grabs in a row agree (three, once it was seen
// moving), instead of a fixed pause. Cells
// that keep changing while nothing scrolls (a ticking clock, a spinner: a
// small change in one place, again and again, rather than rows all over the
// frame) are learned and left out of "agree" and of every later comparison. A view still
// moving after the bounded maximum is returned as it stands. Time is read from
// the clock handed in (pauses and grabs as long as they really took), and the
// waiting ends at once when the capture's guard closes.
#include "Platform/MonotonicClock.h"
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameRows.h"
#include "Screenshot/ScrollGuard.h"

#include <QCoroTask>
#include <QSize>
#include <functional>

class FrameSettler {
public:
    // A frame grabbed and fingerprinted; null on failure.
    using Grab = std::function<QCoro::Task<FrameRows>()>;
    using Sleep = std::function<QCoro::Task<void>(int milliseconds)>;

    // The clock must outlive the settler.
    FrameSettler(Grab grab, Sleep sleep, const MonotonicClock& clock, ScrollGuard guard);

    // Frames not of this size count as failed grabs.
    void setExpectedSize(QSize size) { m_size = size; }

    // The frame once the view is at rest. `before`: the frame before the
    // input; a view still showing it has perhaps not reacted yet, so it is
    // taken only after `reactMs` (the caller keeps it until the result).
    // Gives up after `maximumMs` (of pauses and grabs) with the newest frame;
    // null when no grab succeeded or the guard closed.
    QCoro::Task<FrameRows> settle(const FrameRows& before, int reactMs, int maximumMs);

    // Cells that change by themselves, learned so far (empty before the first
    // frame).
    const CellMask& volatileCells() const { return m_volatile; }
    const CellMask* ignore() const { return m_volatile.isEmpty() ? nullptr : &m_volatile; }

    // Two frames of a view that stood still in between (no input, nothing
    // moving): a small change in one place is something that changes by
    // itself, even if it changed only once (a dot that blinks every half
    // second, a clock's minutes).
    void learnInPlace(const FrameRows& a, const FrameRows& b);

    // Pause between two grabs.
    static constexpr int intervalMs = 40;
    // Defaults for a scroll step and for a frame taken without input.
    static constexpr int reactMs = 350;
    static constexpr int maximumMs = 3000;

private:
    bool fits(const FrameRows& frame) const;
    void learn(const FrameRows& a, const FrameRows& b);
    void remember(const CellMask& changed, int total);

    Grab m_grab;
    Sleep m_sleep;
    const MonotonicClock* m_clock;
    ScrollGuard m_guard;
    QSize m_size;
    CellMask m_volatile;
    // The small change seen between the last two grabs (grown a little).
    CellMask m_recent;
};
