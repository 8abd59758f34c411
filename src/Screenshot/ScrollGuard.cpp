#include "Screenshot/ScrollGuard.h"

#include "Debug/DebugLog.h"
#include "Screenshot/WorkerTask.h"

ScrollGuard::ScrollGuard(InputSynthesis& input, const WindowGrabber& grabber, std::weak_ptr<const void> owner)
    : m_state(std::make_shared<State>(State{input, grabber, std::move(owner)}))
{
}

bool ScrollGuard::isOpen() const
{
    return !m_state->closed && !m_state->owner.expired();
}

void ScrollGuard::close()
{
    m_state->closed = true;
}

bool ScrollGuard::pass() const
{
    if (isOpen())
        return true;
    if (m_state->refused++ == 0)
        DebugLog::write(QStringLiteral("SCROLL Aufnahme vorbei — keine Eingabe und kein Bild mehr"));
    return false;
}

bool ScrollGuard::pressKey(InputSynthesis::Key key, bool control)
{
    if (!pass())
        return false;
    m_state->input.pressKey(key, control);
    return true;
}

bool ScrollGuard::scrollWheel(int clicks)
{
    if (!pass())
        return false;
    m_state->input.scrollWheel(clicks);
    return true;
}

bool ScrollGuard::warpPointer(const QPointF& point)
{
    if (!pass())
        return false;
    m_state->input.warpPointer(point);
    return true;
}

bool ScrollGuard::hidePointer()
{
    if (!pass())
        return false;
    m_state->input.hidePointer();
    return true;
}

bool ScrollGuard::showPointer()
{
    if (!pass())
        return false;
    m_state->input.showPointer();
    return true;
}

std::optional<QPointF> ScrollGuard::pointerPosition()
{
    if (!pass())
        return std::nullopt;
    return m_state->input.pointerPosition();
}

QCoro::Task<QImage> ScrollGuard::grab(QRectF region, qreal scale) const
{
    if (!pass())
        co_return QImage();
    // The worker grabs from its own copy, which keeps the backends alive.
    const auto work = [grabber = m_state->grabber, region, scale] { return grabber.image(region, scale); };
    QImage image = co_await onWorker(work);
    co_return image;
}
