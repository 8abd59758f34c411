#include "Platform/X11/X11RunningApplications.h"

#include "Platform/X11/X11ApplicationIdentity.h"
#include "Platform/X11/XcbConnection.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QByteArray property(XcbConnection& x, xcb_window_t w, const char* name, xcb_atom_t type)
{
    const xcb_atom_t atom = x.atom(name);
    if (atom == XCB_ATOM_NONE)
        return QByteArray();
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(x.get(), xcb_get_property(x.get(), 0, w, atom, type, 0, 1024), nullptr));
    if (!reply)
        return QByteArray();
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
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
    XcbConnection x;
    if (x.isValid()) {
        names.gtkApplicationID = QString::fromUtf8(property(x, window, "_GTK_APPLICATION_ID", XCB_GET_PROPERTY_TYPE_ANY));
        // WM_CLASS is "instance\0class\0"; the class names the application.
        const QList<QByteArray> parts = property(x, window, "WM_CLASS", XCB_ATOM_STRING).split('\0');
        names.wmClass = QString::fromLocal8Bit(parts.value(1));
    }
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
    return App{info->id, info->name, names.wmClass};
}
