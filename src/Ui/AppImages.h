#pragma once
// The app's own pictures, kept as SVG resources and rendered at the size asked
// for: "MenubarIcon" (tray icon and panel header) and "ZentuLogo" (settings,
// About, first run). Both are the one brand picture the desktop entry uses.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace AppImages {
QString menubarIconPath(); // ":/MenubarIcon.svg"
QString logoPath();        // ":/ZentuAppIcon.svg"
// The picture rendered into a square of side logical pixels.
QPixmap render(const QString& resourcePath, qreal side, qreal dpr = 1.0);
QPixmap menubarIcon(qreal side, qreal dpr = 1.0);
QPixmap logo(qreal side, qreal dpr = 1.0);
// The tray icon in the sizes tray hosts ask for.
QIcon trayIcon();
} // namespace AppImages
