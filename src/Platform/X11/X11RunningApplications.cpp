#include "Platform/X11/X11RunningApplications.h"

#include "Platform/X11/X11ApplicationIdentity.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <xcb/xcb.h>

namespace {
QByteArray property(xcb_connection_t* c, xcb_window_t w, const char* name, xcb_atom_t type)
{
    auto atomCookie = xcb_intern_atom(c, 1, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* atomReply = xcb_intern_atom_reply(c, atomCookie, nullptr);
    const xcb_atom_t atom = atomReply ? atomReply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(atomReply);
    if (atom == XCB_ATOM_NONE)
        return QByteArray();
    xcb_get_property_reply_t* reply
        = xcb_get_property_reply(c, xcb_get_property(c, 0, w, atom, type, 0, 1024), nullptr);
    if (!reply)
        return QByteArray();
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    free(reply);
    return value;
}

struct WindowNames {
    QString gtkApplicationID;
    QString wmClass;
};

WindowNames windowNames(quint32 window)
{
    WindowNames names;
    if (window == 0)
        return names;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (c && !xcb_connection_has_error(c)) {
        names.gtkApplicationID = QString::fromUtf8(property(c, window, "_GTK_APPLICATION_ID", XCB_GET_PROPERTY_TYPE_ANY));
        // WM_CLASS is "instance\0class\0"; the class names the application.
        const QList<QByteArray> parts = property(c, window, "WM_CLASS", XCB_ATOM_STRING).split('\0');
        names.wmClass = QString::fromLocal8Bit(parts.value(1));
    }
    if (c)
        xcb_disconnect(c);
    return names;
}
}

X11RunningApplications::X11RunningApplications(QStringList applicationDirs)
    : m_applicationDirs(applicationDirs.isEmpty()
                            ? QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)
                            : std::move(applicationDirs))
{
}

std::optional<RunningApplications::App> X11RunningApplications::application(qint64 pid, quint32 window)
{
    if (pid <= 0 || !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
        return std::nullopt;
    const WindowNames names = windowNames(window);
    const std::optional<ApplicationIdentity::Info> info = X11ApplicationIdentity::identify(
        pid, names.gtkApplicationID, names.wmClass, X11ApplicationIdentity::executableOf(pid),
        X11ApplicationIdentity::readDesktopEntries(m_applicationDirs));
    if (!info || info->id.isEmpty())
        return std::nullopt;
    return App{info->id, info->name};
}
