#include "Pinned/PinnedImageModel.h"

#include <algorithm>
#include <cmath>

PinnedImageModel::PinnedImageModel(const QImage& image, QObject* parent)
    : QObject(parent)
    , m_image(image)
{
}

void PinnedImageModel::setOpacity(double opacity)
{
    if (!std::isfinite(opacity))
        return;
    const double held = std::clamp(opacity, minOpacity, maxOpacity);
    if (held == m_opacity)
        return;
    m_opacity = held;
    Q_EMIT opacityChanged();
}
