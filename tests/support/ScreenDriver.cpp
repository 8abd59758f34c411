#include "support/ScreenDriver.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>

bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool pressHotkey(const QString& key)
{
    return xdotool({"keydown", "Super_L", "keydown", "Shift_L", "key", key, "keyup", "Shift_L", "keyup", "Super_L"});
}

QImage grabScreen(QRect area)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPixmap pixels = area.isEmpty() ? screen->grabWindow(0)
                                          : screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return pixels.toImage().convertToFormat(QImage::Format_RGB32);
}
