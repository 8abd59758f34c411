#include "Editor/AnnotationHitTest.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/EditorEnvironment.h"

#include <algorithm>
#include <cmath>

namespace {

QRectF spanned(QPointF a, QPointF b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
}

QRectF grown(const QRectF& r, double by) { return r.adjusted(-by, -by, by, by); }

} // namespace

bool AnnotationHitTest::contains(const QRectF& rect, QPointF p)
{
    const QRectF r = rect.normalized();
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

bool AnnotationHitTest::intersects(const QRectF& a, const QRectF& b)
{
    const QRectF na = a.normalized(), nb = b.normalized();
    return std::max(na.left(), nb.left()) <= std::min(na.right(), nb.right())
        && std::max(na.top(), nb.top()) <= std::min(na.bottom(), nb.bottom());
}

bool AnnotationHitTest::hits(const AnnotationObject& a, QPointF p) const
{
    const double tolerance = std::max(a.lineWidth, 8.0) + 4;
    const QList<QPointF>& pts = a.points;
    switch (a.kind) {
    case AnnotationKind::arrow:
    case AnnotationKind::line:
        return pts.size() >= 2 && AnnotationGeometry::distance(p, pts[0], pts[1]) <= tolerance;
    case AnnotationKind::rectangle: {
        if (pts.size() < 2)
            return false;
        const QRectF area = spanned(pts[0], pts[1]);
        if (!contains(grown(area, tolerance), p))
            return false;
        // Only the outline band counts, unless the rectangle is too small to have an inside.
        const QRectF inner = grown(area, -tolerance);
        return inner.width() <= 0 || inner.height() <= 0 || !contains(inner, p);
    }
    case AnnotationKind::ellipse:
    case AnnotationKind::blur:
    case AnnotationKind::image:
    case AnnotationKind::magnifier:
        return pts.size() >= 2 && contains(grown(spanned(pts[0], pts[1]), tolerance), p);
    case AnnotationKind::freehand: {
        if (pts.size() < 2)
            return false;
        // Cheap rejection first: long strokes have thousands of segments.
        double minX = pts[0].x(), maxX = minX, minY = pts[0].y(), maxY = minY;
        for (const QPointF& q : pts) {
            minX = std::min(minX, q.x());
            maxX = std::max(maxX, q.x());
            minY = std::min(minY, q.y());
            maxY = std::max(maxY, q.y());
        }
        if (p.x() < minX - tolerance || p.x() > maxX + tolerance || p.y() < minY - tolerance
            || p.y() > maxY + tolerance)
            return false;
        for (qsizetype i = 1; i < pts.size(); ++i)
            if (AnnotationGeometry::distance(p, pts[i - 1], pts[i]) <= tolerance)
                return true;
        return false;
    }
    case AnnotationKind::text: {
        if (pts.isEmpty())
            return false;
        return contains(grown(QRectF(pts[0], textSize(a)), tolerance), p);
    }
    case AnnotationKind::badge: {
        if (pts.isEmpty())
            return false;
        const double radius = a.badgeSize ? *a.badgeSize / 2 : 22;
        return std::hypot(p.x() - pts[0].x(), p.y() - pts[0].y()) <= radius + tolerance;
    }
    case AnnotationKind::speechBubble:
        return contains(a.boundingBox(), p);
    case AnnotationKind::cursor:
        return contains(grown(a.boundingBox(), tolerance), p);
    }
    return false;
}

QSizeF AnnotationHitTest::textSize(const AnnotationObject& a) const
{
    TextKey key{a.text.value_or(QString()), a.fontSize.value_or(28), a.fontName};
    if (const auto it = m_textSizes.constFind(key); it != m_textSizes.cend())
        return *it;
    if (m_textSizes.size() >= 4096) // texts edited over a long session
        m_textSizes.clear();
    const QSizeF size = m_environment.textSize(key.text, key.fontSize, key.fontName);
    m_textSizes.insert(std::move(key), size);
    return size;
}

std::optional<qsizetype> AnnotationHitTest::topHit(const QList<AnnotationObject>& annotations, QPointF p) const
{
    for (qsizetype i = annotations.size() - 1; i >= 0; --i)
        if (hits(annotations[i], p))
            return i;
    return std::nullopt;
}
