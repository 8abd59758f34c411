#include "Platform/X11/X11GlobalHotkeys.h"

#include "Debug/DebugLog.h"
#include "Platform/CarbonKeyCodes.h"
#include "Platform/X11/XcbConnection.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
// xkb.h names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace {
constexpr uint32_t numLockKeysym = 0xff7f;
}

X11GlobalHotkeys::X11GlobalHotkeys(const QByteArray& display, QObject* parent)
    : QObject(parent)
{
    m_x = std::make_unique<XcbConnection>(display);
    if (!m_x->isValid()) {
        DebugLog::write(QStringLiteral("Hotkey: keine Verbindung zum X-Server"));
        m_x.reset();
        return;
    }
    m_connection = m_x->get();
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem; xcb_screen_next(&it))
        m_roots.push_back(it.data->root);
    m_numLockMask = findNumLockMask();

    // Without this a held combination arrives as a stream of release/press
    // pairs and would start one capture per repeat.
    if (auto useExt = XcbReply<xcb_xkb_use_extension_reply_t>(
            xcb_xkb_use_extension_reply(m_connection, xcb_xkb_use_extension(m_connection, 1, 0), nullptr));
        useExt && useExt->supported) {
        const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        std::free(xcb_xkb_per_client_flags_reply(
            m_connection,
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
    }

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11GlobalHotkeys::readEvents);
}

X11GlobalHotkeys::~X11GlobalHotkeys()
{
    if (!m_connection)
        return;
    for (const Grab& g : m_grabs)
        ungrab(g);
    xcb_flush(m_connection);
    m_x.reset();
}

bool X11GlobalHotkeys::isConnected() const { return m_connection != nullptr; }

void X11GlobalHotkeys::installHandler(Handler handler) { m_handler = std::move(handler); }

uint16_t X11GlobalHotkeys::xModifiers(uint32_t carbon)
{
    uint16_t mask = 0;
    if (carbon & CarbonKeyCodes::commandFlag)
        mask |= XCB_MOD_MASK_4;
    if (carbon & CarbonKeyCodes::shiftFlag)
        mask |= XCB_MOD_MASK_SHIFT;
    if (carbon & CarbonKeyCodes::optionFlag)
        mask |= XCB_MOD_MASK_1;
    if (carbon & CarbonKeyCodes::controlFlag)
        mask |= XCB_MOD_MASK_CONTROL;
    return mask;
}

uint16_t X11GlobalHotkeys::findNumLockMask()
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    auto modMap = XcbReply<xcb_get_modifier_mapping_reply_t>(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    const uint8_t count = setup->max_keycode - setup->min_keycode + 1;
    auto keyMap = XcbReply<xcb_get_keyboard_mapping_reply_t>(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr));
    if (!modMap || !keyMap)
        return XCB_MOD_MASK_2;
    const xcb_keycode_t* modKeys = xcb_get_modifier_mapping_keycodes(modMap.get());
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyMap.get());
    const int perCode = keyMap->keysyms_per_keycode;
    const int perMod = modMap->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod) {
        for (int i = 0; i < perMod; ++i) {
            const xcb_keycode_t code = modKeys[mod * perMod + i];
            if (code < setup->min_keycode || code > setup->max_keycode)
                continue;
            for (int s = 0; s < perCode; ++s)
                if (syms[(code - setup->min_keycode) * perCode + s] == numLockKeysym)
                    return uint16_t(1u << mod);
        }
    }
    return XCB_MOD_MASK_2;
}

std::vector<uint16_t> X11GlobalHotkeys::lockVariants() const
{
    return {0, XCB_MOD_MASK_LOCK, m_numLockMask, uint16_t(XCB_MOD_MASK_LOCK | m_numLockMask)};
}

int X11GlobalHotkeys::registerHotkey(uint32_t id, uint32_t carbonKeyCode, uint32_t carbonModifiers)
{
    if (!m_connection)
        return statusNoConnection;
    const auto keycode = CarbonKeyCodes::toX11Keycode(carbonKeyCode);
    if (!keycode)
        return statusBadValue;
    const Grab grab{id, uint8_t(*keycode), xModifiers(carbonModifiers)};

    std::vector<xcb_void_cookie_t> cookies;
    for (uint32_t root : m_roots)
        for (uint16_t lock : lockVariants())
            cookies.push_back(xcb_grab_key_checked(m_connection, 0, root, grab.modifiers | lock, grab.keycode,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    int status = 0;
    for (const auto& cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            if (status == 0)
                status = error->error_code;
            std::free(error);
        }
    }
    if (status != 0) {
        // Give back the variants that did succeed: a half-grabbed combination
        // would work only with some lock keys on.
        ungrab(grab);
        xcb_flush(m_connection);
    } else {
        m_grabs.push_back(grab);
    }
    // Waiting for the replies may have queued events the notifier will not see.
    scheduleRead();
    return status;
}

void X11GlobalHotkeys::ungrab(const Grab& grab)
{
    for (uint32_t root : m_roots)
        for (uint16_t lock : lockVariants())
            xcb_ungrab_key(m_connection, grab.keycode, root, grab.modifiers | lock);
}

void X11GlobalHotkeys::unregisterHotkey(uint32_t id)
{
    if (!m_connection)
        return;
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        if (it->id == id) {
            ungrab(*it);
            it = m_grabs.erase(it);
        } else {
            ++it;
        }
    }
    xcb_flush(m_connection);
}

void X11GlobalHotkeys::scheduleRead()
{
    QTimer::singleShot(0, this, &X11GlobalHotkeys::readEvents);
}

void X11GlobalHotkeys::readEvents()
{
    if (!m_connection)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        XcbReply<xcb_generic_event_t> owned(event);
        const uint8_t type = event->response_type & ~0x80;
        if (type == XCB_KEY_RELEASE) {
            m_keysDown.remove(reinterpret_cast<xcb_key_release_event_t*>(event)->detail);
            continue;
        }
        if (type != XCB_KEY_PRESS)
            continue;
        const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (m_keysDown.contains(press->detail))
            continue; // auto-repeat of a held combination
        m_keysDown.insert(press->detail);
        const uint16_t relevant = press->state & ~(XCB_MOD_MASK_LOCK | m_numLockMask) & 0xff;
        for (const Grab& g : m_grabs) {
            if (g.keycode == press->detail && g.modifiers == relevant) {
                if (m_handler)
                    m_handler(g.id);
                break;
            }
        }
    }
    if (xcb_connection_has_error(m_connection)) {
        DebugLog::write(QStringLiteral("Hotkey: Verbindung zum X-Server verloren"));
        m_notifier->setEnabled(false);
    }
}
