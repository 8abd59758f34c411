#pragma once
// An inserted picture stretched over the area of points 0 and 1; made by
// inserting or pasting, never drawn with a tool.
#include "Editor/Kinds/AreaKind.h"

class ImageKind final : public AreaKind {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::image; }
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Source source() const override { return Source::embeddedPicture; }
};
