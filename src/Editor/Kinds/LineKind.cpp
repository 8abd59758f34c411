#include "Editor/Kinds/LineKind.h"

#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>

bool LineKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    return nearSegment(a, p, tolerance);
}

QList<CanvasGrips::Grip> LineKind::grips(const AnnotationObject& a, QSizeF view, QSizeF px) const
{
    return endGrips(a, view, px);
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
