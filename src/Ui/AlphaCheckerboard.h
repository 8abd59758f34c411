#pragma once
// The checkerboard drawn behind a translucent colour so its opacity shows.
#include <QRectF>

class QPainter;

namespace AlphaCheckerboard {

// 5 × 5 squares from the top-left corner, light and lighter grey in turn,
// clipped to rect.
void paint(QPainter& painter, const QRectF& rect);

constexpr qreal squareSide = 5;

} // namespace AlphaCheckerboard
