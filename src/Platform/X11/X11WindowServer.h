#pragma once
// Windows on X11: the EWMH stacking list (root children when no window manager
// keeps one), bounds with the frame extents, the owner's pid from X-Resource
// or _NET_WM_PID. A window's picture comes from its composite pixmap when the
// window is redirected, as under a compositing manager (so overlapping windows
// are not in it), otherwise it is cut from a grab of the root window.
#include "Platform/WindowServer.h"
#include "Platform/X11/XcbConnection.h"
#include "Platform/X11/XcbImageTransfer.h"

class X11WindowServer final : public WindowServer {
public:
    X11WindowServer();

    std::optional<QList<WindowInfo>> windowList() override;
    std::optional<qint32> ownerPID(quint32 window) override;
    QImage windowImage(quint32 window, QSize pixelSize, bool showsCursor, QString* error = nullptr) override;

private:
    std::optional<qint32> pidLocked(xcb_window_t window);
    QList<uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint32_t max = 1024);

    XcbConnection m_x;
    XcbImageTransfer m_images{m_x};
};
