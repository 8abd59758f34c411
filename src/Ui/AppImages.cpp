#include "Ui/AppImages.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtGlobal>

namespace AppImages {

QString menubarIconPath() { return QStringLiteral(":/MenubarIcon.svg"); }
QString logoPath() { return QStringLiteral(":/ZentuAppIcon.svg"); }

QPixmap render(const QString& resourcePath, qreal side, qreal dpr)
{
    const int px = qMax(1, qRound(side * dpr));
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath);
    if (renderer.isValid()) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.setAspectRatioMode(Qt::KeepAspectRatio);
        renderer.render(&p, QRectF(0, 0, px, px));
    }
    image.setDevicePixelRatio(dpr);
    return QPixmap::fromImage(image);
}

QPixmap menubarIcon(qreal side, qreal dpr) { return render(menubarIconPath(), side, dpr); }
QPixmap logo(qreal side, qreal dpr) { return render(logoPath(), side, dpr); }

QIcon trayIcon()
{
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(menubarIcon(side));
    return icon;
}

} // namespace AppImages
