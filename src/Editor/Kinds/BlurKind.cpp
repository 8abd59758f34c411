#include "Editor/Kinds/BlurKind.h"

#include "Editor/AnnotationRenderer.h"

#include <QPainter>

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
