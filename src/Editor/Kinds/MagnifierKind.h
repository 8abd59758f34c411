#pragma once
// A loupe: the picture magnified about the centre of the area of points 0 and
// 1, inside the ellipse of that area, with its ring.
#include "Editor/Kinds/AreaKind.h"

class MagnifierKind final : public AreaKind {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::magnifier; }
    // Magnifies the backdrop's picture, never the annotations beneath.
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Source source() const override { return Source::picture; }
    Options options() const override { return Option::magnifier; }
};
