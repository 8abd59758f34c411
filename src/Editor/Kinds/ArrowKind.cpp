#include "Editor/Kinds/ArrowKind.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>

void ArrowKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.size() < 2)
        return;
    const AnnotationInk::ShapeState state(p);
    const QPen pen = AnnotationInk::stroke(AnnotationInk::colour(a.color), a.lineWidth);
    paintShaft(a, p, pen);
    const QPointF p0 = a.points.at(0), p1 = a.points.at(1);
    const auto [left, right] = AnnotationGeometry::arrowHead(p0, p1, a.lineWidth);
    p.setPen(pen);
    const QPointF head[] = {left, p1, right};
    p.drawPolyline(head, 3);
}
