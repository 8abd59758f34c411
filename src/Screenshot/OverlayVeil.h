#pragma once
// The selection overlay's veil: the frozen still darkened exactly as black at
// the given opacity painted over it would be, computed once per capture, so
// neither the overlay's paints nor the server's own background of its window
// blend anything.
#include <QImage>

namespace OverlayVeil {
// The still, darkened; an opaque still stays opaque (RGB32 in, RGB32 out).
// Drawn into `canvas` when that is an image of the still's size and format.
QImage dimmed(const QImage& still, qreal opacity, QImage canvas = {});
}
