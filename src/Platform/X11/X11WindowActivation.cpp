#include "Platform/X11/X11WindowActivation.h"

#include <QMutexLocker>
#include <cstring>

// Called with the connection's lock held.
bool X11WindowActivation::hasWindowManager()
{
    xcb_connection_t* c = m_x.get();
    const xcb_atom_t check = m_x.atom("_NET_SUPPORTING_WM_CHECK");
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, m_x.root(), check, XCB_ATOM_WINDOW, 0, 1), nullptr));
    return reply && xcb_get_property_value_length(reply.get()) >= 4;
}

void X11WindowActivation::activate(quint32 window)
{
    if (!m_x.isValid() || window == XCB_WINDOW_NONE)
        return;
    QMutexLocker lock(&m_x.mutex());
    const xcb_atom_t active = m_x.atom("_NET_ACTIVE_WINDOW");
    xcb_connection_t* c = m_x.get();
    if (hasWindowManager()) {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = active;
        event.data.data32[0] = 2; // from a pager: the user asked for it
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, m_x.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    } else {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(c);
}

std::optional<quint32> X11WindowActivation::activeWindow()
{
    if (!m_x.isValid())
        return std::nullopt;
    QMutexLocker lock(&m_x.mutex());
    const xcb_atom_t active = m_x.atom("_NET_ACTIVE_WINDOW");
    xcb_connection_t* c = m_x.get();
    if (hasWindowManager()) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, m_x.root(), active, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) < 4)
            return std::nullopt;
        const quint32 window = *static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        if (window == XCB_WINDOW_NONE)
            return std::nullopt;
        return window;
    }
    XcbReply<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT)
        return std::nullopt;
    return focus->focus;
}
