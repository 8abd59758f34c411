#pragma once
#include "Platform/WindowDesktops.h"

// EWMH: _NET_WM_DESKTOP 0xFFFFFFFF and the state _NET_WM_STATE_STICKY, set
// on the window before it is mapped, over Qt's own connection so that they
// reach the server before Qt's map request.
class X11WindowDesktops final : public WindowDesktops {
public:
    void showOnAllDesktops(quint64 window) override;
};
