#include "Editor/AnnotationHitTest.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/Kinds/AnnotationKinds.h"

#include <algorithm>

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
    return AnnotationKinds::of(a.kind).hits(a, p, tolerance, *this);
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
