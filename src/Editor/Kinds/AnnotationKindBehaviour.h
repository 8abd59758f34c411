#pragma once
// What one kind of annotation is beyond its record: where it is hit, the grips
// it offers and how dragging them reshapes it, how it paints, how far its
// paint reaches, the outline its selection shows, the option groups the
// toolbar offers for it (which are also the tool settings a new one takes),
// how its tool makes a new one and where its words are typed. One small class
// per kind implements it; AnnotationKinds maps every kind to its class, and
// the renderer, the hit test, the grips, the canvas, the toolbar, the model's
// style edits and the gestures that draw and reshape ask there. The record's
// own bounding box stays with the record.
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

    // How its tool makes a new one: by a drag, placed where a click lands, or
    // typed into a field that opens at a click. (No tool makes pictures.)
    enum class Drawn { byDrag, byClick, byTyping };
    // Where its words are typed: nowhere, in a field at its origin (a text),
    // or inside it (a speech bubble, whose words open as soon as it is drawn).
    enum class Words { none, atOrigin, inside };

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
    // Whether the line width of the toolbar's first row acts on it; the
    // colour acts on every kind.
    virtual bool hasLineWidth() const { return true; }

    // --- Making one ----------------------------------------------------------
    virtual Drawn drawn() const { return Drawn::byDrag; }
    virtual Words words() const { return Words::none; }
    // A new one is never drawn thinner than this.
    virtual double minimumLineWidth() const { return 0; }
    // What a new one takes beyond the tool settings of its option groups,
    // given the annotations already there.
    virtual void setUpNew(AnnotationObject&, const QList<AnnotationObject>&) const {}
    // A drawing drag reaches `to`: the points of the one being drawn (none yet
    // at the press). By default two, where the press was and where the pointer is.
    virtual void dragTo(QList<QPointF>& points, QPointF to) const;
    // Whether a finished drag drew anything: by default a drag of at least 3
    // pixels, so that a click draws nothing.
    virtual bool isDrawn(const QList<QPointF>& points) const;
    // The last touch to one just drawn, before it is added.
    virtual void finishDrawing(AnnotationObject&) const {}

    // --- Reshaping it --------------------------------------------------------
    // It with one of its grips dragged to `to`. `start` is it as the drag
    // found it: a dragged corner's opposite corner stays where it was then,
    // so dragging on past it flips the shape. By default a corner spans the
    // rectangle of points 0 and 1 anew and an end moves point 0 or 1; the body
    // changes nothing.
    virtual AnnotationObject gripDragged(const AnnotationObject& a, DragHandle grip, QPointF to,
                                         const AnnotationObject& start) const;

protected:
    // Never deleted through this type: every instance is a constant of AnnotationKinds.
    ~AnnotationKindBehaviour() = default;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(AnnotationKindBehaviour::Options)
