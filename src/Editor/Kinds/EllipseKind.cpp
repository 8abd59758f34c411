#include "Editor/Kinds/EllipseKind.h"

#include "Editor/AnnotationRenderer.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>

void EllipseKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.size() < 2)
        return;
    const AnnotationInk::ShapeState state(p);
    QPainterPath shape;
    shape.addEllipse(AnnotationRenderer::area(a));
    AnnotationInk::fillAndStroke(a, p, shape);
}
