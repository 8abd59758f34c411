#pragma once
// Where the canvas puts the grips of the selected annotation and of the crop
// draft, and which grip a press lands on. Everything here is in view points
// of the canvas's content (the fitted picture times the zoom, origin top-left).
#include "Editor/AnnotationGeometry.h"
#include "Models/AnnotationObject.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

namespace CanvasGrips {

struct Grip {
    DragHandle handle;
    QPointF point;
};

// Side of a square grip and how far from its centre a press still takes it.
constexpr double handleSize = 9;
constexpr double handleHitRadius = 10;
// Crop corners are a little easier to catch.
constexpr double cropHandleHitRadius = handleHitRadius + 2;

// Sizes in image pixels times this give view points: the smaller of the two
// axis ratios, 1 when any side is not positive.
double displayScale(QSizeF viewSize, QSizeF pixelSize);
// The view rectangle of an image rectangle (normalised first).
QRectF viewRect(const QRectF& imageRect, QSizeF viewSize, QSizeF pixelSize);

// The four corner grips of an image rectangle (normalised first), in the
// order top-left, top-right, bottom-left, bottom-right.
QList<Grip> corners(const QRectF& imageRect, QSizeF viewSize, QSizeF pixelSize);
// The grips of an annotation in hit-test order, as its kind places them
// (AnnotationKinds): arrow and line ends; the four corners of areas; a
// bubble's corners, tail tip and tail base; a cursor picture's corners. None
// for the other kinds or too few points.
QList<Grip> handlePositions(const AnnotationObject& annotation, QSizeF viewSize, QSizeF pixelSize);
// The grip nearest to the point within `radius`; of equal distances the earlier.
std::optional<DragHandle> nearestGrip(const QList<Grip>& grips, QPointF point, double radius = handleHitRadius);
// The corner of the crop draft under the point, tried in the order top-left,
// top-right, bottom-left, bottom-right; none for a draft without area.
std::optional<DragHandle> cropHandleHit(const std::optional<QRectF>& draft, QPointF point, QSizeF viewSize,
                                        QSizeF pixelSize);

} // namespace CanvasGrips
