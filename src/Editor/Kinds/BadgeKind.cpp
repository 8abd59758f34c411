#include "Editor/Kinds/BadgeKind.h"

#include "Editor/AnnotationFont.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double defaultDiameter = 44;

} // namespace

bool BadgeKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest&) const
{
    if (a.points.isEmpty())
        return false;
    const double radius = a.badgeSize ? *a.badgeSize / 2 : defaultDiameter / 2;
    return std::hypot(p.x() - a.points[0].x(), p.y() - a.points[0].y()) <= radius + tolerance;
}

void BadgeKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.isEmpty())
        return;
    const AnnotationInk::ShapeState state(p);
    const QPointF c = a.points.first();
    const double d = a.badgeSize.value_or(defaultDiameter);
    p.setPen(Qt::NoPen);
    p.setBrush(AnnotationInk::colour(a.color));
    p.drawEllipse(c, d / 2, d / 2);
    p.setBrush(Qt::NoBrush);

    const QString label = QString::number(a.badgeNumber.value_or(1));
    p.setFont(AnnotationFont::bold(a.fontSize.value_or(std::max(d / 2, 12.0)), *p.device()));
    const QFontMetricsF m(p.font(), p.device());
    p.setPen(a.badgeTextColor ? AnnotationInk::colour(*a.badgeTextColor) : QColor(Qt::white));
    // Centred both ways on the disc by the line's typographic extent.
    p.drawText(QPointF(c.x() - m.horizontalAdvance(label) / 2, c.y() + (m.ascent() - m.descent()) / 2), label);
}

QRectF BadgeKind::paintExtent(const AnnotationObject& a) const
{
    const QPointF p0 = a.points.first();
    // The number may be wider than its disc.
    const double half = std::max(a.badgeSize.value_or(defaultDiameter) / 2, 1.5 * a.fontSize.value_or(22));
    return QRectF(p0.x() - half, p0.y() - half, 2 * half, 2 * half);
}

void BadgeKind::setUpNew(AnnotationObject& a, const QList<AnnotationObject>& others) const
{
    qint64 highest = 0;
    for (const AnnotationObject& o : others)
        if (o.kind == AnnotationKind::badge && o.badgeNumber)
            highest = std::max(highest, *o.badgeNumber);
    a.badgeNumber = highest + 1;
}
