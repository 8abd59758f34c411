#include "Editor/Kinds/MagnifierKind.h"

#include "Editor/AnnotationRenderer.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

void MagnifierKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop& backdrop) const
{
    if (a.points.size() < 2 || !backdrop.picture || backdrop.picture->isNull())
        return;
    const QImage& source = *backdrop.picture;
    const QRectF r = AnnotationRenderer::area(a);
    const QPointF c = r.center();
    const double zoom = std::max(a.magnification.value_or(2.2), 1.2);
    QPainterPath lens;
    lens.addEllipse(r);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipPath(lens, Qt::IntersectClip);
    // The whole picture scaled by the zoom about the loupe's centre, so the
    // pixel under the centre stays put; only the part that lands in the loupe is drawn.
    const QRect from = QRectF(c + (r.topLeft() - c) / zoom, r.size() / zoom)
                           .toAlignedRect()
                           .adjusted(-2, -2, 2, 2)
                           .intersected(source.rect());
    if (!from.isEmpty()) {
        const QRectF to(c + (QPointF(from.topLeft()) - c) * zoom, QSizeF(from.size()) * zoom);
        p.drawImage(to, source, from);
    }
    p.restore();

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(AnnotationInk::stroke(AnnotationInk::colour(a.color), std::max(a.lineWidth, 2.0)));
    p.drawEllipse(r);
    p.restore();
}
