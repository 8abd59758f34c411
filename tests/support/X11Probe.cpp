#include "support/X11Probe.h"

#include <QDeadlineTimer>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <xcb/xtest.h>

X11Probe::X11Probe() : c(xcb_connect(nullptr, nullptr)) {}

X11Probe::~X11Probe() { xcb_disconnect(c); }

xcb_window_t X11Probe::root() const { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

xcb_atom_t X11Probe::atom(const char* name) const
{
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

QList<xcb_window_t> X11Probe::children(xcb_window_t w) const
{
    QList<xcb_window_t> out;
    if (auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr)) {
        const xcb_window_t* kids = xcb_query_tree_children(r);
        for (int i = 0; i < xcb_query_tree_children_length(r); ++i)
            out.append(kids[i]);
        std::free(r);
    }
    return out;
}

QList<xcb_window_t> X11Probe::descendants(xcb_window_t w) const
{
    QList<xcb_window_t> out;
    for (xcb_window_t k : children(w)) {
        out.append(k);
        out.append(descendants(k));
    }
    return out;
}

QByteArray X11Probe::property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) const
{
    QByteArray out;
    if (auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1024), nullptr)) {
        out = QByteArray(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
        std::free(r);
    }
    return out;
}

qint64 X11Probe::pid(xcb_window_t w) const
{
    const QByteArray v = property(w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return v.size() == 4 ? *reinterpret_cast<const quint32*>(v.constData()) : -1;
}

bool X11Probe::viewable(xcb_window_t w) const
{
    auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(r);
    return v;
}

xcb_window_t X11Probe::windowTitled(qint64 pid, const QByteArray& title) const
{
    for (xcb_window_t w : descendants(root()))
        if (this->pid(w) == pid && viewable(w) && property(w, atom("_NET_WM_NAME"), atom("UTF8_STRING")) == title)
            return w;
    return 0;
}

QRect X11Probe::topLevelOfWidth(qint64 pid, int width) const
{
    for (xcb_window_t w : children(root()))
        if (this->pid(w) == pid && viewable(w) && rootGeometry(w).width() == width)
            return rootGeometry(w);
    return {};
}

xcb_window_t X11Probe::activeWindow() const
{
    const QByteArray v = property(root(), atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return v.size() >= 4 ? *reinterpret_cast<const xcb_window_t*>(v.constData()) : 0;
}

QRect X11Probe::rootGeometry(xcb_window_t w) const
{
    QRect rect;
    auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    auto* t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root(), 0, 0), nullptr);
    if (g && t)
        rect = QRect(t->dst_x, t->dst_y, g->width, g->height);
    std::free(g);
    std::free(t);
    return rect;
}

QList<xcb_window_t> X11Probe::tint2Windows() const
{
    QList<xcb_window_t> out;
    for (xcb_window_t w : descendants(root()))
        if (property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).contains("tint2"))
            out.append(w);
    return out;
}

QList<xcb_window_t> X11Probe::trayIcons(qint64 pid) const
{
    QList<xcb_window_t> out;
    for (xcb_window_t host : tint2Windows())
        for (xcb_window_t w : descendants(host))
            if (this->pid(w) == pid && viewable(w))
                out.append(w);
    return out;
}

QRect X11Probe::settledTrayIcon(qint64 pid, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QRect last;
    int sameInARow = 0;
    while (!deadline.hasExpired()) {
        const QList<xcb_window_t> icons = trayIcons(pid);
        const QRect now = icons.size() == 1 ? rootGeometry(icons.first()) : QRect();
        sameInARow = now.isValid() && now == last ? sameInARow + 1 : 0;
        if (sameInARow >= 3)
            return now;
        last = now;
        QTest::qWait(50);
    }
    return {};
}

void X11Probe::fakeInput(quint8 type, quint8 detail, QPoint at) const
{
    const xcb_window_t window = type == XCB_MOTION_NOTIFY ? root() : XCB_NONE;
    std::free(xcb_request_check(c, xcb_test_fake_input_checked(c, type, detail, XCB_CURRENT_TIME, window,
                                                                int16_t(at.x()), int16_t(at.y()), 0)));
}

void X11Probe::moveTo(QPoint p) const { fakeInput(XCB_MOTION_NOTIFY, 0, p); }

void X11Probe::button(quint8 button, bool down) const
{
    fakeInput(down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button);
}

void X11Probe::click(QPoint p, quint8 b) const
{
    moveTo(p);
    button(b, true);
    button(b, false);
}

bool X11Probe::clickUntil(const std::function<QRect()>& target, const std::function<bool()>& done, int attempts,
                          int waitMs) const
{
    for (int attempt = 0; attempt < attempts && !done(); ++attempt) {
        if (const QRect r = target(); r.isValid())
            click(r.center());
        (void)QTest::qWaitFor(done, waitMs);
    }
    return done();
}

void X11Probe::drag(QPoint from, QPoint to) const
{
    moveTo(from);
    button(1, true);
    for (int i = 1; i <= 4; ++i)
        moveTo(from + (to - from) * i / 4);
    button(1, false);
}

void X11Probe::key(xcb_keycode_t code) const
{
    fakeInput(XCB_KEY_PRESS, code);
    fakeInput(XCB_KEY_RELEASE, code);
}

void X11Probe::close(xcb_window_t w) const
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = w;
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, false, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(c);
}
