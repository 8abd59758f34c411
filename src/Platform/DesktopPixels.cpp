#include "Platform/DesktopPixels.h"

#include <cmath>
#include <limits>

namespace {
QRectF pointsOf(const DesktopPixels::Screen& s)
{
    return QRectF(QPointF(s.pixels.topLeft()), QSizeF(s.pixels.size()) / s.scale);
}

// Squared distance of a place to a rectangle, 0 inside.
qreal distance(const QRectF& r, QPointF p)
{
    const qreal dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
    const qreal dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
    return dx * dx + dy * dy;
}

template <typename Area>
const DesktopPixels::Screen* nearest(const QList<DesktopPixels::Screen>& screens, QPointF p, Area area)
{
    const DesktopPixels::Screen* best = nullptr;
    qreal bestDistance = std::numeric_limits<qreal>::max();
    for (const DesktopPixels::Screen& s : screens) {
        const QRectF r = area(s);
        // Half-open: a place on the edge between two screens is the next one's.
        if (p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom())
            return &s;
        if (const qreal d = distance(r, p); d < bestDistance) {
            bestDistance = d;
            best = &s;
        }
    }
    return best;
}
} // namespace

DesktopPixels::DesktopPixels(QList<Screen> screens)
    : m_screens(std::move(screens))
{
    for (Screen& s : m_screens)
        if (!(s.scale > 0) || !std::isfinite(s.scale))
            s.scale = 1.0;
}

DesktopPixels DesktopPixels::of(const QList<ScreenInfo>& screens)
{
    QList<Screen> list;
    for (const ScreenInfo& s : screens) {
        const qreal scale = s.scale > 0 ? s.scale : 1.0;
        const QPoint origin(qRound(s.frame.x()), qRound(s.frame.y()));
        list.append({QRect(origin, QSize(qRound(s.frame.width() * scale), qRound(s.frame.height() * scale))), scale});
    }
    return DesktopPixels(std::move(list));
}

const DesktopPixels::Screen* DesktopPixels::screenOfPixel(QPointF pixel) const
{
    return nearest(m_screens, pixel, [](const Screen& s) { return QRectF(s.pixels); });
}

const DesktopPixels::Screen* DesktopPixels::screenOfPoint(QPointF point) const
{
    return nearest(m_screens, point, pointsOf);
}

QPointF DesktopPixels::toPoints(QPointF pixel) const
{
    const Screen* s = screenOfPixel(pixel);
    if (!s)
        return pixel;
    const QPointF origin(s->pixels.topLeft());
    return origin + (pixel - origin) / s->scale;
}

QRectF DesktopPixels::toPoints(const QRectF& pixels) const
{
    const Screen* s = screenOfPixel(pixels.center());
    if (!s)
        return pixels;
    const QPointF origin(s->pixels.topLeft());
    return QRectF(origin + (pixels.topLeft() - origin) / s->scale, pixels.size() / s->scale);
}

QPointF DesktopPixels::toPixels(QPointF point) const
{
    const Screen* s = screenOfPoint(point);
    if (!s)
        return point;
    const QPointF origin(s->pixels.topLeft());
    return origin + (point - origin) * s->scale;
}

QRectF DesktopPixels::toPixels(const QRectF& points) const
{
    const Screen* s = screenOfPoint(points.center());
    if (!s)
        return points;
    const QPointF origin(s->pixels.topLeft());
    return QRectF(origin + (points.topLeft() - origin) * s->scale, points.size() * s->scale);
}
