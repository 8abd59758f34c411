#include "Editor/Kinds/RectangleKind.h"

#include "Editor/AnnotationHitTest.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>
#include <algorithm>

bool RectangleKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest& test) const
{
    if (!AreaKind::hits(a, p, tolerance, test))
        return false;
    // Only the outline band counts, unless the rectangle is too small to have an inside.
    const QRectF inner = AnnotationRenderer::area(a).adjusted(tolerance, tolerance, -tolerance, -tolerance);
    return inner.width() <= 0 || inner.height() <= 0 || !AnnotationHitTest::contains(inner, p);
}

void RectangleKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.size() < 2)
        return;
    const AnnotationInk::ShapeState state(p);
    const QRectF r = AnnotationRenderer::area(a);
    const double radius = std::min(std::min(r.width(), r.height()) / 2, a.cornerRadius.value_or(0));
    QPainterPath shape;
    if (radius > 0)
        shape.addRoundedRect(r, radius, radius);
    else
        shape.addRect(r);
    AnnotationInk::fillAndStroke(a, p, shape);
}
