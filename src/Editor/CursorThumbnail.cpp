#include "Editor/CursorThumbnail.h"

#include "Editor/CursorAssets.h"

#include <QCache>
#include <QPainter>
#include <cmath>

namespace CursorThumbnail {

namespace {

// The 180-pixel picture shrunk by area averaging: drawing it scaled straight
// onto a 28-point box would alias.
QImage shrunk(const QString& style, int side)
{
    static QCache<QString, QImage> cache(64);
    const QString key = CursorAssets::baseStyle(style) + QLatin1Char('@') + QString::number(side);
    if (const QImage* hit = cache.object(key))
        return *hit;
    const QImage picture = CursorAssets::image(style);
    if (picture.isNull() || side < 1)
        return {};
    auto* small = new QImage(picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    const QImage result = *small;
    cache.insert(key, small);
    return result;
}

QRectF boxIn(const QRectF& area, qreal box)
{
    return QRectF(area.left() + (area.width() - box) / 2, area.top() + (area.height() - box) / 2, box, box);
}

} // namespace

QPointF ringCentre(const QString& style, const QRectF& area, qreal box)
{
    const QRectF square = boxIn(area, box);
    const QPointF hot = CursorAssets::hotspot(style);
    return QPointF(square.left() + box * hot.x(), square.top() + box * hot.y());
}

void paint(QPainter& p, const QString& style, const QRectF& area, qreal box, const QColor& ringColor)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (CursorAssets::isClickStyle(style)) {
        const QPointF c = ringCentre(style, area, box);
        p.setBrush(Qt::NoBrush);
        for (const CursorAssets::ClickRing& ring : CursorAssets::clickRings(box)) {
            QColor ink = ringColor;
            ink.setAlphaF(float(ringColor.alphaF() * ring.opacity));
            p.setPen(QPen(ink, ring.width));
            p.drawEllipse(c, ring.radius, ring.radius);
        }
    }
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QImage picture = shrunk(style, int(std::ceil(box * dpr)));
    if (!picture.isNull())
        p.drawImage(boxIn(area, box), picture);
    p.restore();
}

} // namespace CursorThumbnail
