#include "Editor/CanvasGrips.h"

#include "Editor/Kinds/AnnotationKinds.h"

#include <cmath>

namespace CanvasGrips {

double displayScale(QSizeF view, QSizeF px)
{
    if (!(view.width() > 0 && view.height() > 0 && px.width() > 0 && px.height() > 0))
        return 1;
    return std::min(view.width() / px.width(), view.height() / px.height());
}

QRectF viewRect(const QRectF& imageRect, QSizeF view, QSizeF px)
{
    const QRectF n = imageRect.normalized();
    return QRectF(AnnotationGeometry::viewPoint(n.topLeft(), px, view), n.size() * displayScale(view, px));
}

QList<Grip> corners(const QRectF& imageRect, QSizeF view, QSizeF px)
{
    const QRectF r = viewRect(imageRect, view, px);
    return {{DragHandle::topLeft, r.topLeft()},
            {DragHandle::topRight, r.topRight()},
            {DragHandle::bottomLeft, r.bottomLeft()},
            {DragHandle::bottomRight, r.bottomRight()}};
}

QList<Grip> handlePositions(const AnnotationObject& a, QSizeF view, QSizeF px)
{
    return AnnotationKinds::of(a.kind).grips(a, view, px);
}

std::optional<DragHandle> nearestGrip(const QList<Grip>& grips, QPointF p, double radius)
{
    std::optional<DragHandle> best;
    double bestDistance = radius;
    for (const Grip& g : grips) {
        const double d = std::hypot(g.point.x() - p.x(), g.point.y() - p.y());
        if (d <= bestDistance && (!best || d < bestDistance)) {
            best = g.handle;
            bestDistance = d;
        }
    }
    return best;
}

std::optional<DragHandle> cropHandleHit(const std::optional<QRectF>& draft, QPointF p, QSizeF view, QSizeF px)
{
    if (!draft || !(draft->width() > 0) || !(draft->height() > 0))
        return std::nullopt;
    for (const Grip& g : corners(*draft, view, px))
        if (std::hypot(g.point.x() - p.x(), g.point.y() - p.y()) <= cropHandleHitRadius)
            return g.handle;
    return std::nullopt;
}

} // namespace CanvasGrips
