#include "Screenshot/FrameSettler.h"

#include "Screenshot/FrameMatcher.h"
#include "Screenshot/MovedChange.h"

FrameSettler::FrameSettler(Grab grab, Sleep sleep, const MonotonicClock& clock, ScrollGuard guard)
    : m_grab(std::move(grab))
    , m_sleep(std::move(sleep))
    , m_clock(&clock)
    , m_guard(std::move(guard))
{
}

bool FrameSettler::fits(const FrameRows& frame) const
{
    return !frame.isNull() && (!m_size.isValid() || frame.image().size() == m_size);
}

void FrameSettler::learn(const FrameRows& a, const FrameRows& b)
{
    if (m_volatile.rows() != a.height() || m_volatile.cells() != a.cells())
        m_volatile = CellMask(a.height(), a.cells());
    const FrameMatcher::Change change = FrameMatcher::change(a, b, ignore());
    // Only what a scroll cannot have done, and only where it changes again
    // the next time: a clock ticks on, while a late repaint of a piece of the
    // view (a tile drawn after the others) happens once and must not hide
    // that piece from every later comparison. Never most of the frame.
    const CellMask before = m_recent;
    m_recent = CellMask();
    // (A few labels on a plain page, still gliding, are content.)
    if (!FrameMatcher::localChange(change) || MovedChange::explains(a, b, change.changed))
        return;
    m_recent = CellMask(change.changed.rows(), change.changed.cells());
    m_recent.unite(change.changed, 3, 1);
    CellMask again(change.changed.rows(), change.changed.cells());
    bool repeated = false;
    for (int y = 0; y < change.changed.rows(); ++y)
        for (int c = 0; c < change.changed.cells(); ++c)
            if (change.changed.contains(y, c) && before.contains(y, c)) {
                again.insert(y, c);
                repeated = true;
            }
    if (repeated)
        remember(again, change.total);
}

void FrameSettler::learnInPlace(const FrameRows& a, const FrameRows& b)
{
    if (!fits(a) || !fits(b))
        return;
    if (m_volatile.rows() != a.height() || m_volatile.cells() != a.cells())
        m_volatile = CellMask(a.height(), a.cells());
    // Small against the frame: a picture that loaded late changes once and
    // stays part of the content.
    const FrameMatcher::Change change = FrameMatcher::change(a, b, ignore());
    const QRect box = change.changed.boundingBox();
    if (FrameMatcher::localChange(change) && qint64(box.width()) * box.height() * 32 <= change.total
        && !MovedChange::explains(a, b, change.changed))
        remember(change.changed, change.total);
}

void FrameSettler::remember(const CellMask& changed, int total)
{
    // The whole box around it: the other digits of a clock change too, only
    // less often.
    CellMask grown = m_volatile;
    const QRect box = changed.boundingBox().adjusted(-2, -4, 2, 4);
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int c = box.left(); c <= box.right(); ++c)
            grown.insert(y, c);
    if (qint64(grown.count()) * 4 <= qint64(total))
        m_volatile = grown;
}

QCoro::Task<FrameRows> FrameSettler::settle(const FrameRows& before, int reactMs, int maximumMs)
{
    // The clock counts the pauses and the grabs as long as they took; the
    // attempts are bounded too, for a clock that does not move at all.
    const MonotonicClock& clock = *m_clock;
    const qint64 start = clock.milliseconds();
    auto waited = [&clock, start] { return clock.milliseconds() - start; };
    auto next = [this]() -> QCoro::Task<FrameRows> {
        if (!m_guard.isOpen())
            co_return FrameRows();
        FrameRows frame = co_await m_grab();
        co_return frame;
    };
    FrameRows previous = co_await next();
    FrameRows newest = previous;
    int attempts = 0;
    // A view seen moving must agree twice in a row: a smooth scroll held up
    // on a busy machine stands still for a moment on its way.
    bool moving = false;
    int calm = 0;
    while (m_guard.isOpen() && waited() < maximumMs && ++attempts <= maximumMs / intervalMs) {
        co_await m_sleep(intervalMs);
        if (!m_guard.isOpen())
            break;
        FrameRows current = co_await next();
        if (!fits(current)) {
            previous = current;
            continue;
        }
        newest = current;
        if (fits(previous)) {
            learn(previous, current);
            const bool agree = FrameMatcher::sameContent(previous, current, ignore());
            moving = moving || !agree;
            calm = agree ? calm + 1 : 0;
            const bool reacted = before.isNull() || !FrameMatcher::sameContent(before, current, ignore());
            if (calm >= (moving ? 2 : 1) && (reacted || waited() >= reactMs))
                co_return current;
        }
        previous = current;
    }
    if (!fits(newest) || !m_guard.isOpen())
        co_return FrameRows();
    co_return newest;
}
