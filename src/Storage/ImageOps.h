#pragma once
// PNG encoding and the two scaled copies used for thumbnails.
#include <QByteArray>
#include <QImage>
#include <optional>

namespace ImageOps {
// PNG data of the image; none for a null image or when encoding fails.
std::optional<QByteArray> pngData(const QImage& image);
// Scaled copy whose longer side is at most maxDimension; never enlarges.
QImage thumbnail(const QImage& image, double maxDimension);
// Scaled copy of the top of a tall image, cut to the given width/height ratio.
QImage topThumbnail(const QImage& image, double maxDimension, double aspect);
// Nearest whole number, a half going away from zero.
long long roundHalfAway(double v);
}
