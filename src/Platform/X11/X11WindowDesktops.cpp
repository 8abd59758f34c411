#include "Platform/X11/X11WindowDesktops.h"

#include "Platform/X11/XcbConnection.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <xcb/xcb.h>

namespace {
constexpr uint32_t allDesktops = 0xFFFFFFFF;

xcb_connection_t* qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::optional<uint32_t> cardinal(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property)
{
    XcbReply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return std::nullopt;
    return *static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
}

xcb_window_t rootOf(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

void askWindowManager(xcb_connection_t* c, xcb_window_t w, xcb_atom_t type, uint32_t l0, uint32_t l1)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = w;
    message.type = type;
    message.data.data32[0] = l0;
    message.data.data32[1] = l1;
    message.data.data32[2] = 0;
    message.data.data32[3] = 1; // an application asks
    xcb_send_event(c, 0, rootOf(c), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
}
} // namespace

void X11WindowDesktops::showOnAllDesktops(quint64 window)
{
    xcb_connection_t* c = qtConnection();
    if (!c || !window)
        return;
    const auto w = xcb_window_t(window);
    const xcb_atom_t desktop = XcbConnection::internAtom(c, "_NET_WM_DESKTOP");
    const xcb_atom_t state = XcbConnection::internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t sticky = XcbConnection::internAtom(c, "_NET_WM_STATE_STICKY");
    // Read when the window maps; Qt keeps state atoms it finds on the window
    // when it sets its own.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_change_property(c, XCB_PROP_MODE_APPEND, w, state, XCB_ATOM_ATOM, 32, 1, &sticky);
    // A shown window changes workspaces only when the window manager moves it.
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
        askWindowManager(c, w, desktop, allDesktops, 1);
        askWindowManager(c, w, state, 1 /* add */, sticky);
    }
    xcb_flush(c);
}

bool X11WindowDesktops::isOnCurrentDesktop(quint64 window)
{
    xcb_connection_t* c = qtConnection();
    if (!c || !window)
        return true;
    const std::optional<uint32_t> on = cardinal(c, xcb_window_t(window), XcbConnection::internAtom(c, "_NET_WM_DESKTOP"));
    const std::optional<uint32_t> current = cardinal(c, rootOf(c), XcbConnection::internAtom(c, "_NET_CURRENT_DESKTOP"));
    return !on || !current || *on == allDesktops || *on == *current;
}
