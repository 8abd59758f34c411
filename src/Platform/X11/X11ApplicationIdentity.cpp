#include "Platform/X11/X11ApplicationIdentity.h"

#include "Platform/X11/XcbConnection.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSet>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTextStream>
#include <xcb/res.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace {

QString execProgram(const QString& exec)
{
    const QStringList parts = exec.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString part : parts) {
        part.remove(QLatin1Char('"'));
        if (part == QLatin1String("env") || part.contains(QLatin1Char('=')))
            continue;
        return QFileInfo(part).fileName();
    }
    return {};
}

} // namespace

QString X11ApplicationIdentity::executableOf(qint64 pid)
{
    if (pid <= 0)
        return {};
    QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (!exe.isEmpty())
        return QFileInfo(exe.remove(QStringLiteral(" (deleted)"))).fileName();
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromUtf8(comm.readAll()).trimmed();
    return {};
}

X11ApplicationIdentity::X11ApplicationIdentity(QObject* parent)
    : QObject(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    m_x = std::make_unique<XcbConnection>();
    if (!m_x->isValid()) {
        m_x.reset();
        return;
    }
    m_connection = m_x->get();
    m_root = m_x->root();
    m_clipboardAtom = m_x->atom("CLIPBOARD");

    const xcb_query_extension_reply_t* res = xcb_get_extension_data(m_connection, &xcb_res_id);
    m_hasXRes = res && res->present;
    if (m_hasXRes) {
        XcbReply<xcb_res_query_version_reply_t> v(
            xcb_res_query_version_reply(m_connection, xcb_res_query_version(m_connection, 1, 2), nullptr));
        m_hasXRes = v && (v->server_major > 1 || v->server_minor >= 2);
    }
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (fixes && fixes->present) {
        XcbReply<xcb_xfixes_query_version_reply_t> v(
            xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
        m_xfixesEvent = fixes->first_event;
        xcb_xfixes_select_selection_input(m_connection, m_root, m_clipboardAtom,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(m_connection);
        m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &X11ApplicationIdentity::processEvents);
    }
}

X11ApplicationIdentity::~X11ApplicationIdentity()
{
    delete m_notifier;
    m_x.reset();
}

QByteArray X11ApplicationIdentity::property(uint32_t window, uint32_t atom, uint32_t type, bool* ok)
{
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom, type, 0, 4096), nullptr));
    if (ok)
        *ok = reply && reply->type != XCB_ATOM_NONE;
    if (!reply)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

void X11ApplicationIdentity::processEvents()
{
    if (!m_connection)
        return;
    while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
        XcbReply<xcb_generic_event_t> ev(raw);
        if ((ev->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(ev.get());
        if (notify->selection != m_clipboardAtom)
            continue;
        m_ownerWindow = notify->owner;
        // Once the owner has gone, the last known owner still names where the
        // content came from.
        if (notify->owner != XCB_WINDOW_NONE)
            m_owner = resolveWindow(notify->owner);
    }
}

std::optional<ApplicationIdentity::Info> X11ApplicationIdentity::clipboardOwner()
{
    if (!m_connection)
        return std::nullopt;
    processEvents();
    XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_clipboardAtom), nullptr));
    const uint32_t owner = reply ? reply->owner : uint32_t(XCB_WINDOW_NONE);
    if (owner == XCB_WINDOW_NONE)
        return m_owner;
    if (owner != m_ownerWindow || !m_owner) {
        m_ownerWindow = owner;
        m_owner = resolveWindow(owner);
    }
    return m_owner;
}

std::optional<ApplicationIdentity::Info> X11ApplicationIdentity::applicationOfWindow(quint32 window)
{
    if (!m_connection || window == XCB_WINDOW_NONE)
        return std::nullopt;
    processEvents();
    if (window == m_ownerWindow && m_owner)
        return m_owner;
    return resolveWindow(window);
}

std::optional<ApplicationIdentity::Info> X11ApplicationIdentity::frontmost()
{
    if (!m_connection)
        return std::nullopt;
    const QByteArray active = property(m_root, m_x->atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (active.size() < 4)
        return std::nullopt;
    const uint32_t window = *reinterpret_cast<const uint32_t*>(active.constData());
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    return resolveWindow(window);
}

qint64 X11ApplicationIdentity::pidOf(uint32_t window)
{
    if (m_hasXRes) {
        xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        XcbReply<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(
            m_connection, xcb_res_query_client_ids(m_connection, 1, &spec), nullptr));
        if (reply) {
            for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem; xcb_res_client_id_value_next(&it)) {
                if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
                    && xcb_res_client_id_value_value_length(it.data) >= 1)
                    return *xcb_res_client_id_value_value(it.data);
            }
        }
    }
    const QByteArray pid = property(window, m_x->atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return pid.size() >= 4 ? *reinterpret_cast<const uint32_t*>(pid.constData()) : 0;
}

uint32_t X11ApplicationIdentity::toplevelOf(qint64 pid)
{
    if (pid <= 0)
        return 0;
    const QByteArray list = property(m_root, m_x->atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    const auto* windows = reinterpret_cast<const uint32_t*>(list.constData());
    for (qsizetype i = 0; i < list.size() / 4; ++i)
        if (pidOf(windows[i]) == pid)
            return windows[i];
    return 0;
}

std::optional<ApplicationIdentity::Info> X11ApplicationIdentity::resolveWindow(uint32_t window)
{
    const qint64 pid = pidOf(window);
    const uint32_t utf8 = m_x->atom("UTF8_STRING");
    const auto hints = [&](uint32_t w, QString& gtk, QString& cls) {
        gtk = QString::fromUtf8(property(w, m_x->atom("_GTK_APPLICATION_ID"), utf8));
        const QList<QByteArray> parts = property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
        cls = parts.size() >= 2 ? QString::fromLocal8Bit(parts.at(1)) : QString();
    };
    QString gtk, cls;
    hints(window, gtk, cls);
    if (gtk.isEmpty() && cls.isEmpty()) {
        if (const uint32_t top = toplevelOf(pid))
            hints(top, gtk, cls);
    }
    return identify(pid, gtk, cls, executableOf(pid), entries());
}

const QList<X11ApplicationIdentity::DesktopEntry>& X11ApplicationIdentity::entries()
{
    if (!m_entriesRead) {
        m_entriesRead = true;
        QStringList dirs;
        for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
            dirs.append(dir);
        m_entries = readDesktopEntries(dirs);
    }
    return m_entries;
}

QList<X11ApplicationIdentity::DesktopEntry> X11ApplicationIdentity::readDesktopEntries(const QStringList& applicationDirs)
{
    QList<DesktopEntry> out;
    QSet<QString> seen;
    for (const QString& dir : applicationDirs) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(dir).relativeFilePath(path);
            id.chop(8);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue; // earlier folders take precedence
            seen.insert(id);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            DesktopEntry entry;
            entry.id = id;
            bool inMain = false, hidden = false;
            QTextStream in(&file);
            while (!in.atEnd()) {
                const QString line = in.readLine().trimmed();
                if (line.startsWith(QLatin1Char('['))) {
                    inMain = line == QLatin1String("[Desktop Entry]");
                    continue;
                }
                if (!inMain)
                    continue;
                const qsizetype eq = line.indexOf(QLatin1Char('='));
                if (eq < 0)
                    continue;
                const QString key = line.left(eq).trimmed(), value = line.mid(eq + 1).trimmed();
                if (key == QLatin1String("Name"))
                    entry.name = value;
                else if (key == QLatin1String("Exec"))
                    entry.exec = value;
                else if (key == QLatin1String("StartupWMClass"))
                    entry.startupWMClass = value;
                else if (key == QLatin1String("Hidden"))
                    hidden = value == QLatin1String("true");
            }
            if (!hidden)
                out.append(entry);
        }
    }
    return out;
}

std::optional<ApplicationIdentity::Info> X11ApplicationIdentity::identify(qint64 pid, const QString& gtkApplicationID,
                                                                          const QString& wmClass, const QString& executable,
                                                                          const QList<DesktopEntry>& entries)
{
    const auto info = [&](const DesktopEntry& e) {
        return Info{e.id, e.name.isEmpty() ? e.id : e.name, pid};
    };
    if (!gtkApplicationID.isEmpty()) {
        for (const DesktopEntry& e : entries)
            if (e.id == gtkApplicationID)
                return std::optional<Info>(info(e));
        return std::optional<Info>(Info{gtkApplicationID, gtkApplicationID, pid});
    }
    if (!wmClass.isEmpty()) {
        for (const DesktopEntry& e : entries) {
            const QString lastPart = e.id.section(QLatin1Char('.'), -1);
            if (e.startupWMClass.compare(wmClass, Qt::CaseInsensitive) == 0
                || e.id.compare(wmClass, Qt::CaseInsensitive) == 0
                || lastPart.compare(wmClass, Qt::CaseInsensitive) == 0)
                return std::optional<Info>(info(e));
        }
    }
    if (!executable.isEmpty()) {
        for (const DesktopEntry& e : entries)
            if (execProgram(e.exec) == executable)
                return std::optional<Info>(info(e));
    }
    if (!wmClass.isEmpty())
        return std::optional<Info>(Info{wmClass, wmClass, pid});
    if (!executable.isEmpty())
        return std::optional<Info>(Info{executable, executable, pid});
    return std::nullopt;
}
