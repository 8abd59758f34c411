#pragma once
// A stroke through every sampled point, smoothed; never dashed and without grips.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class FreehandKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::freehand; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
};
