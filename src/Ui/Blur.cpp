#include "Ui/Blur.h"

#include <QGraphicsBlurEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPainter>

namespace Blur {

QImage blurred(const QImage& image, qreal radius)
{
    if (radius < 0.25 || image.isNull())
        return image;
    // Work in device pixels: the scene knows nothing of the pixel ratio.
    QImage source = image;
    source.setDevicePixelRatio(1.0);
    QGraphicsScene scene;
    auto* item = scene.addPixmap(QPixmap::fromImage(source));
    auto* effect = new QGraphicsBlurEffect;
    effect->setBlurRadius(radius * image.devicePixelRatio());
    effect->setBlurHints(QGraphicsBlurEffect::PerformanceHint);
    item->setGraphicsEffect(effect);
    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    {
        QPainter p(&out);
        scene.render(&p, QRectF(0, 0, image.width(), image.height()), QRectF(0, 0, image.width(), image.height()));
    }
    out.setDevicePixelRatio(image.devicePixelRatio());
    return out;
}

QImage shadow(const QImage& image, const QColor& colour, qreal radius)
{
    QImage silhouette = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&silhouette);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(silhouette.rect(), colour);
    }
    return blurred(silhouette, radius);
}

} // namespace Blur
