#pragma once
// A Gaussian-like blur of a picture (Qt's own blur effect, run off screen),
// for soft shadows and for views that fade in out of focus.
#include <QImage>

namespace Blur {
// The picture blurred by radius logical pixels, same size, transparent edges;
// the picture itself for a radius below a quarter pixel.
QImage blurred(const QImage& image, qreal radius);
// A soft shadow of the picture's shape: its alpha filled with colour, blurred.
QImage shadow(const QImage& image, const QColor& colour, qreal radius);
} // namespace Blur
