#pragma once
// The area of points 0 and 1 showing the picture pixelated or blurred, never
// the annotations beneath it.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class BlurKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::blur; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    QList<CanvasGrips::Grip> grips(const AnnotationObject& a, QSizeF viewSize, QSizeF pixelSize) const override;
    // The backdrop's blurred picture, clipped to the area.
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Source source() const override { return Source::blurredPicture; }
    Options options() const override { return Option::blur; }
};
