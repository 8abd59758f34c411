// The scrolling capture's frame grab on fake backends: which window's own
// picture is cut, our excluded windows passed over and the target kept
// redirected while they exist, the display as fallback, and the crop
// arithmetic.
#include "Screenshot/WindowShot.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowRedirector.h"
#include "fakes/FakeWindowServer.h"
#include "support/IsolatedEnvironment.h"

class TestWindowShot : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        windows = std::make_shared<FakeWindowServer>();
        screens = std::make_shared<FakeScreenSource>();
        redirector = std::make_shared<FakeWindowRedirector>();
        windows->color = Qt::blue;
        windows->windows = {
            {9, 1, QRectF(100, 100, 400, 300), 3, std::nullopt}, // our cover, in front
            {5, 2, QRectF(50, 60, 800, 600), 0, std::nullopt},  // the target
            {6, 3, QRectF(0, 0, 1920, 1080), 0, std::nullopt},  // behind it
        };
        screens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::red);
        screens->addScreen(2, QRectF(1920, 0, 1280, 1024), 1, Qt::green);
        WindowShot::setBackends(windows, screens, redirector);
    }
    void cleanup()
    {
        for (quint32 id : WindowShot::excludeWindowIDs())
            WindowShot::includeWindow(id);
        WindowShot::setBackends(nullptr, nullptr, nullptr);
    }

    void ownPictureOfTheWindowUnderOurCover()
    {
        WindowShot::excludeWindow(9);
        const QImage frame = WindowShot::image(QRectF(150, 150, 300, 200), 1);
        QCOMPARE(frame.size(), QSize(300, 200));
        QCOMPARE(frame.pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(windows->requestedSizes.last(), QSize(800, 600));
        QCOMPARE(windows->cursorRequests.last(), false);
        QCOMPARE(redirector->kept, QList<quint32>{5});
        // Our last window gone: nothing needs to stay redirected.
        WindowShot::includeWindow(9);
        QVERIFY(redirector->kept.isEmpty());
        QCOMPARE(redirector->releases, 1);
    }

    void withoutOurWindowsNothingIsRedirected()
    {
        // The cover is not excluded here, so it is the window that shows the region.
        windows->windows.removeFirst();
        const QImage frame = WindowShot::image(QRectF(150, 150, 300, 200), 2);
        QCOMPARE(frame.size(), QSize(600, 400));
        QCOMPARE(windows->requestedSizes.last(), QSize(1600, 1200));
        QVERIFY(redirector->kept.isEmpty());
    }

    void cropTakesTheSmallestWholePixelRectangle()
    {
        // Relative to the window at (50, 60): (10.5, 20.4, 99.5, 50.5) -> x 10..110, y 20..71.
        const QImage frame = WindowShot::image(QRectF(60.5, 80.4, 99.5, 50.5), 1);
        QCOMPARE(frame.size(), QSize(100, 51));
        // Reaching past the window: the display under the centre shows it.
        const QImage wide = WindowShot::image(QRectF(650, 500, 300, 100), 1);
        QCOMPARE(wide.size(), QSize(300, 100));
        QCOMPARE(wide.pixelColor(0, 0), QColor(Qt::red));
        // On the second display (no window there), at twice the pixels.
        windows->windows.clear();
        const QImage second = WindowShot::image(QRectF(2000, 100, 100, 50), 1);
        QCOMPARE(second.pixelColor(0, 0), QColor(Qt::green));
        QCOMPARE(second.size(), QSize(100, 50));
        QCOMPARE(screens->requestedSizes.last(), QSize(1280, 1024));
        // Half outside every display: clipped.
        QCOMPARE(WindowShot::image(QRectF(3150, 1000, 80, 40), 1).size(), QSize(50, 24));
    }

    void failuresGiveNothing()
    {
        WindowShot::excludeWindow(9);
        windows->failingWindows = {5};
        QVERIFY(WindowShot::image(QRectF(150, 150, 300, 200), 1).isNull());
        windows->available = false;
        QCOMPARE(WindowShot::image(QRectF(150, 150, 300, 200), 1).pixelColor(0, 0), QColor(Qt::red));
        screens->contentAvailable = false;
        QVERIFY(WindowShot::image(QRectF(150, 150, 300, 200), 1).isNull());
        screens->contentAvailable = true;
        screens->failingDisplays = {1};
        QVERIFY(WindowShot::image(QRectF(150, 150, 300, 200), 1).isNull());
        QVERIFY(WindowShot::image(QRectF(150, 150, 0, 200), 1).isNull());
        QVERIFY(WindowShot::image(QRectF(5000, 5000, 10, 10), 1).isNull());
        WindowShot::setBackends(nullptr, nullptr, nullptr);
        QVERIFY(WindowShot::image(QRectF(150, 150, 300, 200), 1).isNull());
    }

private:
    std::shared_ptr<FakeWindowServer> windows;
    std::shared_ptr<FakeScreenSource> screens;
    std::shared_ptr<FakeWindowRedirector> redirector;
};

ZENTU_TEST_MAIN(TestWindowShot)
#include "tst_windowshot.moc"
