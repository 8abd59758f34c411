// The toast on a real X server: where it appears, that it never takes the
// focus and that clicks at its place reach the window underneath.
#include "App/ToastPresenter.h"
#include "support/IsolatedEnvironment.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

class ClickCounter : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

// A real click through the X server (XTest), each request confirmed.
void click(QPoint p)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto send = [c](uint8_t type, uint8_t detail, xcb_window_t window, QPoint at) {
        std::free(xcb_request_check(c, xcb_test_fake_input_checked(c, type, detail, XCB_CURRENT_TIME, window,
                                                                    int16_t(at.x()), int16_t(at.y()), 0)));
    };
    send(XCB_MOTION_NOTIFY, 0, root, p);
    send(XCB_BUTTON_PRESS, 1, XCB_NONE, {});
    send(XCB_BUTTON_RELEASE, 1, XCB_NONE, {});
    xcb_disconnect(c);
}

} // namespace

class TestToastX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toastSitsAboveTheBottomAndLetsClicksThrough()
    {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect available = screen->availableGeometry();

        ClickCounter below;
        below.setWindowTitle(QStringLiteral("darunter"));
        below.setGeometry(available.adjusted(50, 50, -50, -20));
        below.show();
        QVERIFY(QTest::qWaitForWindowExposed(&below));
        below.activateWindow();
        QTRY_VERIFY(below.isActiveWindow());

        QCursor::setPos(available.center());
        ToastPresenter toast;
        toast.show(QStringLiteral("Screenshot aufgenommen"));
        QWidget* panel = toast.panel();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        const QRect frame = panel->geometry();
        QCOMPARE(frame.bottom() + 1, available.bottom() + 1 - ToastPresenter::bottomOffset);
        QVERIFY(std::abs(frame.center().x() - available.center().x()) <= 1);
        // It did not take the focus.
        QVERIFY(below.isActiveWindow());

        click(QPoint(frame.center().x(), frame.top() - 40)); // beside the toast
        QTRY_COMPARE(below.presses, 1);
        click(frame.center());
        QTRY_COMPARE(below.presses, 2);
        QVERIFY(toast.panel()); // still shown: the click went through it
    }
};

ZENTU_TEST_MAIN(TestToastX11)
#include "tst_toast_x11.moc"
