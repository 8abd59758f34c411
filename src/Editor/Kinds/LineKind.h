#pragma once
// A straight stroke from point 0 to point 1, dashed when asked; grips on both ends.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class QPen;

class LineKind : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::line; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    QList<CanvasGrips::Grip> grips(const AnnotationObject& a, QSizeF viewSize, QSizeF pixelSize) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Options options() const override { return Option::dashed; }

protected:
    // The stroke alone, with `pen` dashed when asked; needs two points.
    static void paintShaft(const AnnotationObject& a, QPainter& painter, const QPen& pen);
};
