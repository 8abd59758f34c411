#pragma once
// The colour one column of pixels shows most over rows [from, to): what
// fills a still column below the first frame, or a scrollbar's track.
#include <QImage>

QRgb commonColour(const QImage& image, int x, int from, int to);
