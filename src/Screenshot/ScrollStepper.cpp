#include "Screenshot/ScrollStepper.h"

#include <cmath>

ScrollStepper::ScrollStepper(ScrollGuard guard, Sleep sleep, KeyGate keyGate, QPointF centre, int frameHeight,
                             Mode mode)
    : m_guard(std::move(guard))
    , m_sleep(std::move(sleep))
    , m_keyGate(std::move(keyGate))
    , m_centre(centre)
    , m_frameHeight(frameHeight)
    , m_mode(mode)
{
    if (mode == Mode::wheel)
        useWheel();
}

void ScrollStepper::useWheel()
{
    m_mode = Mode::wheel;
    // A third of the frame even if a click scrolls far, before anything is known.
    if (m_pixelsPerClick <= 0)
        m_clicks = qMax(1, m_frameHeight / 3 / generousClickPixels);
}

QCoro::Task<bool> ScrollStepper::wheel(int clicks, int pauseMs, std::optional<QPointF> at)
{
    // The pointer cannot be decoupled from the mouse on X11: it is put back
    // over the content before every step, so the wheel reaches it.
    if (!m_guard.warpPointer(at.value_or(m_centre)))
        co_return false;
    for (int i = 0; i < std::abs(clicks); ++i) {
        if (!m_guard.scrollWheel(clicks > 0 ? 1 : -1))
            co_return false;
        co_await m_sleep(pauseMs);
    }
    co_return true;
}

bool ScrollStepper::key(InputSynthesis::Key key)
{
    if (!m_keyGate())
        return false;
    return m_guard.pressKey(key, false);
}

QCoro::Task<bool> ScrollStepper::forward()
{
    if (m_mode == Mode::keys)
        co_return key(InputSynthesis::Key::pageDown);
    const bool sent = co_await wheel(-m_clicks, clickPauseMs);
    co_return sent;
}

QCoro::Task<bool> ScrollStepper::back()
{
    if (m_mode == Mode::keys)
        co_return key(InputSynthesis::Key::pageUp);
    const bool sent = co_await wheel(m_clicks, clickPauseMs);
    co_return sent;
}

QCoro::Task<bool> ScrollStepper::towardsTop()
{
    if (m_mode == Mode::keys)
        co_return key(InputSynthesis::Key::pageUp);
    // About two frames at a usual click size, in one quick burst.
    const bool sent = co_await wheel(qMax(10, m_frameHeight / 30), 5);
    co_return sent;
}

void ScrollStepper::learn(int shift, int band, int clicksSent)
{
    if (shift <= 0)
        return;
    if (m_mode == Mode::keys) {
        // The largest, as for the wheel below.
        m_keyShift = qMax(m_keyShift, shift);
        return;
    }
    const double measured = double(shift) / qMax(m_clicks, clicksSent);
    // A view caught while it still glided (smooth scrolling), or one that
    // stopped at the end, moved less than the clicks ask: that says nothing
    // about a click. The largest measurement holds (it sizes the smallest
    // steps); one of more than twice that is no click either.
    if (m_pixelsPerClick <= 0 || (measured > m_pixelsPerClick && measured <= m_pixelsPerClick * 2))
        m_pixelsPerClick = measured;
    // As far as the seam can still be confirmed with room to spare.
    m_clicks = qMax(1, int(std::floor((band - overlapWanted(band)) / m_pixelsPerClick)));
    // Never again as far as a step that went too far.
    if (m_ceiling > 0)
        m_clicks = qMin(m_clicks, m_ceiling);
}

QCoro::Task<void> ScrollStepper::wheelBack(int clicks)
{
    co_await wheel(clicks, clickPauseMs);
}

QCoro::Task<bool> ScrollStepper::wheelAt(QPointF point, int clicks)
{
    const bool sent = co_await wheel(clicks, clickPauseMs, point);
    co_return sent;
}

bool ScrollStepper::shrink()
{
    if (m_mode != Mode::wheel || m_clicks <= 1)
        return false;
    m_clicks = qMax(1, m_clicks / 2);
    return true;
}

void ScrollStepper::keepBelow(int clicks)
{
    if (clicks <= 1)
        return;
    m_ceiling = m_ceiling > 0 ? qMin(m_ceiling, clicks - 1) : clicks - 1;
    m_clicks = qMin(m_clicks, m_ceiling);
}

int ScrollStepper::expected() const
{
    if (m_mode == Mode::keys)
        return m_keyShift;
    return m_pixelsPerClick > 0 ? int(std::lround(m_clicks * m_pixelsPerClick)) : 0;
}

bool ScrollStepper::expectedTrusted() const
{
    return m_mode == Mode::keys ? m_keyShift > 0 : m_pixelsPerClick > 0;
}
