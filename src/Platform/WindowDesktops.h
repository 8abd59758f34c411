#pragma once
// Where our own top-level windows appear among the desktop's workspaces.
#include <QtGlobal>

class WindowDesktops {
public:
    virtual ~WindowDesktops() = default;
    // Asks the window manager to show this window of ours on every workspace.
    // For a window that exists natively but is not shown yet.
    virtual void showOnAllDesktops(quint64 window) = 0;
};
