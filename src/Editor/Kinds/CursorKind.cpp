#include "Editor/Kinds/CursorKind.h"

#include "Editor/AnnotationHitTest.h"
#include "Editor/CursorAssets.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace {

constexpr double defaultSide = 120;

} // namespace

bool CursorKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    return AnnotationHitTest::contains(a.boundingBox().adjusted(-tolerance, -tolerance, tolerance, tolerance), p);
}

QList<CanvasGrips::Grip> CursorKind::grips(const AnnotationObject& a, QSizeF view, QSizeF px) const
{
    if (a.points.isEmpty())
        return {};
    return CanvasGrips::corners(a.cursorRect(CursorAssets::hotspot(a.cursorStyle.value_or(QString()))), view, px);
}

void CursorKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.isEmpty())
        return;
    const AnnotationInk::ShapeState state(p);
    const QPointF at = a.points.first();
    const QString style = a.cursorStyle.value_or(QStringLiteral("solid_arrow"));
    const double side = a.cursorSize.value_or(defaultSide);
    const QColor tint = AnnotationInk::colour(a.highlightColor.value_or(a.color));

    // A soft disc that fades out towards its rim.
    const double radius = a.highlightSize.value_or(60);
    if (a.highlightEnabled.value_or(false) && radius > 0) {
        QColor inner = tint, outer = tint;
        inner.setAlphaF(float(a.highlightOpacity.value_or(0.5)));
        outer.setAlphaF(0);
        QRadialGradient glow(at, radius);
        glow.setColorAt(0, inner);
        glow.setColorAt(1, outer);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(at, radius, radius);
        p.setBrush(Qt::NoBrush);
    }
    if (CursorAssets::isClickStyle(style))
        for (const CursorAssets::ClickRing& ring : CursorAssets::clickRings(side)) {
            QColor c = tint;
            c.setAlphaF(float(c.alphaF() * ring.opacity));
            p.setPen(AnnotationInk::stroke(c, ring.width));
            p.drawEllipse(at, ring.radius, ring.radius);
        }

    QImage picture = CursorAssets::image(style);
    if (picture.isNull() || side <= 0)
        return;
    const QPointF hot = CursorAssets::hotspot(style);
    const QRectF square(at.x() - hot.x() * side, at.y() - hot.y() * side, side, side);
    // Bilinear sampling alone aliases when shrinking a lot: shrink by area first.
    const double onDevice = side * std::sqrt(std::abs(p.transform().determinant()));
    if (onDevice < 0.7 * picture.width() && onDevice >= 1) {
        const int n = int(std::ceil(onDevice));
        picture = picture.scaled(n, n, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    p.drawImage(square, picture);
}

QRectF CursorKind::paintExtent(const AnnotationObject& a) const
{
    const QPointF p0 = a.points.first();
    // Click rings reach a little beyond the picture on its left and top.
    const double side = a.cursorSize.value_or(defaultSide);
    return a.boundingBox() | QRectF(p0.x() - 0.3 * side, p0.y() - 0.3 * side, 0.6 * side, 0.6 * side);
}

AnnotationObject CursorKind::gripDragged(const AnnotationObject& a, DragHandle grip, QPointF to,
                                         const AnnotationObject&) const
{
    AnnotationObject changed = a;
    if (a.points.isEmpty())
        return changed;
    const QPointF hotspot = CursorAssets::hotspot(a.cursorStyle.value_or(QString()));
    const double hx = hotspot.x(), hy = hotspot.y();
    // Where the dragged corner sits relative to the hotspot, in picture sides.
    double fx = 0, fy = 0;
    switch (grip) {
    case DragHandle::topLeft: fx = -hx, fy = -hy; break;
    case DragHandle::topRight: fx = 1 - hx, fy = -hy; break;
    case DragHandle::bottomLeft: fx = -hx, fy = 1 - hy; break;
    case DragHandle::bottomRight: fx = 1 - hx, fy = 1 - hy; break;
    default: return changed;
    }
    const QPointF hot = a.points[0];
    const double alongX = std::abs(fx) > 0.01 ? std::abs((to.x() - hot.x()) / fx) : 0;
    const double alongY = std::abs(fy) > 0.01 ? std::abs((to.y() - hot.y()) / fy) : 0;
    changed.cursorSize = std::clamp(std::max(alongX, alongY), 5.0, 240.0);
    return changed;
}
