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
    Drawn drawn() const override { return Drawn::byClick; }
    // A corner grip scales the picture about its hotspot, which stays put.
    AnnotationObject gripDragged(const AnnotationObject& a, DragHandle grip, QPointF to,
                                 const AnnotationObject& start) const override;
};
