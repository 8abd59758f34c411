#pragma once
// A white bubble whose body spans points 0 and 1, with a tail to point 2 that
// leaves the body near point 3 (or, for a thought, three small circles), and
// words inside. Hit anywhere in its bounding box.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

class SpeechBubbleKind final : public AnnotationKindBehaviour {
public:
    constexpr AnnotationKind kind() const override { return AnnotationKind::speechBubble; }
    bool hits(const AnnotationObject& a, QPointF point, double tolerance, const AnnotationHitTest& test) const override;
    // The body's corners, the tail's tip and (but for a thought) where the tail leaves the body.
    QList<CanvasGrips::Grip> grips(const AnnotationObject& a, QSizeF viewSize, QSizeF pixelSize) const override;
    void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const override;
    QRectF paintExtent(const AnnotationObject& a) const override;
    QRectF selectionOutline(const AnnotationObject& a) const override;
    std::optional<AnnotationObject> whileWordsEdited(const AnnotationObject& a) const override;
    Options options() const override { return Option::font | Option::bubble; }
    Words words() const override { return Words::inside; }
    double minimumLineWidth() const override { return 2; }
    // Its words start empty.
    void setUpNew(AnnotationObject& a, const QList<AnnotationObject>& others) const override;
    // The tail hangs below the drawn body, near its left side.
    void finishDrawing(AnnotationObject& a) const override;
    // Besides the corners, the tail's tip and where it leaves the body.
    AnnotationObject gripDragged(const AnnotationObject& a, DragHandle grip, QPointF to,
                                 const AnnotationObject& start) const override;

    // How round the body's corners are, as a fraction of its shorter side.
    static double radiusFraction(SpeechBubbleStyle style);
};
