#pragma once
// The screens as Qt lays them out over the X screen, for the backends that
// hear of windows, pointers and accessible elements in device pixels and
// speak of them in global points. Made on the main thread, where it follows
// every change of the screens; read from any thread.
#include "Platform/DesktopPixels.h"

#include <QMutex>
#include <QObject>

class QScreen;

class X11ScreenLayout : public QObject {
    Q_OBJECT
public:
    explicit X11ScreenLayout(QObject* parent = nullptr);

    DesktopPixels current() const;

private:
    void follow(QScreen* screen);
    void refresh();

    mutable QMutex m_mutex;
    DesktopPixels m_layout;
};
