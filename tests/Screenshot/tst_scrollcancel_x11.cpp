// On a real X server: Escape typed (through XTest) into a window of another
// client that has the focus raises the scroll loop's cancel flag, and that
// client still receives the key; other keys leave the flag down.
#include "Platform/X11/XInputKeyWatch.h"
#include "Screenshot/ScrollCancel.h"
#include "support/IsolatedEnvironment.h"
#include "support/X11Probe.h"

#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// A plain X client of its own, standing in for another application.
struct OtherClient {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_window_t window = 0;
    xcb_window_t root = 0;

    OtherClient()
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        root = screen->root;
        window = xcb_generate_id(c);
        const quint32 values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_EXPOSURE};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, 100, 100, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                          values);
        xcb_map_window(c, window);
        xcb_flush(c);
    }
    ~OtherClient() { xcb_disconnect(c); }

    bool focus()
    {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        xcb_flush(c);
        auto* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        const bool ok = reply && reply->focus == window;
        free(reply);
        return ok;
    }
    // Key presses this client has received so far, per keycode.
    int keyPressesReceived(quint8 keycode)
    {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7f) == XCB_KEY_PRESS)
                ++received[reinterpret_cast<xcb_key_press_event_t*>(e)->detail];
            free(e);
        }
        return received[keycode];
    }
    int received[256] = {};
};

constexpr quint8 escapeKeycode = 9;
constexpr quint8 letterAKeycode = 38;

} // namespace

class TestScrollCancelX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void escapeInAnotherApplication()
    {
        XInputKeyWatch keys;
        ScrollCancel cancel(keys);
        OtherClient other;
        QVERIFY(QTest::qWaitFor([&] { return other.focus(); }, 5000));
        cancel.begin();

        X11Probe().key(letterAKeycode);
        QTRY_COMPARE_WITH_TIMEOUT(other.keyPressesReceived(letterAKeycode), 1, 15000);
        QCoreApplication::processEvents();
        QVERIFY(!cancel.requested());

        X11Probe().key(escapeKeycode);
        QTRY_VERIFY_WITH_TIMEOUT(cancel.requested(), 15000);
        // The other application still got its Escape.
        QTRY_COMPARE_WITH_TIMEOUT(other.keyPressesReceived(escapeKeycode), 1, 15000);

        cancel.end();
        QVERIFY(!cancel.requested());
        X11Probe().key(escapeKeycode);
        QTRY_COMPARE_WITH_TIMEOUT(other.keyPressesReceived(escapeKeycode), 2, 15000);
        QCoreApplication::processEvents();
        QVERIFY(!cancel.requested());
    }
};

ZENTU_TEST_MAIN(TestScrollCancelX11)
#include "tst_scrollcancel_x11.moc"
