#include "Editor/BlurProcessor.h"

#include "Editor/GaussianBlur.h"
#include "Editor/Pixelation.h"

#include <algorithm>
#include <cmath>

namespace {

// Premultiplied pixels to read from; RGB32 already has that layout (alpha 0xff).
QImage readable(const QImage& image)
{
    if (image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

double BlurProcessor::response(double amount)
{
    const double t = std::isnan(amount) ? 0.0 : std::clamp(amount / 100.0, 0.0, 1.0);
    return t * t;
}

double BlurProcessor::cellSize(double amount)
{
    return 2 + 58 * response(amount);
}

double BlurProcessor::sigma(double amount)
{
    return 0.5 + 39.5 * response(amount);
}

int BlurProcessor::reach(BlurStyle style, double amount)
{
    if (style == BlurStyle::pixelated)
        return Pixelation(cellSize(amount)).reach();
    return GaussianBlur(sigma(amount)).reach();
}

QImage BlurProcessor::process(const QImage& image, BlurStyle style, double amount)
{
    if (image.isNull())
        return image;
    return processRect(image, style, amount, image.rect());
}

QImage BlurProcessor::processRect(const QImage& image, BlurStyle style, double amount, const QRect& rect)
{
    const QRect area = rect.intersected(image.rect());
    if (area.isEmpty())
        return {};
    const QImage src = readable(image);
    if (style == BlurStyle::pixelated)
        return Pixelation(cellSize(amount)).apply(src, area);
    return GaussianBlur(sigma(amount)).apply(src, area);
}
