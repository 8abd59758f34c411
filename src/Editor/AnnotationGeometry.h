#pragma once
// Pure geometry shared by the editor model, the renderer and the canvas: the
// grips a drag can start on, the aspect fit between the canvas and the image
// pixels, arrow heads, point-to-segment distance and speech-bubble outlines.
// Image coordinates are pixels with the origin top-left and y downwards.
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <array>
#include <utility>

// The grip a select-tool drag starts on.
enum class DragHandle { body, topLeft, topRight, bottomLeft, bottomRight, arrowStart, arrowEnd, tail, tailBase };

namespace AnnotationGeometry {

// Image pixels -> view points: view = image × scale + offset.
struct FittedTransform {
    double scale = 1;
    QPointF offset;
};

// The image centred in the view at the largest scale that fits; scale 1 and
// no offset when any side is not positive.
FittedTransform fittedTransform(QSizeF imagePixelSize, QSizeF viewSize);
QPointF viewPoint(QPointF imagePoint, QSizeF imagePixelSize, QSizeF viewSize);
// Clamped into [0, W] × [0, H]: a point beside the image lands on its edge.
QPointF imagePoint(QPointF viewPoint, QSizeF imagePixelSize, QSizeF viewSize);

// The outer ends of the two strokes of an open arrow head; both strokes run to `end`.
std::pair<QPointF, QPointF> arrowHead(QPointF start, QPointF end, double lineWidth);

// Distance from a point to the segment; to segmentStart when the segment has no length.
double distance(QPointF point, QPointF segmentStart, QPointF segmentEnd);

} // namespace AnnotationGeometry

namespace SpeechBubble {

// The side of the box that carries the tail.
enum class Edge { top, right, bottom, left };

struct Opening {
    QPointF point; // where the middle of the tail meets the box
    Edge edge = Edge::bottom;
    double base = 0; // width of the tail where it leaves the box
};

// Where a tail whose base lies near `opening` leaves the box: on the nearest
// side, kept clear of the rounded corners.
Opening openingProjection(const QRectF& box, QPointF opening, double radiusFrac);

// The closed bubble outline, clockwise on screen, with the tail to `tip`
// spliced into the side found by openingProjection.
QPainterPath spliced(const QRectF& box, QPointF tip, QPointF opening, double radiusFrac);

// The three small circles of a thought bubble, as their bounding squares,
// from the bubble outwards towards the tip.
std::array<QRectF, 3> thoughtCircles(const QRectF& box, QPointF tip);

} // namespace SpeechBubble
