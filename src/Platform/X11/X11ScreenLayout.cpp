#include "Platform/X11/X11ScreenLayout.h"

#include <QGuiApplication>
#include <QMutexLocker>
#include <QScreen>

X11ScreenLayout::X11ScreenLayout(QObject* parent)
    : QObject(parent)
{
    if (!qGuiApp)
        return; // no screens known: pixels are points
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
        follow(s);
        refresh();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &X11ScreenLayout::refresh);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &X11ScreenLayout::refresh);
    for (QScreen* s : QGuiApplication::screens())
        follow(s);
    refresh();
}

void X11ScreenLayout::follow(QScreen* screen)
{
    // A change of scale comes with one of the logical size.
    connect(screen, &QScreen::geometryChanged, this, &X11ScreenLayout::refresh);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &X11ScreenLayout::refresh);
}

void X11ScreenLayout::refresh()
{
    QList<DesktopPixels::Screen> screens;
    for (const QScreen* s : QGuiApplication::screens()) {
        // Qt keeps a screen's origin in device pixels and scales its size.
        const qreal scale = s->devicePixelRatio();
        const QRect g = s->geometry();
        screens.append({QRect(g.topLeft(), QSize(qRound(g.width() * scale), qRound(g.height() * scale))), scale});
    }
    QMutexLocker lock(&m_mutex);
    m_layout = DesktopPixels(std::move(screens));
}

DesktopPixels X11ScreenLayout::current() const
{
    QMutexLocker lock(&m_mutex);
    return m_layout;
}
