#pragma once
// How the scrolling capture moves a window's content: Page Up / Page Down to
// the focused window, or wheel clicks under the pointer parked over the
// content. For the wheel it learns how far one click scrolls (toolkits and
// browsers differ: 60, 96, 120 pixels and more) from the movement each step
// really produced, and sizes the next step so that consecutive frames share a
// fifth of their content band; a step that went too far is taken back and the
// steps get smaller.
#include "Platform/InputSynthesis.h"
#include "Screenshot/ScrollGuard.h"

#include <QCoroTask>
#include <functional>
#include <optional>

class ScrollStepper {
public:
    enum class Mode { keys, wheel };
    using Sleep = std::function<QCoro::Task<void>(int milliseconds)>;
    // Whether a key may be sent now (the target still has the focus).
    using KeyGate = std::function<bool()>;

    ScrollStepper(ScrollGuard guard, Sleep sleep, KeyGate keyGate, QPointF centre, int frameHeight, Mode mode);

    Mode mode() const { return m_mode; }
    // The wheel from now on; the first steps are sized for a generous click.
    void useWheel();
    void useKeys() { m_mode = Mode::keys; }

    // One step towards the end of the content. False when no input could be
    // sent (the keys' target lost the focus, or the guard closed; a wheel
    // step stops at the first click refused).
    QCoro::Task<bool> forward();
    // Takes the last forward step back.
    QCoro::Task<bool> back();
    // One large step towards the top; overlap does not matter there.
    QCoro::Task<bool> towardsTop();
    // Wheel clicks towards the top, under the parked pointer.
    QCoro::Task<void> wheelBack(int clicks);
    // Wheel clicks at `point` (towards the top when positive); the next step
    // parks the pointer again.
    QCoro::Task<bool> wheelAt(QPointF point, int clicks);

    // A confirmed forward step moved the content `shift` rows; `band` is the
    // height of the content band between the fixed rows; `clicksSent` the
    // wheel clicks sent since the seam before, where more than the last step
    // (a click that seemed to move nothing moves later, with the next one).
    void learn(int shift, int band, int clicksSent = 0);
    // The last forward step's seam could not be confirmed: halves the wheel
    // step. False when it cannot get smaller (one click, or keys).
    bool shrink();
    // A step of `clicks` went too far and a smaller one did not: no later
    // step is that large again.
    void keepBelow(int clicks);

    // Rows of content a step should leave in both frames, for a content band
    // of `band` rows: a fifth, at least 64.
    static int overlapWanted(int band) { return qMax(band / 5, 64); }
    // A page key that leaves fewer rows than this in both frames goes too
    // far to be relied on (the wheel can be sized instead).
    static int keyOverlapNeeded(int band) { return qMin(band / 5, 64); }

    // The movement the next forward step should produce (0: unknown), and
    // whether that was measured on earlier steps.
    int expected() const;
    bool expectedTrusted() const;
    int clicks() const { return m_clicks; }
    double pixelsPerClick() const { return m_pixelsPerClick; }
    // Rows one page key moved the content; 0 until measured.
    int keyShift() const { return m_keyShift; }

    // A click is assumed to scroll at most this far until one is measured.
    static constexpr int generousClickPixels = 150;
    // Between two wheel clicks of one step.
    static constexpr int clickPauseMs = 5;

private:
    bool key(InputSynthesis::Key key);
    QCoro::Task<bool> wheel(int clicks, int pauseMs, std::optional<QPointF> at = std::nullopt);

    ScrollGuard m_guard;
    Sleep m_sleep;
    KeyGate m_keyGate;
    QPointF m_centre;
    int m_frameHeight;
    Mode m_mode;
    int m_clicks = 1;
    double m_pixelsPerClick = 0; // 0: not measured yet
    int m_keyShift = 0;          // 0: not measured yet
    int m_ceiling = 0;           // most clicks a step may have; 0: no limit
};
