#include "Platform/X11/X11WindowDesktops.h"

#include "Platform/X11/XcbConnection.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

void X11WindowDesktops::showOnAllDesktops(quint64 window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || !window)
        return;
    const auto w = xcb_window_t(window);
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XcbConnection::internAtom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    // Qt keeps state atoms it finds on the window when it sets its own.
    const xcb_atom_t sticky = XcbConnection::internAtom(c, "_NET_WM_STATE_STICKY");
    xcb_change_property(c, XCB_PROP_MODE_APPEND, w, XcbConnection::internAtom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, &sticky);
    xcb_flush(c);
}
