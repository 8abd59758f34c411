#include "Platform/X11/X11InputSynthesis.h"

#include "Platform/X11/X11ScreenLayout.h"

#include <QMutexLocker>
#include <cmath>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

namespace {
constexpr quint32 keysymHome = 0xff50;
constexpr quint32 keysymPrior = 0xff55;
constexpr quint32 keysymNext = 0xff56;
constexpr quint32 keysymControlL = 0xffe3;
} // namespace

X11InputSynthesis::X11InputSynthesis(std::shared_ptr<const X11ScreenLayout> layout, std::shared_ptr<XcbConnection> x)
    : m_layout(layout ? std::move(layout) : std::make_shared<X11ScreenLayout>())
    , m_connection(XcbConnection::sharedOrOwn(std::move(x)))
{
}

X11InputSynthesis::~X11InputSynthesis()
{
    if (m_hidden)
        showPointer();
}

bool X11InputSynthesis::isAvailable()
{
    return m_x.isValid() && m_x.hasXTest();
}

xcb_keycode_t X11InputSynthesis::keycodeFor(quint32 keysym)
{
    if (!m_x.isValid())
        return 0;
    QMutexLocker lock(&m_x.mutex());
    xcb_connection_t* c = m_x.get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    XcbReply<xcb_get_keyboard_mapping_reply_t> map(
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr));
    if (!map)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
    const int per = map->keysyms_per_keycode;
    for (int i = 0; i < count; ++i)
        if (per > 0 && syms[i * per] == keysym)
            return xcb_keycode_t(setup->min_keycode + i);
    return 0;
}

void X11InputSynthesis::pressKey(Key key, bool control)
{
    if (!isAvailable())
        return;
    const quint32 sym = key == Key::pageUp ? keysymPrior : key == Key::pageDown ? keysymNext : keysymHome;
    const xcb_keycode_t code = keycodeFor(sym);
    const xcb_keycode_t ctrl = control ? keycodeFor(keysymControlL) : 0;
    if (!code || (control && !ctrl))
        return;
    QMutexLocker lock(&m_x.mutex());
    xcb_connection_t* c = m_x.get();
    if (ctrl)
        xcb_test_fake_input(c, XCB_KEY_PRESS, ctrl, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    if (ctrl)
        xcb_test_fake_input(c, XCB_KEY_RELEASE, ctrl, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c);
}

void X11InputSynthesis::scrollWheel(int clicks)
{
    if (!isAvailable() || clicks == 0)
        return;
    QMutexLocker lock(&m_x.mutex());
    xcb_connection_t* c = m_x.get();
    const uint8_t button = clicks > 0 ? 4 : 5;
    for (int i = 0; i < std::abs(clicks); ++i) {
        xcb_test_fake_input(c, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    xcb_flush(c);
}

void X11InputSynthesis::warpPointer(const QPointF& point)
{
    if (!m_x.isValid())
        return;
    QMutexLocker lock(&m_x.mutex());
    xcb_connection_t* c = m_x.get();
    const QPointF pixel = m_layout->current().toPixels(point);
    const qint16 x = qint16(std::lround(pixel.x()));
    const qint16 y = qint16(std::lround(pixel.y()));
    // A real motion where XTEST exists, so the application under the pointer
    // learns where it is before the wheel turns.
    if (m_x.hasXTest())
        xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_x.root(), x, y, 0);
    else
        xcb_warp_pointer(c, XCB_NONE, m_x.root(), 0, 0, 0, 0, x, y);
    xcb_flush(c);
}

std::optional<QPointF> X11InputSynthesis::pointerPosition()
{
    if (!m_x.isValid())
        return std::nullopt;
    QMutexLocker lock(&m_x.mutex());
    xcb_connection_t* c = m_x.get();
    XcbReply<xcb_query_pointer_reply_t> reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, m_x.root()), nullptr));
    if (!reply)
        return std::nullopt;
    return m_layout->current().toPoints(QPointF(reply->root_x, reply->root_y));
}

void X11InputSynthesis::hidePointer()
{
    if (!m_x.isValid() || !m_x.hasXFixes() || m_hidden)
        return;
    QMutexLocker lock(&m_x.mutex());
    xcb_xfixes_hide_cursor(m_x.get(), m_x.root());
    xcb_flush(m_x.get());
    m_hidden = true;
}

void X11InputSynthesis::showPointer()
{
    if (!m_x.isValid() || !m_x.hasXFixes() || !m_hidden)
        return;
    QMutexLocker lock(&m_x.mutex());
    xcb_xfixes_show_cursor(m_x.get(), m_x.root());
    xcb_flush(m_x.get());
    m_hidden = false;
}
