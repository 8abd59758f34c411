#pragma once
// Whether this session offers an X server, asked before Qt starts: without
// one Qt's platform plugin fails with a message that suggests reinstalling.
#include "Platform/DisplayState.h"

#include <QString>

class X11DisplayCheck {
public:
    using State = DisplayState;

    // Reads DISPLAY and WAYLAND_DISPLAY; with DISPLAY set it opens one
    // connection and closes it again.
    static State check();
    static QString display() { return qEnvironmentVariable("DISPLAY"); }
};
