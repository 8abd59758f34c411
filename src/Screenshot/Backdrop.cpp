#include "Screenshot/Backdrop.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <algorithm>

namespace Backdrop {

QImage grabScreens(const QRect& globalRect)
{
    // In the screens' own pixels: on a scaled screen a still of points would
    // be shown enlarged and soft.
    qreal scale = 1.0;
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(globalRect))
            scale = std::max(scale, screen->devicePixelRatio());
    QImage still((QSizeF(globalRect.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (still.isNull())
        return {};
    still.setDevicePixelRatio(scale);
    still.fill(Qt::transparent);
    bool any = false;
    QPainter painter(&still);
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect part = screen->geometry().intersected(globalRect);
        if (part.isEmpty())
            continue;
        const QPixmap pixmap = screen->grabWindow(0, part.x() - screen->geometry().x(),
                                                  part.y() - screen->geometry().y(), part.width(), part.height());
        if (pixmap.isNull())
            continue;
        painter.drawPixmap(QRect(part.topLeft() - globalRect.topLeft(), part.size()), pixmap);
        any = true;
    }
    painter.end();
    return any ? still : QImage();
}

QImage blurred(const QImage& image, int radius)
{
    if (image.isNull() || radius < 2)
        return image;
    const QSize small(qMax(1, image.width() / radius), qMax(1, image.height() / radius));
    QImage out = image.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}
