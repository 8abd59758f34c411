#include "support/XTestMouse.h"

#include <QCursor>
#include <QTest>
#include <xcb/xtest.h>

XTestMouse::XTestMouse()
    : m_c(xcb_connect(nullptr, nullptr))
{
}

XTestMouse::~XTestMouse()
{
    xcb_disconnect(m_c);
}

bool XTestMouse::moveTo(QPoint at)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    xcb_test_fake_input(m_c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, qint16(at.x()), qint16(at.y()), 0);
    xcb_flush(m_c);
    return QTest::qWaitFor([&] { return QCursor::pos() == at; }, 2000);
}

void XTestMouse::button(quint8 button, bool down)
{
    xcb_test_fake_input(m_c, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_c);
    QTest::qWait(30); // one event at a time, as a hand would
}

void XTestMouse::key(xcb_keycode_t code)
{
    xcb_test_fake_input(m_c, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(m_c, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_c);
}

void XTestMouse::click(QPoint at, quint8 b)
{
    moveTo(at);
    button(b, true);
    button(b, false);
}

void XTestMouse::drag(QPoint from, QPoint to)
{
    moveTo(from);
    button(1, true);
    for (int i = 1; i <= 4; ++i)
        moveTo(from + (to - from) * i / 4);
    button(1, false);
}
