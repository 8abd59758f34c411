#pragma once
// Which annotation lies under a point, and the rectangle rules the editor's
// selection uses. A point on a rectangle's maximum edge is outside it.
#include "Models/AnnotationObject.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <optional>

class EditorEnvironment;

class AnnotationHitTest {
public:
    explicit AnnotationHitTest(const EditorEnvironment& environment) : m_environment(environment) {}

    // Whether the point lies on the annotation, with a tolerance of
    // max(line width, 8) + 4 pixels where the kind has one.
    bool hits(const AnnotationObject& annotation, QPointF point) const;
    // Index of the topmost annotation hit (the last one in drawing order).
    std::optional<qsizetype> topHit(const QList<AnnotationObject>& annotations, QPointF point) const;

    // Minimum edges inside, maximum edges outside.
    static bool contains(const QRectF& rect, QPointF point);
    // Closed rectangles: touching edges and rectangles of no area count.
    static bool intersects(const QRectF& a, const QRectF& b);

private:
    const EditorEnvironment& m_environment;
};
