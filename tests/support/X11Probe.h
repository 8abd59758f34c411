#pragma once
// A plain xcb connection for the tests that look at the real X server from
// outside the program under test: the window tree, properties, the tray
// host's embedded icons, and the user's mouse and keyboard through XTest.
#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <functional>
#include <xcb/xcb.h>

class X11Probe {
public:
    X11Probe();
    ~X11Probe();
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    xcb_connection_t* connection() const { return c; }
    xcb_window_t root() const;
    xcb_atom_t atom(const char* name) const;
    QList<xcb_window_t> children(xcb_window_t w) const;
    QList<xcb_window_t> descendants(xcb_window_t w) const;
    QByteArray property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) const;
    // _NET_WM_PID of the window, -1 without one.
    qint64 pid(xcb_window_t w) const;
    bool viewable(xcb_window_t w) const;
    // The first viewable window of the process with this title (_NET_WM_NAME), 0 without one.
    xcb_window_t windowTitled(qint64 pid, const QByteArray& title) const;
    // Where the process's first viewable top-level window `width` wide lies
    // (the program's panel is 340), invalid without one.
    QRect topLevelOfWidth(qint64 pid, int width) const;
    // The window manager's active window, 0 without one.
    xcb_window_t activeWindow() const;
    // The window's rectangle in root coordinates (invalid if it is gone).
    QRect rootGeometry(xcb_window_t w) const;
    // The windows of the test's tint2 (the tray host).
    QList<xcb_window_t> tint2Windows() const;
    // Windows of the process that sit inside the tray host: embedded icons.
    QList<xcb_window_t> trayIcons(qint64 pid) const;
    // Waits until the process has exactly one icon in the tray and it has
    // stopped moving (the host may unmap and re-lay it out while embedding);
    // returns its rectangle in root coordinates, invalid on timeout.
    QRect settledTrayIcon(qint64 pid, int timeoutMs = 15000) const;
    // Real input through the X server (XTest). Each request is confirmed by a
    // round trip, so the server has handled it before the next one is sent.
    void moveTo(QPoint p) const;
    void button(quint8 button, bool down) const;
    void click(QPoint p, quint8 button = 1) const;
    // Clicks the centre of `target` (when it is valid) until `done` holds,
    // waiting a while after each click: a click can fall on a window still
    // being mapped, or right after a popup closed be taken for the closing one.
    bool clickUntil(const std::function<QRect()>& target, const std::function<bool()>& done, int attempts = 10,
                    int waitMs = 1500) const;
    // Press at `from`, move in a few steps, release at `to`.
    void drag(QPoint from, QPoint to) const;
    void key(xcb_keycode_t code) const;
    // Asks the window to close, as a window manager's close button does
    // (WM_DELETE_WINDOW).
    void close(xcb_window_t w) const;

private:
    void fakeInput(quint8 type, quint8 detail, QPoint at = {}) const;
    xcb_connection_t* c;
};
