#include "Platform/X11/X11DisplayCheck.h"

#include <xcb/xcb.h>

X11DisplayCheck::State X11DisplayCheck::check()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? State::displayUnset : State::waylandOnly;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reached = connection && xcb_connection_has_error(connection) == 0;
    if (connection)
        xcb_disconnect(connection);
    return reached ? State::available : State::unreachable;
}
