#include "Editor/Kinds/SpeechBubbleKind.h"

#include "Editor/AnnotationFont.h"
#include "Editor/AnnotationGeometry.h"
#include "Editor/AnnotationHitTest.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr double defaultFontSize = 22;

// The words start this far inside the body.
double padding(const QRectF& box)
{
    return std::max(0.16 * std::min(box.width(), box.height()), 8.0);
}

} // namespace

double SpeechBubbleKind::radiusFraction(SpeechBubbleStyle style)
{
    switch (style) {
    case SpeechBubbleStyle::oval: return 0.5;
    case SpeechBubbleStyle::rectangle: return 0.05;
    case SpeechBubbleStyle::rounded:
    case SpeechBubbleStyle::thought: break;
    }
    return 0.16;
}

bool SpeechBubbleKind::hits(const AnnotationObject& a, QPointF p, double, const AnnotationHitTest&) const
{
    return AnnotationHitTest::contains(a.boundingBox(), p);
}

QList<CanvasGrips::Grip> SpeechBubbleKind::grips(const AnnotationObject& a, QSizeF view, QSizeF px) const
{
    if (a.points.size() < 2)
        return {};
    const QRectF box = AnnotationRenderer::area(a);
    QList<CanvasGrips::Grip> grips = CanvasGrips::corners(box, view, px);
    if (a.points.size() >= 3)
        grips.append({DragHandle::tail, AnnotationGeometry::viewPoint(a.points[2], px, view)});
    if (a.points.size() >= 4 && a.bubbleStyle != SpeechBubbleStyle::thought) {
        const auto opening = SpeechBubble::openingProjection(
            box, a.points[3], radiusFraction(a.bubbleStyle.value_or(SpeechBubbleStyle::rounded)));
        grips.append({DragHandle::tailBase, AnnotationGeometry::viewPoint(opening.point, px, view)});
    }
    return grips;
}

void SpeechBubbleKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.size() < 2)
        return;
    const AnnotationInk::ShapeState state(p);
    const QRectF box = AnnotationRenderer::area(a);
    const double w = box.width(), h = box.height();
    // Without stored tail points the tail hangs under the left part of the box.
    const QPointF tip = a.points.size() > 2 ? a.points.at(2)
                                            : QPointF(box.left() + 0.24 * w, box.bottom() + std::max(0.5 * h, 28.0));
    const QPointF base = a.points.size() > 3 ? a.points.at(3) : QPointF(box.left() + 0.28 * w, box.bottom());
    const SpeechBubbleStyle style = a.bubbleStyle.value_or(SpeechBubbleStyle::rounded);

    QPainterPath outline;
    QList<QRectF> circles;
    if (style == SpeechBubbleStyle::thought) {
        outline.addEllipse(box);
        for (const QRectF& r : SpeechBubble::thoughtCircles(box, tip))
            circles.append(r);
    } else {
        outline = SpeechBubble::spliced(box, tip, base, radiusFraction(style));
    }
    outline.setFillRule(Qt::WindingFill);
    p.fillPath(outline, Qt::white);
    for (const QRectF& r : circles) {
        QPainterPath circle;
        circle.addEllipse(r);
        p.fillPath(circle, Qt::white);
    }
    const QPen pen = AnnotationInk::stroke(AnnotationInk::colour(a.color), std::max(a.lineWidth, 1.5));
    p.strokePath(outline, pen);
    for (const QRectF& r : circles) {
        QPainterPath circle;
        circle.addEllipse(r);
        p.strokePath(circle, pen);
    }

    if (a.text && !a.text->isEmpty()) {
        const QFont font = AnnotationFont::resolve(a.fontName, a.fontSize.value_or(defaultFontSize), *p.device());
        AnnotationInk::drawLines(p, *a.text, box.topLeft() + QPointF(padding(box), padding(box)), font,
                                 QColor::fromRgbF(0.11f, 0.11f, 0.11f));
    }
}

QRectF SpeechBubbleKind::paintExtent(const AnnotationObject& a) const
{
    QRectF r = a.boundingBox();
    const QRectF box = AnnotationRenderer::area(a);
    if (a.points.size() == 2) // the default tail hangs below the box
        r.setBottom(r.bottom() + std::max(0.5 * box.height(), 28.0));
    // Words are never wrapped: they may run out of the bubble.
    if (a.text && !a.text->isEmpty()) {
        const double size = a.fontSize.value_or(defaultFontSize);
        const double pad = padding(box);
        r |= QRectF(box.topLeft() + QPointF(pad, pad), AnnotationRenderer::textSize(*a.text, size, a.fontName))
                 .adjusted(-0.5 * size, -0.5 * size, 0.5 * size, 0.5 * size);
    }
    return r;
}

QRectF SpeechBubbleKind::selectionOutline(const AnnotationObject& a) const
{
    return a.points.size() >= 2 ? AnnotationRenderer::area(a) : a.boundingBox();
}

std::optional<AnnotationObject> SpeechBubbleKind::whileWordsEdited(const AnnotationObject& a) const
{
    // The entry field shows the words; the shape stays.
    std::optional<AnnotationObject> shape(a);
    shape->text.reset();
    return shape;
}

void SpeechBubbleKind::setUpNew(AnnotationObject& a, const QList<AnnotationObject>&) const
{
    a.text = QString();
}

void SpeechBubbleKind::finishDrawing(AnnotationObject& a) const
{
    if (a.points.size() < 2)
        return;
    const QRectF body = QRectF(a.points[0], a.points[1]).normalized();
    const double tail = std::max(0.55 * body.height(), 30.0);
    a.points = {a.points[0], a.points[1], QPointF(body.left() + 0.28 * body.width(), body.bottom() + tail),
                QPointF(body.left() + 0.3 * body.width(), body.bottom())};
}

AnnotationObject SpeechBubbleKind::gripDragged(const AnnotationObject& a, DragHandle grip, QPointF to,
                                               const AnnotationObject& start) const
{
    const qsizetype point = grip == DragHandle::tail ? 2 : grip == DragHandle::tailBase ? 3 : -1;
    if (point < 0)
        return AnnotationKindBehaviour::gripDragged(a, grip, to, start);
    AnnotationObject changed = a;
    if (a.points.size() > point)
        changed.points[point] = to;
    return changed;
}
