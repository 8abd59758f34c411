// Which window-server entries become detected windows, in which order, and
// the conversion into bottom-left coordinates.
#include "Screenshot/WindowDetector.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowServer.h"
#include "support/IsolatedEnvironment.h"

namespace {
WindowInfo entry(quint32 number, QRectF bounds, std::optional<int> layer = 0, std::optional<double> alpha = {},
                 std::optional<qint32> pid = 100)
{
    WindowInfo w;
    w.number = number;
    w.ownerPID = pid;
    w.bounds = bounds;
    w.layer = layer;
    w.alpha = alpha;
    return w;
}
} // namespace

class TestWindowDetector : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filtersKeepOrdinaryVisibleWindowsInOrder()
    {
        FakeScreenSource screens;
        screens.addScreen(1, QRectF(0, 0, 1512, 982), 2.0, Qt::red);
        FakeWindowServer server;
        server.windows = {
            entry(1, QRectF(0, 0, 40, 40)),                      // smallest listed
            entry(2, QRectF(0, 0, 39.9, 300)),                   // too narrow
            entry(3, QRectF(0, 0, 300, 39.9)),                   // too low
            entry(4, QRectF(0, 0, 400, 300), 0, 0.04),           // nearly transparent
            entry(5, QRectF(0, 0, 400, 300), 0, 0.05),
            entry(6, QRectF(0, 0, 400, 300), 20),                // dock
            entry(7, QRectF(0, 0, 2000, 2000), 1000),            // overlay, whatever its size
            entry(8, QRectF(0, 0, 400, 300), std::nullopt),      // no layer known
            entry(9, QRectF(0, 0, 400, 300), 0, {}, std::nullopt), // no owner
            entry(10, QRectF(100, 50, 400, 300), 0, 1.0, 4711),
        };
        WindowDetector detector(server, screens);
        const QList<DetectedWindow> windows = detector.captureWindows();
        QList<quint32> ids;
        for (const DetectedWindow& w : windows)
            ids.append(w.windowID);
        QCOMPARE(ids, (QList<quint32>{1, 5, 8, 10}));
        const DetectedWindow& last = windows.last();
        QCOMPARE(last.ownerPID, 4711);
        QCOMPARE(last.boundsCG, QRectF(100, 50, 400, 300));
        QCOMPARE(last.frameNS, QRectF(100, 632, 400, 300));
    }

    void noWindowListMeansNoWindows()
    {
        FakeScreenSource screens;
        FakeWindowServer server;
        server.windows = {entry(1, QRectF(0, 0, 400, 300))};
        server.available = false;
        QVERIFY(WindowDetector(server, screens).captureWindows().isEmpty());
    }

    void conversionUsesThePrimaryScreenHeight()
    {
        FakeScreenSource screens;
        FakeWindowServer server;
        WindowDetector detector(server, screens);
        QCOMPARE(detector.cgRectToNSRect(QRectF(100, 50, 400, 300)), QRectF(100, -350, 400, 300)); // no screen
        screens.addScreen(1, QRectF(0, 0, 1512, 982), 2.0, Qt::red);
        screens.addScreen(2, QRectF(1512, -200, 1920, 1200), 1.0, Qt::red);
        QCOMPARE(detector.cgRectToNSRect(QRectF(100, 50, 400, 300)), QRectF(100, 632, 400, 300));
    }
};

ZENTU_TEST_MAIN(TestWindowDetector)
#include "tst_WindowDetector.moc"
