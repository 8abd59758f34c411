#include "Editor/Kinds/EllipseKind.h"

#include "Editor/AnnotationRenderer.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>

bool EllipseKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    return inGrownArea(a, p, tolerance);
}

QList<CanvasGrips::Grip> EllipseKind::grips(const AnnotationObject& a, QSizeF view, QSizeF px) const
{
    return areaGrips(a, view, px);
}

void EllipseKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.size() < 2)
        return;
    const AnnotationInk::ShapeState state(p);
    QPainterPath shape;
    shape.addEllipse(AnnotationRenderer::area(a));
    AnnotationInk::fillAndStroke(a, p, shape);
}
