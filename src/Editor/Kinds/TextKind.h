#pragma once
// Lines of words from point 0 (their top-left corner), in the text font rule.
// Its entry field shows the words while they are edited.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class TextKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::text; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    QRectF paintExtent(const AnnotationObject& a) const override;
    QRectF selectionOutline(const AnnotationObject& a) const override;
    std::optional<AnnotationObject> whileWordsEdited(const AnnotationObject& a) const override;
    Options options() const override { return Option::font; }
    // Its size is its font's.
    bool hasLineWidth() const override { return false; }
    Drawn drawn() const override { return Drawn::byTyping; }
    Words words() const override { return Words::atOrigin; }
};
