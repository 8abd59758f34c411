// The keyboard and the global hotkeys against a real X server: the layout's
// ISO key is told, XTest key presses reach the action, with and without
// NumLock and CapsLock, once however long they are held, and a combination
// already grabbed by another client is reported.
#include "support/DebugLogMessages.h"
#include "Hotkeys/HotkeyManager.h"
#include "Platform/X11/X11GlobalHotkeys.h"
#include "Platform/X11/XkbKeyboardInfo.h"
#include "Storage/SettingsManager.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/ScreenDriver.h"
#include "support/IsolatedEnvironment.h"

#include <QProcess>
#include <xcb/xcb.h>

namespace {

struct Rig {
    FakeUserDefaults defaults;
    FakeLoginItemService login;
    FakeKeyboardInfo keyboard;
    SettingsManager settings{defaults, login, keyboard};
    X11GlobalHotkeys backend;
    HotkeyManager manager{backend, keyboard};
    QList<HotkeyAction> actions;
    Rig()
    {
        manager.onAction = [this](HotkeyAction a) { actions << a; };
    }
};
}

class TestHotkeysX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "us"}) == 0);
    }

    void isoDetection()
    {
        XkbKeyboardInfo info;
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "de"}) == 0);
        QVERIFY(info.isISO());
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "us"}) == 0);
        QVERIFY(!info.isISO());
    }

    void superShift6StartsTheFullScreenCapture()
    {
        Rig rig;
        QVERIFY(rig.backend.isConnected());
        rig.manager.registerAll(rig.settings);
        QCOMPARE(rig.manager.refs().size(), size_t(8));

        QVERIFY(pressHotkey("15"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.actions.size(), 1, 15000);
        QCOMPARE(rig.actions[0], HotkeyAction::captureFullScreen);
        QVERIFY(debugLogText().contains(QStringLiteral("Hotkey-Event empfangen id=6 -> captureFullScreen")));

        // The same combination with NumLock and CapsLock on.
        QVERIFY(xdotool({"key", "Num_Lock"}));
        QVERIFY(pressHotkey("15"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.actions.size(), 2, 15000);
        QVERIFY(xdotool({"key", "Caps_Lock"}));
        QVERIFY(pressHotkey("16"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.actions.size(), 3, 15000);
        QCOMPARE(rig.actions[2], HotkeyAction::captureWindow);
        QVERIFY(xdotool({"key", "Num_Lock", "key", "Caps_Lock"}));

        // After unregistering, the key is free again and nothing arrives.
        rig.manager.unregisterAll();
        QVERIFY(pressHotkey("15"));
        QTest::qWait(300);
        QCOMPARE(rig.actions.size(), 3);
    }

    void aComboHeldByAnotherClientIsReported()
    {
        xcb_connection_t* other = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(other));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
        // Super+Shift+7, plain state only: the whole registration must fail.
        auto cookie = xcb_grab_key_checked(other, 1, root, XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT, 16,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        QVERIFY(!xcb_request_check(other, cookie));

        Rig rig;
        rig.manager.registerAll(rig.settings);
        QVERIFY(debugLogText().contains(QStringLiteral("Hotkey FEHLER action=captureWindow keyCode=26 mods=768 status=10")));
        QCOMPARE(rig.manager.refs().size(), size_t(7));

        // The other actions still work; the refused one gave back its partial grabs.
        QVERIFY(pressHotkey("15"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.actions.size(), 1, 15000);
        QVERIFY(xdotool({"key", "Num_Lock"}));
        QVERIFY(pressHotkey("16"));
        QTest::qWait(300);
        QCOMPARE(rig.actions.size(), 1);
        QVERIFY(xdotool({"key", "Num_Lock"}));

        xcb_disconnect(other);
        rig.manager.registerAll(rig.settings);
        QCOMPARE(rig.manager.refs().size(), size_t(8));
        QVERIFY(pressHotkey("16"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.actions.size(), 2, 15000);
        QCOMPARE(rig.actions[1], HotkeyAction::captureWindow);
    }

    void heldComboFiresOnce()
    {
        Rig rig;
        rig.manager.registerAll(rig.settings);
        QVERIFY(xdotool({"keydown", "Super_L", "keydown", "Shift_L", "keydown", "15"}));
        QTest::qWait(900); // longer than the server's auto-repeat delay
        QVERIFY(xdotool({"keyup", "15", "keyup", "Shift_L", "keyup", "Super_L"}));
        QTRY_COMPARE_WITH_TIMEOUT(rig.actions.size(), 1, 15000);
        QTest::qWait(200);
        QCOMPARE(rig.actions.size(), 1);
    }
};

ZENTU_TEST_MAIN(TestHotkeysX11)
#include "tst_hotkeys_x11.moc"
