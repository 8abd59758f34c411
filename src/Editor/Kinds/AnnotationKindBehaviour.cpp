#include "Editor/Kinds/AnnotationKindBehaviour.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/AnnotationHitTest.h"
#include "Editor/AnnotationRenderer.h"

QList<CanvasGrips::Grip> AnnotationKindBehaviour::grips(const AnnotationObject&, QSizeF, QSizeF) const
{
    return {};
}

bool AnnotationKindBehaviour::nearSegment(const AnnotationObject& a, QPointF p, double tolerance)
{
    return a.points.size() >= 2 && AnnotationGeometry::distance(p, a.points[0], a.points[1]) <= tolerance;
}

bool AnnotationKindBehaviour::inGrownArea(const AnnotationObject& a, QPointF p, double tolerance)
{
    return a.points.size() >= 2
        && AnnotationHitTest::contains(AnnotationRenderer::area(a).adjusted(-tolerance, -tolerance, tolerance, tolerance),
                                       p);
}

QList<CanvasGrips::Grip> AnnotationKindBehaviour::endGrips(const AnnotationObject& a, QSizeF view, QSizeF px)
{
    if (a.points.size() < 2)
        return {};
    return {{DragHandle::arrowStart, AnnotationGeometry::viewPoint(a.points[0], px, view)},
            {DragHandle::arrowEnd, AnnotationGeometry::viewPoint(a.points[1], px, view)}};
}

QList<CanvasGrips::Grip> AnnotationKindBehaviour::areaGrips(const AnnotationObject& a, QSizeF view, QSizeF px)
{
    if (a.points.size() < 2)
        return {};
    return CanvasGrips::corners(AnnotationRenderer::area(a), view, px);
}
