#pragma once
// The user's mouse and keyboard on the test's X server, through XTest: each
// move waits until the pointer is there.
#include <QPoint>
#include <xcb/xcb.h>

class XTestMouse {
public:
    XTestMouse();
    ~XTestMouse();
    XTestMouse(const XTestMouse&) = delete;
    XTestMouse& operator=(const XTestMouse&) = delete;

    bool moveTo(QPoint at);
    void button(quint8 button, bool down);
    void key(xcb_keycode_t code);
    void click(QPoint at, quint8 button = 1);
    // Press at `from`, move in a few steps, release at `to`.
    void drag(QPoint from, QPoint to);

private:
    xcb_connection_t* m_c;
};
