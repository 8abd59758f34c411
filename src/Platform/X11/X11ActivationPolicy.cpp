#include "Platform/X11/X11ActivationPolicy.h"

#include "Platform/X11/XcbConnection.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace {

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::vector<xcb_atom_t> states(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmState)
{
    std::vector<xcb_atom_t> result;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, netWmState, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        result.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return result;
}

// Only ordinary top-level windows can appear in a taskbar; popups, tooltips
// and the tray's own windows never do.
bool isTaskbarCandidate(QWidget* w)
{
    if (!w || !w->isWindow())
        return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

} // namespace

X11ActivationPolicy::X11ActivationPolicy(QObject* parent)
    : QObject(parent)
{
    if (qApp) {
        qApp->installEventFilter(this);
        qApp->installNativeEventFilter(this);
    }
    if (xcb_connection_t* c = connection())
        m_netWmState = XcbConnection::internAtom(c, "_NET_WM_STATE");
}

X11ActivationPolicy::~X11ActivationPolicy()
{
    if (qApp) {
        qApp->removeNativeEventFilter(this);
        qApp->removeEventFilter(this);
    }
}

bool X11ActivationPolicy::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    // The window manager rewrites _NET_WM_STATE when it (re)manages a window,
    // e.g. after a quick hide and show; put our state back when it got lost.
    if (eventType != "xcb_generic_event_t" || m_netWmState == 0)
        return false;
    const auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (notify->atom != m_netWmState || notify->state != XCB_PROPERTY_NEW_VALUE)
        return false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !isTaskbarCandidate(w) || xcb_window_t(w->winId()) != notify->window)
            continue;
        if (skipsTaskbar(w) == (m_policy == Policy::accessory)) {
            m_corrections.remove(notify->window);
        } else if (m_corrections[notify->window]++ < 3) {
            apply(w, true);
        }
        break;
    }
    return false;
}

void X11ActivationPolicy::setPolicy(Policy policy)
{
    m_policy = policy;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (isTaskbarCandidate(w) && w->isVisible())
            apply(w, true);
}

bool X11ActivationPolicy::eventFilter(QObject* watched, QEvent* event)
{
    // The show event comes before the window is mapped: set the property then,
    // and Qt keeps it when it writes its own states while mapping.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (isTaskbarCandidate(w)) {
            apply(w, false);
            if (QWindow* window = w->windowHandle())
                window->installEventFilter(this);
        }
    }
    // A window hidden and shown again at once can race the window manager,
    // which clears the state of a withdrawn window: once it is on screen, ask
    // again if the state did not survive.
    if (event->type() == QEvent::Expose && watched->isWindowType()) {
        auto* window = static_cast<QWindow*>(watched);
        if (window->isExposed()) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->windowHandle() == window && isTaskbarCandidate(w)
                    && skipsTaskbar(w) != (m_policy == Policy::accessory)) {
                    apply(w, true);
                    break;
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void X11ActivationPolicy::apply(QWidget* w, bool mapped) const
{
    xcb_connection_t* c = connection();
    if (!c)
        return;
    const auto window = xcb_window_t(w->winId());
    const xcb_atom_t netWmState = XcbConnection::internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t skip = XcbConnection::internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (netWmState == XCB_ATOM_NONE || skip == XCB_ATOM_NONE)
        return;
    const bool wantSkip = m_policy == Policy::accessory;

    if (!mapped) {
        // Unmapped: write the property itself (the window manager reads it on map).
        std::vector<xcb_atom_t> current = states(c, window, netWmState);
        std::erase(current, skip);
        if (wantSkip)
            current.push_back(skip);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netWmState, XCB_ATOM_ATOM, 32,
                            uint32_t(current.size()), current.data());
    } else {
        // Mapped: the window manager owns the property; ask it to change the state.
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = netWmState;
        message.data.data32[0] = wantSkip ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
        message.data.data32[1] = skip;
        message.data.data32[3] = 1; // source: a normal application
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    }
    xcb_flush(c);
}

bool X11ActivationPolicy::skipsTaskbar(QWidget* w)
{
    xcb_connection_t* c = connection();
    if (!c || !w)
        return false;
    const xcb_atom_t skip = XcbConnection::internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    const std::vector<xcb_atom_t> current = states(c, xcb_window_t(w->winId()), XcbConnection::internAtom(c, "_NET_WM_STATE"));
    return std::find(current.begin(), current.end(), skip) != current.end();
}
