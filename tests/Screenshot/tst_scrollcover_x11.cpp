// On a real X server without a compositing manager: the scroll cover and the
// progress panel lie over a window of another process, yet the frame grabs of
// that window show the window and not them; clicks and wheel turns on the
// cover reach the window underneath.
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowShot.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/X11Probe.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// How many pixels (every third) of a grab of `region` differ from the pattern
// of the helper window at `bounds`.
int mismatches(const QImage& grab, const QRectF& region, const QRectF& bounds, int seed)
{
    if (grab.size() != region.size().toSize())
        return -1;
    int wrong = 0;
    for (int y = 0; y < grab.height(); y += 3)
        for (int x = 0; x < grab.width(); x += 3) {
            const int wx = int(region.x() - bounds.x()) + x;
            const int wy = int(region.y() - bounds.y()) + y;
            if ((grab.pixel(x, y) & 0xffffff) != (HelperWindow::pattern(wx, wy, seed) & 0xffffff))
                ++wrong;
        }
    return wrong;
}

class Target final : public QWidget {
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
private Q_SLOTS:
    void initTestCase()
    {
        windows = std::make_shared<X11WindowServer>();
        screens = std::make_shared<X11ScreenSource>();
        WindowShot::setBackends(windows, screens, std::make_shared<X11WindowRedirector>());
        auto compositing = std::make_shared<X11CompositingInfo>();
        QVERIFY(!compositing->isCompositing()); // the point of this test
        ScrollCoverOverlay::shared().setCompositingInfo(compositing);
        ScrollProgressHUD::shared().setCompositingInfo(compositing);
    }

    void coverAndPanelStayOutOfTheGrabs()
    {
        HelperWindow helper(QRect(600, 20, 700, 520), 7);
        QVERIFY(helper.id);
        QRectF bounds;
        QVERIFY(QTest::qWaitFor([&] {
            const auto list = windows->windowList();
            for (const WindowInfo& w : list.value_or(QList<WindowInfo>()))
                if (w.number == helper.id)
                    bounds = w.bounds;
            return !bounds.isEmpty();
        }, 10000));
        const QRectF region = bounds.adjusted(50, 180, -50, -40);
        auto patternMismatches = [&](const QImage& grab, const QRectF& r) {
            return mismatches(grab, r, bounds, helper.seed);
        };
        QCOMPARE(patternMismatches(WindowShot::image(region, 1), region), 0);

        ScrollCoverOverlay::shared().show(region);
        ScrollProgressHUD::shared().show();
        const QRectF panel = ScrollProgressHUD::shared().panel()->geometry();
        QVERIFY(bounds.contains(panel));
        // Both are really on the screen: a plain grab of the display shows them.
        auto displayGrab = [&](const QRectF& r) {
            const ShareableDisplays content = screens->shareableDisplays();
            const QImage whole = screens->captureDisplay(content.displays.first(), QSize(), false);
            return whole.copy(r.toRect());
        };
        QTRY_VERIFY_WITH_TIMEOUT(patternMismatches(displayGrab(region), region) > 100, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(patternMismatches(displayGrab(panel), panel) > 100, 10000);

        // The frame grabs do not: once the window has repainted what the
        // cover hid, its own picture is whole.
        QTRY_COMPARE_WITH_TIMEOUT(patternMismatches(WindowShot::image(region, 1), region), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(patternMismatches(WindowShot::image(panel, 1), panel), 0, 10000);

        ScrollProgressHUD::shared().hide();
        ScrollCoverOverlay::shared().hide();
        QVERIFY(WindowShot::excludeWindowIDs().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(patternMismatches(displayGrab(region), region), 0, 10000);
    }

    void clicksAndWheelGoThroughTheCover()
    {
        Target target;
        target.setWindowFlags(Qt::FramelessWindowHint);
        target.setGeometry(100, 600, 300, 200);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        const QRect global(target.mapToGlobal(QPoint(0, 0)), target.size());
        ScrollCoverOverlay::shared().show(QRectF(global.adjusted(20, 20, -20, -20)));
        QTRY_VERIFY_WITH_TIMEOUT(ScrollCoverOverlay::shared().window()->isVisible(), 15000);
        QVERIFY(QTest::qWaitForWindowExposed(ScrollCoverOverlay::shared().window()));

        X11Probe pointer;
        pointer.click(global.center(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(target.presses, 1, 15000);
        pointer.click(global.center(), 5);
        QTRY_VERIFY_WITH_TIMEOUT(target.wheels >= 1, 15000);
        ScrollCoverOverlay::shared().hide();
    }

private:
    std::shared_ptr<X11WindowServer> windows;
    std::shared_ptr<X11ScreenSource> screens;
};

ZENTU_TEST_MAIN(TestScrollCoverX11)
#include "tst_scrollcover_x11.moc"
