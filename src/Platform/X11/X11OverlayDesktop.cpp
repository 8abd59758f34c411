#include "Platform/X11/X11OverlayDesktop.h"

#include <QGuiApplication>
#include <QMutexLocker>
#include <qguiapplication_platform.h>

namespace {
xcb_connection_t* qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
}

X11OverlayDesktop::X11OverlayDesktop(std::function<int()> readPolicy, std::function<void(int)> writePolicy,
                                     std::shared_ptr<XcbConnection> x)
    : m_readPolicy(std::move(readPolicy)), m_writePolicy(std::move(writePolicy))
    , m_connection(XcbConnection::sharedOrOwn(std::move(x)))
{
}

int X11OverlayDesktop::activationPolicy() const { return m_readPolicy ? m_readPolicy() : m_policy; }

void X11OverlayDesktop::setActivationPolicy(int policy)
{
    m_policy = policy;
    if (m_writePolicy)
        m_writePolicy(policy);
}

QImage X11OverlayDesktop::backdropCanvas(QSize pixels)
{
    QMutexLocker lock(&m_x.mutex());
    const QImage shared = m_x.isValid() ? m_images.sharedImage(pixels) : QImage();
    return shared.isNull() ? QImage(pixels, QImage::Format_RGB32) : shared;
}

bool X11OverlayDesktop::setBackdrop(quint64 window, const QImage& picture)
{
    QMutexLocker lock(&m_x.mutex());
    std::shared_ptr<void> keep;
    const xcb_pixmap_t pixmap = m_x.isValid() ? m_images.pixmapOf(picture, &keep) : 0;
    if (!pixmap)
        return false;
    xcb_connection_t* c = m_x.get();
    // Checked: a window of another depth refuses the pixmap. The answer also
    // means the server has applied it before Qt's connection maps the window.
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_change_window_attributes_checked(c, xcb_window_t(window), XCB_CW_BACK_PIXMAP, &pixmap));
    xcb_free_pixmap(c, pixmap); // the window keeps its own reference
    xcb_flush(c);
    const bool applied = !error;
    free(error);
    if (applied && keep)
        m_backdrops.insert(window, std::move(keep));
    return applied;
}

void X11OverlayDesktop::clearBackdrop(quint64 window)
{
    QMutexLocker lock(&m_x.mutex());
    if (!m_x.isValid())
        return;
    // The window lets go of the pixmap, and the pixmap of the memory it reads.
    const uint32_t none = XCB_BACK_PIXMAP_NONE;
    xcb_change_window_attributes(m_x.get(), xcb_window_t(window), XCB_CW_BACK_PIXMAP, &none);
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(m_x.get(), xcb_get_input_focus(m_x.get()), nullptr));
    m_backdrops.remove(window);
}

bool X11OverlayDesktop::grabInput(quint64 window)
{
    xcb_connection_t* c = qtConnection();
    if (!c)
        return false;
    const auto w = xcb_window_t(window);
    // owner_events: our other overlay windows (other monitors) still get
    // their own pointer and key events.
    XcbReply<xcb_grab_keyboard_reply_t> keyboard(xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 1, w, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr));
    if (!keyboard || keyboard->status != XCB_GRAB_STATUS_SUCCESS)
        return false;
    const uint16_t mask = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION
        | XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;
    XcbReply<xcb_grab_pointer_reply_t> pointer(xcb_grab_pointer_reply(
        c, xcb_grab_pointer(c, 1, w, mask, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE, XCB_CURSOR_NONE,
                            XCB_CURRENT_TIME),
        nullptr));
    if (!pointer || pointer->status != XCB_GRAB_STATUS_SUCCESS) {
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_flush(c);
        return false;
    }
    return true;
}

void X11OverlayDesktop::releaseInput()
{
    if (xcb_connection_t* c = qtConnection()) {
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_flush(c);
    }
}

bool X11OverlayDesktop::isOffScreen(quint64 window)
{
    xcb_connection_t* c = qtConnection();
    if (!c)
        return true;
    xcb_flush(c);
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(window)), nullptr));
    return !attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE;
}

QImage X11OverlayDesktop::grabScreenArea(const QRect& pixels)
{
    QMutexLocker lock(&m_x.mutex());
    if (!m_x.isValid())
        return {};
    const QRect root(0, 0, m_x.screen()->width_in_pixels, m_x.screen()->height_in_pixels);
    const QRect area = pixels.intersected(root);
    if (area.isEmpty())
        return {};
    return m_images.grab(m_x.root(), area, true, nullptr);
}
