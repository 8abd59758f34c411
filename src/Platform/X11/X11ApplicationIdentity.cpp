#include "Platform/X11/X11ApplicationIdentity.h"

#include "Platform/X11/XcbConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSocketNotifier>
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

X11ApplicationIdentity::X11ApplicationIdentity(QStringList applicationDirs, QObject* parent)
    : QObject(parent)
    , m_index(std::move(applicationDirs))
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

QByteArray X11ApplicationIdentity::property(uint32_t window, uint32_t atom, uint32_t type)
{
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom, type, 0, 4096), nullptr));
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

std::optional<ApplicationIdentity::App> X11ApplicationIdentity::clipboardOwner()
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

std::optional<ApplicationIdentity::App> X11ApplicationIdentity::applicationOfProcess(qint64 pid, quint32 window)
{
    if (pid <= 0 || !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
        return std::nullopt;
    const WindowNames names = namesOf(window);
    std::optional<App> app = identify(pid, names.gtkApplicationID, names.wmClass, executableOf(pid), *m_index.entries());
    if (!app || app->id.isEmpty())
        return std::nullopt;
    app->windowClass = names.wmClass;
    return app;
}

std::optional<ApplicationIdentity::App> X11ApplicationIdentity::applicationOfWindow(quint32 window)
{
    if (!m_connection || window == XCB_WINDOW_NONE)
        return std::nullopt;
    processEvents();
    if (window == m_ownerWindow && m_owner)
        return m_owner;
    return resolveWindow(window);
}

std::optional<QString> X11ApplicationIdentity::displayName(const QString& appId, const QString& lang) const
{
    QString id = appId;
    if (id.endsWith(QLatin1String(".desktop")))
        id.chop(8);
    // A plain name only: the id comes from other programs' windows.
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.contains(QChar(0)))
        return std::nullopt;
    const std::optional<DesktopEntryIndex::Entry> entry = m_index.find(id);
    // The app's own copies carry its id also where it is not installed.
    if (!entry)
        return id == QGuiApplication::desktopFileName() ? std::optional<QString>(QGuiApplication::applicationDisplayName())
                                                        : std::nullopt;
    const QString localized = lang.isEmpty() ? QString() : entry->localizedNames.value(lang);
    if (!localized.isEmpty())
        return localized;
    if (!entry->name.isEmpty())
        return entry->name;
    return std::nullopt;
}

std::optional<ApplicationIdentity::App> X11ApplicationIdentity::frontmost()
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

X11ApplicationIdentity::WindowNames X11ApplicationIdentity::namesOf(uint32_t window)
{
    WindowNames names;
    if (!m_connection || window == XCB_WINDOW_NONE)
        return names;
    names.gtkApplicationID
        = QString::fromUtf8(property(window, m_x->atom("_GTK_APPLICATION_ID"), XCB_GET_PROPERTY_TYPE_ANY));
    // WM_CLASS is "instance\0class\0"; the class names the application.
    const QList<QByteArray> parts = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
    names.wmClass = parts.size() >= 2 ? QString::fromLocal8Bit(parts.at(1)) : QString();
    return names;
}

std::optional<ApplicationIdentity::App> X11ApplicationIdentity::resolveWindow(uint32_t window)
{
    const qint64 pid = pidOf(window);
    WindowNames names = namesOf(window);
    if (names.gtkApplicationID.isEmpty() && names.wmClass.isEmpty()) {
        if (const uint32_t top = toplevelOf(pid))
            names = namesOf(top);
    }
    // The app's own windows (its copies among them) are named without the
    // installed applications' entries: reading those while an editor is open
    // would leave them spread over the heap pages the editor frees.
    const bool own = pid == QCoreApplication::applicationPid();
    const DesktopEntryIndex::Entries entries
        = own ? std::make_shared<const QList<DesktopEntryIndex::Entry>>() : m_index.entries();
    std::optional<App> app = identify(pid, names.gtkApplicationID, names.wmClass, executableOf(pid), *entries);
    if (app && own && !QGuiApplication::desktopFileName().isEmpty())
        *app = App{QGuiApplication::desktopFileName(), QGuiApplication::applicationDisplayName(), pid};
    if (app)
        app->windowClass = names.wmClass;
    return app;
}

std::optional<ApplicationIdentity::App> X11ApplicationIdentity::identify(qint64 pid, const QString& gtkApplicationID,
                                                                         const QString& wmClass, const QString& executable,
                                                                         const QList<DesktopEntryIndex::Entry>& entries)
{
    // The first entry that matches; an entry the user hid is no application of theirs.
    const auto first = [&](auto matches) -> std::optional<App> {
        for (const DesktopEntryIndex::Entry& e : entries)
            if (!e.hidden && matches(e))
                return App{e.id, e.name.isEmpty() ? e.id : e.name, pid};
        return std::nullopt;
    };
    if (!gtkApplicationID.isEmpty()) {
        if (auto app = first([&](const DesktopEntryIndex::Entry& e) { return e.id == gtkApplicationID; }))
            return app;
        return App{gtkApplicationID, gtkApplicationID, pid};
    }
    if (!wmClass.isEmpty()) {
        if (auto app = first([&](const DesktopEntryIndex::Entry& e) {
                const QString lastPart = e.id.section(QLatin1Char('.'), -1);
                return e.startupWMClass.compare(wmClass, Qt::CaseInsensitive) == 0
                    || e.id.compare(wmClass, Qt::CaseInsensitive) == 0
                    || lastPart.compare(wmClass, Qt::CaseInsensitive) == 0;
            }))
            return app;
    }
    if (!executable.isEmpty()) {
        if (auto app = first([&](const DesktopEntryIndex::Entry& e) { return execProgram(e.exec) == executable; }))
            return app;
    }
    if (!wmClass.isEmpty())
        return App{wmClass, wmClass, pid};
    if (!executable.isEmpty())
        return App{executable, executable, pid};
    return std::nullopt;
}
