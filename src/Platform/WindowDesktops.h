#pragma once
// Where our own top-level windows appear among the desktop's workspaces.
#include <QtGlobal>

class WindowDesktops {
public:
    virtual ~WindowDesktops() = default;
    // Asks the window manager to show this window of ours on every workspace:
    // before it maps (it joins them as it appears), or while it is shown (it
    // is moved there).
    virtual void showOnAllDesktops(quint64 window) = 0;
    // Whether the window is on the workspace the user looks at (also when
    // the desktop has no workspaces).
    virtual bool isOnCurrentDesktop(quint64 window) = 0;
};
