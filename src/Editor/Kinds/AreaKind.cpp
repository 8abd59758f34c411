#include "Editor/Kinds/AreaKind.h"

#include "Editor/AnnotationHitTest.h"
#include "Editor/AnnotationRenderer.h"

bool AreaKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    return a.points.size() >= 2
        && AnnotationHitTest::contains(AnnotationRenderer::area(a).adjusted(-tolerance, -tolerance, tolerance, tolerance),
                                       p);
}

QList<CanvasGrips::Grip> AreaKind::grips(const AnnotationObject& a, QSizeF view, QSizeF px) const
{
    if (a.points.size() < 2)
        return {};
    return CanvasGrips::corners(AnnotationRenderer::area(a), view, px);
}
