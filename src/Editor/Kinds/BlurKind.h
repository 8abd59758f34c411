#pragma once
// The area of points 0 and 1 showing the picture pixelated or blurred, never
// the annotations beneath it.
#include "Editor/Kinds/AreaKind.h"

class BlurKind final : public AreaKind {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::blur; }
    // The backdrop's blurred picture, clipped to the area.
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Source source() const override { return Source::blurredPicture; }
    Options options() const override { return Option::blur; }
};
