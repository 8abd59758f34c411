// The keyboard facts the hotkeys rely on, read from a real X server.
#include "Models/HotkeyCombo.h"
#include "Platform/X11/XkbKeyboardInfo.h"
#include "support/IsolatedEnvironment.h"

#include <QKeyEvent>
#include <QProcess>
#include <QWidget>

namespace {
bool setxkbmap(const QStringList& args)
{
    return QProcess::execute("setxkbmap", args) == 0;
}

class KeyRecorder : public QWidget {
public:
    std::optional<HotkeyCombo> combo;
    bool pressed = false;
protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Shift || e->key() == Qt::Key_Meta || e->key() == Qt::Key_Super_L)
            return;
        combo = HotkeyCombo::from(*e);
        pressed = true;
    }
};

bool xdotool(const QStringList& args)
{
    return QProcess::execute("xdotool", args) == 0;
}
}

class TestKeyboardX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void isoDetection()
    {
        XkbKeyboardInfo info;
        QVERIFY(setxkbmap({"-model", "pc105", "-layout", "de"}));
        QVERIFY(info.isISO());
        QVERIFY(setxkbmap({"-model", "pc105", "-layout", "us"}));
        QVERIFY(!info.isISO());
    }

    void realKeyPressBecomesCombo()
    {
        QVERIFY(setxkbmap({"-model", "pc105", "-layout", "us"}));
        KeyRecorder w;
        w.resize(200, 100);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // Physical key "4" (X keycode 13) with Super+Shift, sent through XTest.
        QVERIFY(xdotool({"keydown", "Super_L", "keydown", "Shift_L", "keydown", "13", "keyup", "13",
                         "keyup", "Shift_L", "keyup", "Super_L"}));
        QTRY_VERIFY_WITH_TIMEOUT(w.pressed, 15000);
        QVERIFY(w.combo);
        QCOMPARE(w.combo->keyCode, 21u);
    }
};

ZENTU_TEST_MAIN(TestKeyboardX11)
#include "tst_keyboard_x11.moc"
