#pragma once
// What the kinds that cover the area of points 0 and 1 share: they are hit
// anywhere inside it grown by the tolerance, and offer its four corners as grips.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class AreaKind : public AnnotationKindBehaviour {
public:
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    QList<CanvasGrips::Grip> grips(const AnnotationObject& a, QSizeF viewSize, QSizeF pixelSize) const override;
};
