#pragma once
// The ellipse inscribed in the area of points 0 and 1, filled when asked; hit
// anywhere in its area.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class EllipseKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::ellipse; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    QList<CanvasGrips::Grip> grips(const AnnotationObject& a, QSizeF viewSize, QSizeF pixelSize) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Options options() const override { return Option::dashed | Option::fill; }
};
