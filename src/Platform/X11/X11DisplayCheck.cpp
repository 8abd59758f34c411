#include "Platform/X11/X11DisplayCheck.h"

#include "Platform/X11/XcbConnection.h"

X11DisplayCheck::State X11DisplayCheck::check()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? State::displayUnset : State::waylandOnly;
    return XcbConnection().isValid() ? State::available : State::unreachable;
}
