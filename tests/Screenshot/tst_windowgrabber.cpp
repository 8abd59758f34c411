// The scrolling capture's frame grab on fake backends: the window's own picture
// under our excluded windows, else the display (never under a window while
// ours are on the screen); the crop; failures.
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/WindowGrabber.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowRedirector.h"
#include "fakes/FakeWindowServer.h"
#include "support/IsolatedEnvironment.h"

class TestWindowGrabber : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeWindowServer> windows;
    std::shared_ptr<FakeScreenSource> screens;
    std::shared_ptr<FakeWindowRedirector> redirector;
    std::shared_ptr<GrabExclusions> exclusions;

    QImage grab(const QRectF& region, qreal scale = 1) const
    {
        return WindowGrabber(windows, screens, redirector, exclusions).image(region, scale);
    }

private Q_SLOTS:
    void init()
    {
        windows = std::make_shared<FakeWindowServer>();
        screens = std::make_shared<FakeScreenSource>();
        redirector = std::make_shared<FakeWindowRedirector>();
        exclusions = std::make_shared<GrabExclusions>(redirector);
        windows->windows = {
            {9, 1, QRectF(100, 100, 400, 300), 3, std::nullopt}, // our cover, in front
            {5, 2, QRectF(50, 60, 800, 600), 0, std::nullopt},  // the target
            {6, 3, QRectF(0, 0, 1920, 1080), 0, std::nullopt},  // behind it
        };
        screens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::red);
        screens->addScreen(2, QRectF(1920, 0, 1280, 1024), 1, Qt::green);
    }

    void ownPictureOfTheWindowUnderOurCover()
    {
        // Not excluded, the cover is the window that shows the region; nothing is kept.
        QCOMPARE(grab(QRectF(150, 150, 300, 200)).size(), QSize(300, 200));
        QCOMPARE(windows->requestedSizes.last(), QSize(400, 300));
        QVERIFY(redirector->kept.isEmpty());

        exclusions->add(9);
        const QImage frame = grab(QRectF(150, 150, 300, 200), 2);
        QCOMPARE(frame.size(), QSize(600, 400));
        QCOMPARE(frame.pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(windows->requestedSizes.last(), QSize(1600, 1200));
        QCOMPARE(windows->cursorRequests.last(), false);
        QCOMPARE(redirector->kept, QList<quint32>{5});
        // Our last window gone: nothing needs to stay redirected.
        exclusions->remove(9);
        QVERIFY(redirector->kept.isEmpty());
        QCOMPARE(redirector->releases, 1);
    }

    void displayWhereNoSingleWindowShowsTheRegion()
    {
        // The smallest whole-pixel rectangle: (60.5, 80.4, 99.5, 50.5) -> x 60..160, y 80..131.
        QCOMPARE(grab(QRectF(60.5, 80.4, 99.5, 50.5)).size(), QSize(100, 51));
        const QImage wide = grab(QRectF(650, 500, 300, 100)); // reaches past the target
        QCOMPARE(wide.size(), QSize(300, 100));
        QCOMPARE(wide.pixelColor(0, 0), QColor(Qt::red));
        windows->windows.clear();
        QCOMPARE(grab(QRectF(2000, 100, 100, 50)).pixelColor(0, 0), QColor(Qt::green));
        QCOMPARE(screens->requestedSizes.last(), QSize(1280, 1024));
        QCOMPARE(grab(QRectF(3150, 1000, 80, 40)).size(), QSize(50, 24)); // clipped
    }

    void withOurWindowsOnScreenTheDisplayIsNeverGrabbedUnderAWindow()
    {
        // A region reaching past the target's right edge (at 850), our cover
        // on the screen: the target's own part, nothing beyond, same size.
        exclusions->add(9);
        const QImage wide = grab(QRectF(650, 500, 300, 100), 2);
        QCOMPARE(wide.size(), QSize(600, 200));
        QCOMPARE(wide.pixelColor(399, 100), QColor(Qt::blue));
        QCOMPARE(wide.pixelColor(400, 100).alpha(), 0);
        QCOMPARE(wide.pixelColor(599, 199).alpha(), 0);
        QVERIFY(screens->requestedSizes.isEmpty());
        QCOMPARE(redirector->kept, QList<quint32>{5});
        // Outside every window there is nothing but the display.
        windows->windows.clear();
        QCOMPARE(grab(QRectF(2000, 100, 100, 50)).pixelColor(0, 0), QColor(Qt::green));
    }

    void failuresGiveNothing()
    {
        exclusions->add(9);
        windows->failingWindows = {5};
        QVERIFY(grab(QRectF(150, 150, 300, 200)).isNull());
        windows->available = false;
        QCOMPARE(grab(QRectF(150, 150, 300, 200)).pixelColor(0, 0), QColor(Qt::red));
        screens->failingDisplays = {1};
        QVERIFY(grab(QRectF(150, 150, 300, 200)).isNull());
        screens->contentAvailable = false;
        QVERIFY(grab(QRectF(2000, 100, 100, 50)).isNull());
        screens->contentAvailable = true; // an empty region, or one on no screen
        screens->failingDisplays.clear();
        QVERIFY(grab(QRectF(150, 150, 0, 200)).isNull());
        QVERIFY(grab(QRectF(5000, 5000, 10, 10)).isNull());
    }
};

ZENTU_TEST_MAIN(TestWindowGrabber)
#include "tst_windowgrabber.moc"
