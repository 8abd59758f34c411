#include "Editor/CanvasGrips.h"

#include "Editor/AnnotationRenderer.h"
#include "Editor/CursorAssets.h"

#include <cmath>

namespace CanvasGrips {

namespace {

QList<Grip> corners(const QRectF& r)
{
    return {{DragHandle::topLeft, r.topLeft()},
            {DragHandle::topRight, r.topRight()},
            {DragHandle::bottomLeft, r.bottomLeft()},
            {DragHandle::bottomRight, r.bottomRight()}};
}

double bubbleRadiusFrac(std::optional<SpeechBubbleStyle> style)
{
    switch (style.value_or(SpeechBubbleStyle::rounded)) {
    case SpeechBubbleStyle::oval: return 0.5;
    case SpeechBubbleStyle::rectangle: return 0.05;
    default: return 0.16;
    }
}

} // namespace

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

QList<Grip> handlePositions(const AnnotationObject& a, QSizeF view, QSizeF px)
{
    const auto map = [&](QPointF p) { return AnnotationGeometry::viewPoint(p, px, view); };
    QList<Grip> grips;
    switch (a.kind) {
    case AnnotationKind::arrow:
    case AnnotationKind::line:
        if (a.points.size() >= 2)
            grips = {{DragHandle::arrowStart, map(a.points[0])}, {DragHandle::arrowEnd, map(a.points[1])}};
        break;
    case AnnotationKind::rectangle:
    case AnnotationKind::ellipse:
    case AnnotationKind::blur:
    case AnnotationKind::image:
    case AnnotationKind::magnifier:
        if (a.points.size() >= 2)
            grips = corners(viewRect(AnnotationRenderer::area(a), view, px));
        break;
    case AnnotationKind::speechBubble: {
        if (a.points.size() < 2)
            break;
        const QRectF box = AnnotationRenderer::area(a);
        grips = corners(viewRect(box, view, px));
        if (a.points.size() >= 3)
            grips.append({DragHandle::tail, map(a.points[2])});
        if (a.points.size() >= 4 && a.bubbleStyle != SpeechBubbleStyle::thought) {
            const auto opening = SpeechBubble::openingProjection(box, a.points[3], bubbleRadiusFrac(a.bubbleStyle));
            grips.append({DragHandle::tailBase, map(opening.point)});
        }
        break;
    }
    case AnnotationKind::cursor:
        if (!a.points.isEmpty())
            grips = corners(viewRect(a.cursorRect(CursorAssets::hotspot(a.cursorStyle.value_or(QString()))), view, px));
        break;
    default:
        break;
    }
    return grips;
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
    for (const Grip& g : corners(viewRect(*draft, view, px)))
        if (std::hypot(g.point.x() - p.x(), g.point.y() - p.y()) <= cropHandleHitRadius)
            return g.handle;
    return std::nullopt;
}

} // namespace CanvasGrips
