// The capturer's and the window detector's rules on fake screens and windows:
// which screens a freeze holds, the pixel sizes asked for (the display's and
// the window's own, at any scale), cut-outs, which windows the overlay
// offers; and how the server's pixels become points on scaled screens.
#include "Platform/DesktopPixels.h"
#include "Screenshot/ScreenCapturer.h"
#include "Screenshot/WindowDetector.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowServer.h"
#include "support/IsolatedEnvironment.h"

namespace {
// Every pixel tells where it is: red = x, green = y (mod 256).
QImage coordinateImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, 77));
    return image;
}

WindowInfo window(quint32 number, QRectF bounds, std::optional<int> layer = 0, std::optional<double> alpha = {},
                  std::optional<qint32> pid = 100)
{
    return WindowInfo{number, pid, bounds, layer, alpha};
}
} // namespace

class TestScreenCapturer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void freezeKeepsScreenOrderAndSkipsWhatCannotBeGrabbed()
    {
        FakeScreenSource screens;
        FakeWindowServer windows;
        screens.addScreen(1, QRectF(0, 0, 1512, 982), 2.0, Qt::red, /*capturable*/ false);
        screens.addScreen(2, QRectF(1512, 0, 1920, 1080), 1.0, Qt::green);
        screens.addScreen(3, QRectF(3432, 0, 800, 600), 1.0, Qt::blue);
        screens.addScreen(4, QRectF(4232, 0, 800, 600), 2.0, Qt::yellow);
        screens.failingDisplays = {3};
        screens.screenList.append({std::nullopt, QStringLiteral("unlinked"), QRectF(0, 982, 100, 100), 1.0});
        ScreenCapturer capturer(screens, windows);

        const QList<FrozenScreen> frozen = capturer.freezeAllScreens();
        QCOMPARE(frozen.size(), 2);
        QCOMPARE(*frozen[0].screen.displayID, 2u);
        QCOMPARE(frozen[0].cgImage.pixelColor(5, 5), QColor(Qt::green));
        QCOMPARE(*frozen[1].screen.displayID, 4u);
        // A still is in pixels of its screen's scale.
        QCOMPARE(frozen[1].cgImage.size(), QSize(1600, 1200));
        QCOMPARE(frozen[1].scale, 2.0);
        QCOMPARE(screens.contentRequests, 1); // once per freeze, not per screen
        QVERIFY(!screens.cursorRequests.contains(true)); // a still never holds the pointer
        QVERIFY(capturer.captureDisplayImage(ScreenInfo{99, QString(), QRectF(0, 0, 10, 10), 1.0}, false).isNull());

        screens.contentAvailable = false; // no permission
        QVERIFY(capturer.freezeAllScreens().isEmpty());
        QVERIFY(capturer.captureDisplayImage(screens.screenList[1], true).isNull());
    }

    void stillsKeepTheDisplaysOwnPixelsAtEveryScale()
    {
        // 1366 x 768 pixels at 1.25 are 1092.8 x 614.4 points: Qt rounds the
        // screen to whole points, the still keeps the display's pixels.
        FakeScreenSource screens;
        FakeWindowServer windows;
        screens.screenList.append({1, QStringLiteral("laptop"), QRectF(0, 0, 1093, 614), 1.25});
        screens.displays.append({1, QRect(0, 0, 1366, 768)});
        ScreenCapturer capturer(screens, windows);
        QCOMPARE(capturer.freezeAllScreens().value(0).cgImage.size(), QSize(1366, 768));
        QCOMPARE(capturer.captureDisplayImage(screens.screenList.first(), false).size(), QSize(1366, 768));
        QCOMPARE(screens.requestedSizes, (QList<QSize>{QSize(1366, 768), QSize(1366, 768)}));
    }

    void serverPixelsBecomePointsScreenByScreen()
    {
        // Two 1920 x 1080 monitors side by side at scale 2, as Qt lays them
        // out: each keeps its corner, the second starts at point 1920.
        const DesktopPixels layout = DesktopPixels::of({{1, "L", QRectF(0, 0, 960, 540), 2.0},
                                                        {2, "R", QRectF(1920, 0, 960, 540), 2.0}});
        QCOMPARE(layout.toPoints(QRectF(100, 200, 816, 599)), QRectF(50, 100, 408, 299.5));
        QCOMPARE(layout.toPoints(QRectF(2020, 200, 816, 600)), QRectF(1970, 100, 408, 300));
        QCOMPARE(layout.toPixels(QRectF(1970, 100, 408, 300)), QRectF(2020, 200, 816, 600));
        QCOMPARE(layout.toPixels(QPointF(50, 100)), QPointF(100, 200));
        // A place between or beyond the screens belongs to the nearest one;
        // the edge between two to the next.
        QCOMPARE(layout.toPoints(QPointF(1920, 0)), QPointF(1920, 0));
        QCOMPARE(layout.toPoints(QPointF(5000, 100)), QPointF(1920 + 3080 / 2.0, 50));
        QCOMPARE(layout.toPixels(QPointF(1000, 10)), QPointF(2000, 20));
        // A fractional scale, and no screens at all: points are pixels.
        const DesktopPixels laptop = DesktopPixels::of({{1, "eDP", QRectF(0, 0, 1536, 864), 1.25}});
        QCOMPARE(laptop.toPoints(QRectF(0, 0, 816, 600)), QRectF(0, 0, 652.8, 480));
        QCOMPARE(DesktopPixels().toPoints(QPointF(7, 9)), QPointF(7, 9));
    }

    void windowPictureSizesAndFailures()
    {
        FakeScreenSource screens;
        FakeWindowServer windows;
        screens.addScreen(1, QRectF(0, 0, 1000, 800), 2.0, Qt::red);
        screens.addScreen(2, QRectF(1000, 0, 1000, 800), 1.0, Qt::green);
        windows.windows = {window(7, QRectF(100, 100, 640.25, 100)), window(8, QRectF(1200, 10, 300, 200)),
                           window(9, QRectF(5000, 5000, 100, 50))};
        ScreenCapturer capturer(screens, windows);

        // The window's own pixels, never resampled to a size of our reckoning,
        // its corners as it has them.
        windows.pixelsPerPoint = 2.0;
        const QImage picture = capturer.captureWindowImage(7, false);
        QCOMPARE(picture.size(), QSize(1281, 200));
        QCOMPARE(windows.requestedSizes.last(), QSize());
        QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(picture.pixelColor(640, 100), QColor(Qt::blue));
        QCOMPARE(capturer.captureWindowImage(8, true).size(), QSize(600, 400));
        QCOMPARE(windows.cursorRequests.last(), true);

        QVERIFY(capturer.captureWindowImage(77, false).isNull());
        windows.failingWindows = {8};
        QVERIFY(capturer.captureWindowImage(8, false).isNull());
        windows.available = false;
        QVERIFY(capturer.captureWindowImage(7, false).isNull());
    }

    void cropRoundsEachSideAndClips()
    {
        QImage cut;
        {
            const QImage still = coordinateImage(200, 120);
            cut = ScreenCapturer::crop(still, QRectF(10.5, 20.4, 99.5, 50.5));
            QCOMPARE(cut.size(), QSize(100, 51));
            QCOMPARE(cut.pixel(0, 0), qRgb(11, 20, 77));
            const QImage half = ScreenCapturer::crop(still, QRectF(150, -30, 100, 60));
            QCOMPARE(half.size(), QSize(50, 30));
            QCOMPARE(half.pixel(0, 0), qRgb(150, 0, 77));
            // Outside, clipped below one pixel, not a number, too large: nothing.
            for (const QRectF& r : {QRectF(300, 300, 20, 20), QRectF(199.6, 0, 20, 20), QRectF(10, 10, 0.4, 30),
                                    QRectF(qQNaN(), 0, 20, 20), QRectF(0, 0, qInf(), 20), QRectF(-3e9, 0, 6e9, 20)})
                QVERIFY2(ScreenCapturer::crop(still, r).isNull(), qPrintable(QDebug::toString(r)));
        }
        // The cut outlives the still it shared its pixels with.
        QCOMPARE(cut.pixel(99, 50), qRgb(110, 70, 77));
        cut.setPixel(0, 0, qRgb(1, 2, 3));
        QCOMPARE(cut.pixel(0, 0), qRgb(1, 2, 3));
    }

    void detectorKeepsOrdinaryVisibleWindowsInOrder()
    {
        FakeScreenSource screens;
        screens.addScreen(1, QRectF(0, 0, 1512, 982), 2.0, Qt::red);
        FakeWindowServer server;
        server.windows = {
            window(1, QRectF(0, 0, 40, 40)),                        // smallest listed
            window(2, QRectF(0, 0, 39.9, 300)),                     // too narrow
            window(3, QRectF(0, 0, 300, 39.9)),                     // too low
            window(4, QRectF(0, 0, 400, 300), 0, 0.04),             // nearly transparent
            window(5, QRectF(0, 0, 400, 300), 0, 0.05),
            window(6, QRectF(0, 0, 400, 300), 20),                  // dock
            window(7, QRectF(0, 0, 2000, 2000), 1000),              // overlay, whatever its size
            window(8, QRectF(0, 0, 400, 300), std::nullopt),        // no layer known
            window(9, QRectF(0, 0, 400, 300), 0, {}, std::nullopt), // no owner
            window(10, QRectF(100, 50, 400, 300), 0, 1.0, 4711),
        };
        WindowDetector detector(server, screens);
        const QList<DetectedWindow> windows = detector.captureWindows();
        QList<quint32> ids;
        std::ranges::transform(windows, std::back_inserter(ids), &DetectedWindow::windowID);
        QCOMPARE(ids, (QList<quint32>{1, 5, 8, 10}));
        QCOMPARE(windows.last().ownerPID, 4711);
        QCOMPARE(windows.last().boundsCG, QRectF(100, 50, 400, 300));
        server.available = false;
        QVERIFY(detector.captureWindows().isEmpty());
    }
};

ZENTU_TEST_MAIN(TestScreenCapturer)
#include "tst_ScreenCapturer.moc"
