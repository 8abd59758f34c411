#pragma once
// The ellipse inscribed in the area of points 0 and 1, filled when asked; hit
// anywhere in its area.
#include "Editor/Kinds/AreaKind.h"

class EllipseKind final : public AreaKind {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::ellipse; }
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Options options() const override { return Option::dashed | Option::fill; }
};
