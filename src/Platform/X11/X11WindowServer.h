#pragma once
// Windows on X11: the EWMH stacking list (root children when no window manager
// keeps one), bounds with the frame extents in the points of the screen
// layout, the owner's pid from X-Resource or _NET_WM_PID. A window's picture
// comes from its composite pixmap when the window is redirected, as under a
// compositing manager or while X11WindowRedirector keeps it (so overlapping
// windows are not in it), otherwise it is cut from a grab of the root window.
// It is the window's own pixels: square unless the window is shaped or has
// an alpha channel of its own (a compositor's rounded frame).
#include "Platform/WindowServer.h"
#include "Platform/X11/XcbConnection.h"
#include "Platform/X11/XcbImageTransfer.h"

#include <memory>

class X11ScreenLayout;

class X11WindowServer final : public WindowServer {
public:
    // Without a layout it follows the application's screens itself (made on
    // the main thread, then).
    // x: the connection of the main thread's backends; none opens its own.
    explicit X11WindowServer(std::shared_ptr<const X11ScreenLayout> layout = nullptr,
                             std::shared_ptr<XcbConnection> x = nullptr);
    ~X11WindowServer() override;

    std::optional<QList<WindowInfo>> windowList() override;
    std::optional<qint32> ownerPID(quint32 window) override;
    QImage windowImage(quint32 window, QSize pixelSize, bool showsCursor, QString* error = nullptr,
                       bool* fromScreen = nullptr) override;

private:
    std::optional<qint32> pidLocked(xcb_window_t window);
    QList<uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint32_t max = 1024);
    // Clears what lies outside the frame's shape (no change for a plain
    // rectangular frame).
    void cutToShape(xcb_window_t frame, QImage& image);

    std::shared_ptr<const X11ScreenLayout> m_layout;
    std::shared_ptr<XcbConnection> m_connection;
    XcbConnection& m_x = *m_connection;
    XcbImageTransfer m_images{m_x};
};
