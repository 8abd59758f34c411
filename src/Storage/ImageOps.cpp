#include "Storage/ImageOps.h"

#include <QBuffer>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ImageOps {

long long roundHalfAway(double v)
{
    return static_cast<long long>(std::round(v)); // std::round rounds halves away from zero
}

std::optional<QByteArray> pngData(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return std::nullopt;
    return data;
}

QImage thumbnail(const QImage& image, double m)
{
    const double w = image.width(), h = image.height();
    if (w <= 0 || h <= 0)
        return image;
    const double scale = std::min(m / std::max(w, h), 1.0);
    const int tw = int(std::max<long long>(roundHalfAway(w * scale), 1));
    const int th = int(std::max<long long>(roundHalfAway(h * scale), 1));
    if (tw == image.width() && th == image.height())
        return image;
    return image.scaled(tw, th, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage topThumbnail(const QImage& image, double m, double aspect)
{
    if (image.isNull())
        return thumbnail(image, m);
    const int W = image.width(), H = image.height();
    const double a = std::max(aspect, 0.01);
    const long long cutH = std::min<long long>(H, roundHalfAway(W / a));
    if (cutH < 1)
        return thumbnail(image, m);
    const QImage cut = image.copy(0, 0, W, int(cutH));
    if (cut.isNull())
        return thumbnail(image, m);
    return thumbnail(cut, m);
}

} // namespace ImageOps
