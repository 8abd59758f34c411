#pragma once
// What one kind of annotation is beyond its record: where it is hit, the grips
// it offers, how it paints, how far its paint reaches, the outline its
// selection shows and the option groups the toolbar offers for it. One small
// class per kind implements it; AnnotationKinds maps every kind to its class,
// and the renderer, the hit test, the grips, the canvas and the toolbar ask
// there. The record's own bounding box stays with the record.
//
// Geometry is in image pixels (origin top-left, y downwards) unless said
// otherwise. The classes hold no state: one constant instance serves every
// thread.
#include "Editor/CanvasGrips.h"
#include "Editor/Kinds/AnnotationBackdrop.h"
#include "Models/AnnotationObject.h"

#include <QFlags>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

class AnnotationHitTest;
class QPainter;

class AnnotationKindBehaviour {
public:
    // The option groups of the toolbar's second row that act on a kind.
    enum class Option {
        font = 1 << 0,
        bubble = 1 << 1,
        magnifier = 1 << 2,
        cursor = 1 << 3,
        blur = 1 << 4,
        dashed = 1 << 5,
        fill = 1 << 6,
        corner = 1 << 7,
        badge = 1 << 8,
    };
    Q_DECLARE_FLAGS(Options, Option)

    // What painting reads besides the record (fetched on the main thread).
    enum class Source { none, picture, blurredPicture, embeddedPicture };

    virtual constexpr AnnotationKind kind() const = 0;

    // Whether the point lies on the annotation, `tolerance` pixels counting
    // as on it where the kind has an outline to hit. `test` measures texts.
    virtual bool hits(const AnnotationObject& a, QPointF point, double tolerance,
                      const AnnotationHitTest& test) const = 0;
    // Its grips in view points of a content frame of `viewSize` showing a
    // picture of `pixelSize`, in the order they are hit; none by default.
    virtual QList<CanvasGrips::Grip> grips(const AnnotationObject&, QSizeF, QSizeF) const { return {}; }
    // Paints it; the painter may carry any transform on top of image pixels.
    // The annotation is already held to drawable numbers (AnnotationRenderer).
    virtual void paint(const AnnotationObject& a, QPainter& painter, const AnnotationBackdrop& backdrop) const = 0;
    virtual Source source() const { return Source::none; }
    // Blur areas and loupes show the picture: when it changes, so do they.
    bool showsPicture() const { return source() == Source::picture || source() == Source::blurredPicture; }

    // Where its paint may reach, before the stroke's own margin; asked only
    // for an annotation with a point.
    virtual QRectF paintExtent(const AnnotationObject& a) const { return a.boundingBox(); }
    // What the dashed outline of its selection follows.
    virtual QRectF selectionOutline(const AnnotationObject& a) const { return a.boundingBox(); }
    // What of it stays on the canvas while its words are open in the entry
    // field (nothing for a text, the bare shape for a bubble).
    virtual std::optional<AnnotationObject> whileWordsEdited(const AnnotationObject& a) const { return a; }

    virtual Options options() const { return {}; }

protected:
    // Never deleted through this type: every instance is a constant of AnnotationKinds.
    ~AnnotationKindBehaviour() = default;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(AnnotationKindBehaviour::Options)
