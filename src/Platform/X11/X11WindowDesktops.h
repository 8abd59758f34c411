#pragma once
#include "Platform/WindowDesktops.h"

// EWMH: _NET_WM_DESKTOP 0xFFFFFFFF and the state _NET_WM_STATE_STICKY, over
// Qt's own connection so that they reach the server before Qt's map request:
// set on the window itself before it maps, asked of the window manager while
// it is shown.
class X11WindowDesktops final : public WindowDesktops {
public:
    void showOnAllDesktops(quint64 window) override;
    bool isOnCurrentDesktop(quint64 window) override;
};
