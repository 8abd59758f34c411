#include "Editor/Kinds/LineKind.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>

bool LineKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    return a.points.size() >= 2 && AnnotationGeometry::distance(p, a.points[0], a.points[1]) <= tolerance;
}

QList<CanvasGrips::Grip> LineKind::grips(const AnnotationObject& a, QSizeF view, QSizeF px) const
{
    if (a.points.size() < 2)
        return {};
    return {{DragHandle::arrowStart, AnnotationGeometry::viewPoint(a.points[0], px, view)},
            {DragHandle::arrowEnd, AnnotationGeometry::viewPoint(a.points[1], px, view)}};
}

void LineKind::paintShaft(const AnnotationObject& a, QPainter& p, const QPen& pen)
{
    p.setPen(AnnotationInk::dashedIfAsked(a, pen));
    p.drawLine(a.points.at(0), a.points.at(1));
}

void LineKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.size() < 2)
        return;
    const AnnotationInk::ShapeState state(p);
    paintShaft(a, p, AnnotationInk::stroke(AnnotationInk::colour(a.color), a.lineWidth));
}
