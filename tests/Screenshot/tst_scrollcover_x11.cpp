// On a real X server without a compositing manager, with the scrolling
// capture assembled as the program does it: the scroll cover and the progress
// panel lie over a window of another process, yet the frame grabs of that
// window show the window and not them; clicks and wheel turns on the cover
// reach the window underneath.
#include "Platform/X11/X11CompositingInfo.h"
#include "Screenshot/WindowGrabber.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollEngineRig.h"
#include "support/XTestMouse.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace {

class InputTarget final : public QWidget {
public:
    int presses = 0;
    int wheels = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void wheelEvent(QWheelEvent*) override { ++wheels; }
};

} // namespace

class TestScrollCoverX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!X11CompositingInfo().isCompositing()); // the point of this test
        rig = std::make_unique<ScrollEngineRig>();
    }

    void coverAndPanelStayOutOfTheGrabs()
    {
        HelperWindow helper(QRect(600, 20, 700, 520), 7);
        QVERIFY(helper.id);
        QRectF bounds;
        QVERIFY(QTest::qWaitFor([&] {
            for (const WindowInfo& w : rig->windows().windowList().value_or(QList<WindowInfo>()))
                if (w.number == helper.id)
                    bounds = w.bounds;
            return !bounds.isEmpty();
        }, 10000));
        // How many pixels (every third) of a picture of r differ from the helper's pattern.
        auto mismatches = [&](const QImage& grab, const QRectF& r) {
            if (grab.size() != r.size().toSize())
                return -1;
            int wrong = 0;
            const int dx = int(r.x() - bounds.x());
            const int dy = int(r.y() - bounds.y());
            for (int y = 0; y < grab.height(); y += 3)
                for (int x = 0; x < grab.width(); x += 3)
                    wrong += (grab.pixel(x, y) & 0xffffff) != (HelperWindow::pattern(dx + x, dy + y, helper.seed) & 0xffffff);
            return wrong;
        };
        auto displayGrab = [&](const QRectF& r) {
            const ShareableDisplays content = rig->screens().shareableDisplays();
            return rig->screens().captureDisplay(content.displays.first(), QSize(), false).copy(r.toRect());
        };
        const WindowGrabber& grabber = rig->engine().grabber();
        const QRectF region = bounds.adjusted(50, 180, -50, -40);
        QCOMPARE(mismatches(grabber.image(region, 1), region), 0);

        rig->engine().cover().show(region);
        rig->engine().panel().show();
        const QRectF panel = rig->engine().panel().panel()->geometry();
        QVERIFY(bounds.contains(panel));
        // Both are really on the screen: a plain grab of the display shows them.
        QTRY_VERIFY_WITH_TIMEOUT(mismatches(displayGrab(region), region) > 100, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(mismatches(displayGrab(panel), panel) > 100, 10000);
        // The frame grabs do not: once the window has repainted what the
        // cover hid, its own picture is whole.
        QTRY_COMPARE_WITH_TIMEOUT(mismatches(grabber.image(region, 1), region), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(mismatches(grabber.image(panel, 1), panel), 0, 10000);

        rig->engine().panel().hide();
        rig->engine().cover().hide();
        QTRY_COMPARE_WITH_TIMEOUT(mismatches(displayGrab(region), region), 0, 10000);
    }

    void clicksAndWheelGoThroughTheCover()
    {
        InputTarget target;
        target.setWindowFlags(Qt::FramelessWindowHint);
        target.setGeometry(100, 600, 300, 200);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        const QRect global(target.mapToGlobal(QPoint(0, 0)), target.size());
        ScrollCoverOverlay& cover = rig->engine().cover();
        cover.show(QRectF(global.adjusted(20, 20, -20, -20)));
        QTRY_VERIFY_WITH_TIMEOUT(cover.window()->isVisible(), 15000);
        QVERIFY(QTest::qWaitForWindowExposed(cover.window()));

        XTestMouse mouse;
        mouse.click(global.center(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(target.presses, 1, 15000);
        mouse.click(global.center(), 5);
        QTRY_VERIFY_WITH_TIMEOUT(target.wheels >= 1, 15000);
        cover.hide();
    }
};

ZENTU_TEST_MAIN(TestScrollCoverX11)
#include "tst_scrollcover_x11.moc"
