#include "Platform/X11/X11TrayAvailability.h"

#include "Platform/X11/XcbConnection.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <xcb/xfixes.h>

namespace {
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

QDBusMessage hostQuestion()
{
    QDBusMessage get = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    // Asking must not start a watcher that the desktop keeps for activation.
    get.setAutoStartService(false);
    return get;
}

bool hostAnswer(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().first().value<QDBusVariant>().variant().toBool();
}
} // namespace

X11TrayAvailability::X11TrayAvailability(QObject* parent)
    : TrayAvailability(parent)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        m_x = std::make_unique<XcbConnection>();
    if (m_x && m_x->isValid()) {
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(m_x->screenNumber());
        m_selection = m_x->atom(name.constData());
        const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(m_x->get(), &xcb_xfixes_id);
        if (m_selection != XCB_ATOM_NONE && m_x->hasXFixes() && fixes && fixes->present) {
            m_xfixesEvent = fixes->first_event;
            xcb_xfixes_select_selection_input(m_x->get(), m_x->root(), m_selection,
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            xcb_flush(m_x->get());
            m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->get()), QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &X11TrayAvailability::readXEmbedEvents);
        } else if (m_selection != XCB_ATOM_NONE) {
            m_poll = new QTimer(this);
            connect(m_poll, &QTimer::timeout, this, [this] { update(xembedOwnerExists(), m_statusNotifier); });
            m_poll->start(2000);
        }
        m_xembed = xembedOwnerExists();
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    m_busWatcher = new QDBusServiceWatcher(watcherService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_busWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty()) {
                    ++m_question;
                    update(m_xembed, false);
                } else {
                    askStatusNotifierHost();
                }
            });
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus.connect(watcherService, watcherPath, watcherService, QString::fromLatin1(signal), this, SLOT(hostsChanged()));
    // Both with a short timeout: a bus that does not answer must not hold up the start.
    QDBusMessage owned = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    owned << watcherService;
    const QDBusMessage registered = bus.call(owned, QDBus::Block, 2000);
    if (registered.type() == QDBusMessage::ReplyMessage && registered.arguments().value(0).toBool())
        m_statusNotifier = hostAnswer(bus.call(hostQuestion(), QDBus::Block, 2000));
}

X11TrayAvailability::~X11TrayAvailability()
{
    delete m_notifier;
    m_x.reset();
}

void X11TrayAvailability::hostsChanged()
{
    askStatusNotifierHost();
}

bool X11TrayAvailability::xembedOwnerExists()
{
    if (!m_x || m_selection == XCB_ATOM_NONE || xcb_connection_has_error(m_x->get()))
        return false;
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(m_x->get(), xcb_get_selection_owner(m_x->get(), m_selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void X11TrayAvailability::readXEmbedEvents()
{
    xcb_connection_t* c = m_x->get();
    if (xcb_connection_has_error(c)) {
        // The server is gone; nothing more will come.
        m_notifier->setEnabled(false);
        update(false, m_statusNotifier);
        return;
    }
    // Asking for the owner reads the socket too and may queue further
    // events: ask again until none is left.
    for (;;) {
        bool ownerChanged = false;
        while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
            XcbReply<xcb_generic_event_t> event(raw);
            if ((event->response_type & 0x7f) == m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY
                && reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event.get())->selection == m_selection)
                ownerChanged = true;
        }
        if (!ownerChanged)
            return;
        update(xembedOwnerExists(), m_statusNotifier);
    }
}

void X11TrayAvailability::askStatusNotifierHost()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const quint64 question = ++m_question;
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(hostQuestion(), 5000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, question] {
        pending->deleteLater();
        if (question == m_question)
            update(m_xembed, hostAnswer(pending->reply()));
    });
}

void X11TrayAvailability::update(bool xembed, bool statusNotifier)
{
    if (xembed == m_xembed && statusNotifier == m_statusNotifier)
        return;
    m_xembed = xembed;
    m_statusNotifier = statusNotifier;
    Q_EMIT changed();
}
