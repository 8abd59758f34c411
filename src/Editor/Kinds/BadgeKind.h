#pragma once
// A numbered disc centred on point 0; hit within its radius and the tolerance.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class BadgeKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::badge; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    QRectF paintExtent(const AnnotationObject& a) const override;
    Options options() const override { return Option::badge; }
    Drawn drawn() const override { return Drawn::byClick; }
    // The next number: one above the highest present, so gaps are never refilled.
    void setUpNew(AnnotationObject& a, const QList<AnnotationObject>& others) const override;
};
