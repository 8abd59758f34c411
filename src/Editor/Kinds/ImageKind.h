#pragma once
// An inserted picture stretched over the area of points 0 and 1; made by
// inserting or pasting, never drawn with a tool.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class ImageKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::image; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    QList<CanvasGrips::Grip> grips(const AnnotationObject& a, QSizeF viewSize, QSizeF pixelSize) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    Source source() const override { return Source::embeddedPicture; }
};
