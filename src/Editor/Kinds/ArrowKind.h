#pragma once
// A line with an open head at point 1; the head is always solid.
#include "Editor/Kinds/LineKind.h"

class ArrowKind final : public LineKind {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::arrow; }
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
};
