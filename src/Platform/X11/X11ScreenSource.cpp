#include "Platform/X11/X11ScreenSource.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMutexLocker>
#include <QScreen>
#include <cmath>
#include <xcb/randr.h>

X11ScreenSource::X11ScreenSource(GrabMethod method, std::shared_ptr<XcbConnection> x)
    : m_connection(XcbConnection::sharedOrOwn(std::move(x)))
    , m_method(method)
{
}

QList<DisplayInfo> X11ScreenSource::displaysLocked() const
{
    QList<DisplayInfo> displays;
    if (m_x.hasRandr()) {
        XcbReply<xcb_randr_get_monitors_reply_t> monitors(xcb_randr_get_monitors_reply(
            m_x.get(), xcb_randr_get_monitors(m_x.get(), m_x.root(), 1), nullptr));
        if (monitors) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t* m = it.data;
                if (m->width > 0 && m->height > 0)
                    displays.append({m->name, QRect(m->x, m->y, m->width, m->height)});
            }
        }
    }
    if (displays.isEmpty()) // no RandR monitors: the root window is the one display
        displays.append({m_x.root(), QRect(0, 0, m_x.screen()->width_in_pixels, m_x.screen()->height_in_pixels)});
    return displays;
}

QList<ScreenInfo> X11ScreenSource::screens() const
{
    QList<DisplayInfo> displays;
    QHash<quint32, QString> names;
    {
        QMutexLocker lock(&m_x.mutex());
        if (m_x.isValid()) {
            displays = displaysLocked();
            for (const DisplayInfo& d : displays)
                names.insert(d.displayID, m_x.atomName(d.displayID));
        }
    }
    QList<ScreenInfo> result;
    const QList<QScreen*> qscreens = QGuiApplication::screens();
    for (QScreen* s : qscreens) {
        ScreenInfo info;
        info.name = s->name();
        info.frame = QRectF(s->geometry());
        info.scale = s->devicePixelRatio();
        // Qt keeps a screen's origin in device pixels and scales its size.
        const QRect native(s->geometry().topLeft(),
                           QSize(qRound(s->geometry().width() * info.scale), qRound(s->geometry().height() * info.scale)));
        for (const DisplayInfo& d : displays)
            if (!info.name.isEmpty() && names.value(d.displayID) == info.name)
                info.displayID = d.displayID;
        if (!info.displayID)
            for (const DisplayInfo& d : displays)
                if (d.pixelRect == native)
                    info.displayID = d.displayID;
        result.append(info);
    }
    return result;
}

bool X11ScreenSource::isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

ShareableDisplays X11ScreenSource::shareableDisplays()
{
    QMutexLocker lock(&m_x.mutex());
    ShareableDisplays result;
    if (isWaylandSession()) {
        // The X server of a Wayland session shows X clients only; its root
        // window is not the screen.
        result.errorDescription = QStringLiteral("Wayland-Sitzung: der Bildschirm ist fuer X11-Programme nicht lesbar");
        return result;
    }
    if (!m_x.isValid() || xcb_connection_has_error(m_x.get())) {
        result.errorDescription = QStringLiteral("Keine Verbindung zum X-Server");
        return result;
    }
    result.ok = true;
    result.displays = displaysLocked();
    return result;
}

QImage X11ScreenSource::captureDisplay(const DisplayInfo& display, QSize pixelSize, bool showsCursor, QString* error)
{
    QMutexLocker lock(&m_x.mutex());
    if (!m_x.isValid()) {
        if (error)
            *error = QStringLiteral("Keine Verbindung zum X-Server");
        return {};
    }
    const QRect root(0, 0, m_x.screen()->width_in_pixels, m_x.screen()->height_in_pixels);
    const QRect rect = display.pixelRect.intersected(root);
    QImage image = m_images.grab(m_x.root(), rect, m_method == GrabMethod::automatic, error);
    if (image.isNull())
        return image;
    if (showsCursor)
        m_images.compositeCursor(image, rect.topLeft());
    if (pixelSize.isValid() && pixelSize != image.size())
        image = image.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QPointF X11ScreenSource::pointerPosition() const
{
    // Qt maps the device position into global points, screen by screen.
    return QPointF(QCursor::pos());
}

bool X11ScreenSource::canGrabRoot()
{
    QMutexLocker lock(&m_x.mutex());
    if (isWaylandSession() || !m_x.isValid())
        return false;
    return !m_images.grab(m_x.root(), QRect(0, 0, 1, 1), false, nullptr).isNull();
}
