#include "Platform/X11/XInputKeyWatch.h"

#include "Platform/X11/XcbConnection.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace {
constexpr quint32 keysymEscape = 0xff1b;
} // namespace

XInputKeyWatch::XInputKeyWatch() = default;

XInputKeyWatch::~XInputKeyWatch()
{
    stop();
}

bool XInputKeyWatch::start(std::function<void()> onEscape)
{
    stop();
    m_onEscape = std::move(onEscape);
    auto x = std::make_unique<XcbConnection>();
    if (!x->isValid())
        return false;
    xcb_connection_t* c = x->get();
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_input_id);
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        ext && ext->present ? xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr)
                            : nullptr);
    if (!version || version->major_version < 2)
        return false;
    m_opcode = ext->major_opcode;

    // Every keycode that carries Escape in the current keyboard map.
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    XcbReply<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr));
    m_escapeKeycodes.clear();
    if (mapping) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int per = mapping->keysyms_per_keycode;
        for (int k = 0; k < count; ++k)
            for (int i = 0; i < per; ++i)
                if (syms[k * per + i] == keysymEscape)
                    m_escapeKeycodes.insert(quint32(first + k));
    }
    if (m_escapeKeycodes.isEmpty())
        m_escapeKeycodes.insert(9); // evdev Escape

    struct {
        xcb_input_event_mask_t head;
        quint32 mask;
    } selection {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS};
    xcb_generic_error_t* error
        = xcb_request_check(c, xcb_input_xi_select_events_checked(c, x->root(), 1, &selection.head));
    if (error) {
        free(error);
        return false;
    }
    m_x = std::move(x);
    m_connection = c;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &XInputKeyWatch::readEvents);
    return true;
}

void XInputKeyWatch::stop()
{
    delete m_notifier;
    m_notifier = nullptr;
    m_x.reset();
    m_connection = nullptr;
    m_onEscape = nullptr;
}

void XInputKeyWatch::readEvents()
{
    bool escape = false;
    while (m_connection) {
        xcb_generic_event_t* event = xcb_poll_for_event(m_connection);
        if (!event)
            break;
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC) {
            const auto* raw = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event);
            if (raw->extension == m_opcode && raw->event_type == XCB_INPUT_RAW_KEY_PRESS
                && m_escapeKeycodes.contains(raw->detail))
                escape = true;
        }
        free(event);
    }
    if (m_connection && xcb_connection_has_error(m_connection)) {
        // The display went away: nothing more can be watched.
        delete m_notifier;
        m_notifier = nullptr;
    }
    if (escape && m_onEscape)
        m_onEscape();
}
