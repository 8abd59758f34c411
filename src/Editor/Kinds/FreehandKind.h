#pragma once
// A stroke through every sampled point, smoothed; never dashed and without grips.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class FreehandKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::freehand; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    // Every point the pointer passes is kept, the press included.
    void dragTo(QList<QPointF>& points, QPointF to) const override;
    // A click leaves a dot.
    bool isDrawn(const QList<QPointF>& points) const override { return points.size() > 1; }
};
