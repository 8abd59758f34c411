#include "Platform/X11/X11CompositingInfo.h"

#include "Platform/X11/XcbConnection.h"

#include <QSocketNotifier>
#include <xcb/xfixes.h>

X11CompositingInfo::X11CompositingInfo(const QByteArray& display, QObject* parent)
    : CompositingInfo(parent)
    , m_x(std::make_unique<XcbConnection>(display))
{
    if (!m_x->isValid())
        return;
    xcb_connection_t* c = m_x->get();
    m_selection = m_x->atom(("_NET_WM_CM_S" + QByteArray::number(m_x->screenNumber())).constData());
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (m_selection != XCB_ATOM_NONE && m_x->hasXFixes() && fixes && fixes->present) {
        m_xfixesEvent = fixes->first_event;
        // Selected before the first answer, so no change falls between the two.
        xcb_xfixes_select_selection_input(c, m_x->root(), m_selection,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &X11CompositingInfo::readEvents);
    }
    m_compositing = askOwner();
    // Waiting for that answer may have queued events the socket no longer announces.
    readEvents();
}

X11CompositingInfo::~X11CompositingInfo()
{
    delete m_notifier; // before the connection closes its socket
}

bool X11CompositingInfo::isCompositing() const
{
    if (!m_x->isValid())
        return false;
    if (!m_notifier) {
        QMutexLocker lock(&m_x->mutex());
        return askOwner();
    }
    return m_compositing;
}

bool X11CompositingInfo::askOwner() const
{
    if (m_selection == XCB_ATOM_NONE)
        return false;
    xcb_connection_t* c = m_x->get();
    XcbReply<xcb_get_selection_owner_reply_t> r(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr));
    return r && r->owner != XCB_WINDOW_NONE;
}

void X11CompositingInfo::readEvents()
{
    if (!m_notifier)
        return;
    xcb_connection_t* c = m_x->get();
    std::optional<bool> latest;
    while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
        XcbReply<xcb_generic_event_t> event(raw);
        if ((event->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event.get());
        if (notify->selection == m_selection)
            latest = notify->owner != XCB_WINDOW_NONE;
    }
    if (xcb_connection_has_error(c)) {
        // The display went away: nothing more will change.
        delete m_notifier;
        m_notifier = nullptr;
        update(false);
        return;
    }
    if (latest)
        update(*latest);
}

void X11CompositingInfo::update(bool compositing)
{
    if (m_compositing.exchange(compositing) != compositing)
        Q_EMIT compositingChanged(compositing);
}
