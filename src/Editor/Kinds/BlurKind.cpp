#include "Editor/Kinds/BlurKind.h"

#include "Editor/AnnotationRenderer.h"

#include <QPainter>

bool BlurKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    return inGrownArea(a, p, tolerance);
}

QList<CanvasGrips::Grip> BlurKind::grips(const AnnotationObject& a, QSizeF view, QSizeF px) const
{
    return areaGrips(a, view, px);
}

void BlurKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop& backdrop) const
{
    if (a.points.size() < 2 || !backdrop.blurred || backdrop.blurred->isNull())
        return;
    p.save();
    // Scaled on the canvas; the flattened picture places it pixel for pixel.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRect(AnnotationRenderer::area(a), Qt::IntersectClip);
    p.drawImage(QPointF(backdrop.blurredOrigin), *backdrop.blurred);
    p.restore();
}
