#pragma once
// The area of points 0 and 1 outlined, with rounded corners and a fill when
// asked. Only its outline band is hit, so what lies inside stays reachable.
#include "Editor/Kinds/AreaKind.h"

class RectangleKind final : public AreaKind {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::rectangle; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Options options() const override { return Option::dashed | Option::fill | Option::corner; }
};
