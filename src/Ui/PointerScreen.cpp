#include "Ui/PointerScreen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

QScreen* pointerScreen()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}
