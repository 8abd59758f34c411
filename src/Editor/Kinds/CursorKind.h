#pragma once
// A mouse-pointer picture whose hotspot sits on point 0, with click rings and
// a soft highlight disc when asked; grips on the picture's corners.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class CursorKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::cursor; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    QList<CanvasGrips::Grip> grips(const AnnotationObject& a, QSizeF viewSize, QSizeF pixelSize) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    QRectF paintExtent(const AnnotationObject& a) const override;
    Options options() const override { return Option::cursor; }
};
