#pragma once
// Pixelation and Gaussian blur of a picture, as the blur tool shows them.
//
// Both read the picture as if its edge pixels went on forever, so nothing
// dark creeps in at the border. Pixelation averages square cells whose grid
// is anchored on the middle of the picture; the blur is a Gaussian of the
// strength's sigma. Results are premultiplied ARGB32.
#include "Models/CoreTypes.h"

#include <QImage>
#include <QRect>

class BlurProcessor {
public:
    // The strength curve: amount 0…100 (outside clamped, NaN as 0) squared
    // to 0…1, so the low end of the slider gets the fine steps.
    static double response(double amount);
    // Side of a pixelation cell, 2 to 60 pixels; may be fractional.
    static double cellSize(double amount);
    // Sigma of the Gaussian, 0.5 to 40 pixels.
    static double sigma(double amount);

    // The whole picture processed; same size. A null picture comes back as it was.
    static QImage process(const QImage& image, BlurStyle style, double amount);

    // Only `rect` (clipped to the picture) of what process() would give,
    // pixel for pixel, but computed from that rectangle and its surroundings
    // within the effect's reach. The result has the clipped rectangle's size;
    // null when the rectangle misses the picture.
    static QImage processRect(const QImage& image, BlurStyle style, double amount, const QRect& rect);

    // How far outside a rectangle processRect() reads the picture.
    static int reach(BlurStyle style, double amount);
};
