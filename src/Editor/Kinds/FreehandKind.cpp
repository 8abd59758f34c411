#include "Editor/Kinds/FreehandKind.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>
#include <algorithm>

namespace {

// Quadratic pieces through the midpoints between samples, each sample the
// control point of its piece.
QPainterPath smoothedPath(const QList<QPointF>& pts)
{
    QPainterPath path;
    if (pts.isEmpty())
        return path;
    path.moveTo(pts.first());
    if (pts.size() == 2) {
        path.lineTo(pts.at(1));
        return path;
    }
    for (qsizetype i = 1; i + 1 < pts.size(); ++i)
        path.quadTo(pts.at(i), (pts.at(i) + pts.at(i + 1)) / 2);
    if (pts.size() > 2)
        path.lineTo(pts.last());
    return path;
}

} // namespace

bool FreehandKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    const QList<QPointF>& pts = a.points;
    if (pts.size() < 2)
        return false;
    // Cheap rejection first: long strokes have thousands of segments.
    double minX = pts[0].x(), maxX = minX, minY = pts[0].y(), maxY = minY;
    for (const QPointF& q : pts) {
        minX = std::min(minX, q.x());
        maxX = std::max(maxX, q.x());
        minY = std::min(minY, q.y());
        maxY = std::max(maxY, q.y());
    }
    if (p.x() < minX - tolerance || p.x() > maxX + tolerance || p.y() < minY - tolerance || p.y() > maxY + tolerance)
        return false;
    for (qsizetype i = 1; i < pts.size(); ++i)
        if (AnnotationGeometry::distance(p, pts[i - 1], pts[i]) <= tolerance)
            return true;
    return false;
}

void FreehandKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.size() < 2)
        return;
    const AnnotationInk::ShapeState state(p);
    p.strokePath(smoothedPath(a.points), AnnotationInk::stroke(AnnotationInk::colour(a.color), a.lineWidth));
}

void FreehandKind::dragTo(QList<QPointF>& points, QPointF to) const
{
    points.append(to);
}
