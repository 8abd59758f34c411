#pragma once
// Stand-ins for translucent windows where no compositing manager runs: such a
// window paints a still of what lies beneath it (taken before it shows),
// blurred where the look asks for blur.
#include <QImage>
#include <QRect>
#include <functional>

namespace Backdrop {
// Takes a still of a rectangle of the desktop (global coordinates in device
// independent pixels), in device pixels with their ratio set; a null image
// when none can be taken.
using Source = std::function<QImage(const QRect& globalRect)>;

// The screens' own picture of the rectangle, through Qt, at the highest scale
// of the screens it covers.
QImage grabScreens(const QRect& globalRect);
// A soft blur of about `radius` pixels (downscale and smooth upscale).
QImage blurred(const QImage& image, int radius);
}
