// The selection overlay's rules as pure functions. The examples are given for
// a 1512 x 982 point screen at scale 2 in bottom-left coordinates elsewhere;
// here they are written top-left (y' = 982 - y).
#include "Screenshot/OverlayGeometry.h"
#include "support/IsolatedEnvironment.h"

namespace {
DetectedWindow window(quint32 id, QRectF bounds) { return DetectedWindow{id, 100, bounds, QRectF()}; }

OverlayGeometry screen(QList<DetectedWindow> windows = {})
{
    const QRectF frame(0, 0, 1512, 982);
    return OverlayGeometry(frame.size(), 2.0, OverlayGeometry::localWindows(windows, frame));
}
using Choice = OverlayGeometry::Choice;
}

class TestOverlayGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dragSelectsAreaInStillPixels()
    {
        const Choice c = screen().dragSelection(QPointF(100, 82), QPointF(400, 282));
        QCOMPARE(c, (Choice{QRectF(200, 164, 600, 400), CaptureKind::area, std::nullopt}));
        // Either direction, and cut to the screen.
        QCOMPARE(screen().dragSelection(QPointF(400, 282), QPointF(100, 82)).pixelRect, QRectF(200, 164, 600, 400));
        QCOMPARE(screen().dragSelection(QPointF(1400, 500), QPointF(1600, 600)).pixelRect,
                 QRectF(2800, 1000, 224, 200));
        // Fractions are kept.
        QCOMPARE(screen().dragSelection(QPointF(10.25, 10), QPointF(110.5, 60.25)).pixelRect,
                 QRectF(20.5, 20, 200.5, 100.5));
    }

    void nearlyWholeScreenSnaps()
    {
        const Choice whole{QRectF(0, 0, 3024, 1964), CaptureKind::fullScreen, std::nullopt};
        // Every edge within m = max(982 x 0.02, 8) = 19.64.
        QCOMPARE(screen().dragSelection(QPointF(5, 977), QPointF(1508, 4)), whole);
        QVERIFY(screen().shouldSnapToFullScreen(QRectF(19.64, 19.64, 1512 - 2 * 19.64, 982 - 2 * 19.64)));
        QVERIFY(!screen().shouldSnapToFullScreen(QRectF(19.7, 0, 1400, 982)));
        // Both sides at least 97 % (1466.64 x 952.54), wherever it lies.
        QCOMPARE(screen().dragSelection(QPointF(21, 11), QPointF(1491, 971)), whole);
        QCOMPARE(screen().dragSelection(QPointF(40, 20), QPointF(1510, 980)), whole);
        // 1470 x 950 from (21, 16): left gap 21 > 19.64 and height below 97 %.
        const Choice c = screen().dragSelection(QPointF(21, 16), QPointF(1491, 966));
        QCOMPARE(c.kind, CaptureKind::area);
        QCOMPARE(c.pixelRect, QRectF(42, 32, 2940, 1900));
    }

    void smallDragIsAClickAtItsEnd()
    {
        const OverlayGeometry g = screen({window(7, QRectF(300, 300, 200, 200))});
        // 100 points sideways, 3 down: a click where it ended.
        QCOMPARE(g.dragSelection(QPointF(250, 350), QPointF(350, 353)),
                 (Choice{QRectF(600, 600, 400, 400), CaptureKind::window, 7u}));
        QCOMPARE(g.dragSelection(QPointF(600, 350), QPointF(700, 353)).kind, CaptureKind::fullScreen);
        // A press that travels 5 points is no drag; 6 is.
        QVERIFY(!OverlayGeometry::travelledFarEnough(QPointF(10, 10), QPointF(15, 15)));
        QVERIFY(OverlayGeometry::travelledFarEnough(QPointF(10, 10), QPointF(10, 4)));
        // A drag that leaves the screen is cut first: under 6 points left is a click.
        QCOMPARE(g.dragSelection(QPointF(1508, 100), QPointF(1600, 300)).kind, CaptureKind::fullScreen);
    }

    void clickPicksFrontWindowWholeFrame()
    {
        const OverlayGeometry g = screen({window(1, QRectF(100, 100, 300, 200)), window(2, QRectF(50, 50, 400, 400)),
                                          window(3, QRectF(1400, 900, 300, 200))});
        QCOMPARE(g.click(QPointF(150, 150)).windowID, 1u);
        QCOMPARE(g.click(QPointF(60, 60)).windowID, 2u);
        // Reaching past the screen's edge: the whole frame, partly outside the still.
        QCOMPARE(g.click(QPointF(1450, 950)), (Choice{QRectF(2800, 1800, 600, 400), CaptureKind::window, 3u}));
        // The right and bottom edges are outside a window.
        QCOMPARE(g.click(QPointF(400, 150)).windowID, 2u);
        QCOMPARE(g.click(QPointF(450, 150)).kind, CaptureKind::fullScreen);
        QCOMPARE(g.click(QPointF(1000, 10)), (Choice{QRectF(0, 0, 3024, 1964), CaptureKind::fullScreen, std::nullopt}));
    }

    void windowsAreSeenFromTheirScreen()
    {
        // A second screen right of the first: windows move into its coordinates;
        // ones that do not touch it are left out.
        const QList<OverlayGeometry::LocalWindow> local = OverlayGeometry::localWindows(
            {window(1, QRectF(1600, 100, 200, 200)), window(2, QRectF(100, 100, 200, 200)),
             window(3, QRectF(1400, 0, 200, 100))},
            QRectF(1512, 0, 1920, 1080));
        QCOMPARE(local.size(), 2);
        QCOMPARE(local[0].frameLocal, QRectF(88, 100, 200, 200));
        QCOMPARE(local[1].frameLocal, QRectF(-112, 0, 200, 100));
    }

    void highlightFollowsDragOrHoveredWindow()
    {
        const OverlayGeometry g = screen({window(1, QRectF(-50, 100, 300, 200))});
        QCOMPARE(g.highlightRect(QPointF(10, 10), QPointF(20, 13), true, std::nullopt), QRectF(10, 10, 10, 3));
        QCOMPARE(g.highlightRect(QPointF(1, 1), QPointF(1511, 981), true, std::nullopt), QRectF(0, 0, 1512, 982));
        QCOMPARE(g.highlightRect(std::nullopt, std::nullopt, false, g.windowAt(QPointF(10, 150))),
                 QRectF(0, 100, 250, 200));
        QCOMPARE(g.highlightRect(std::nullopt, std::nullopt, false, std::nullopt), std::nullopt);
    }

    void loupeSourceSquare()
    {
        const QSize still(3024, 1964);
        QCOMPARE(OverlayGeometry::loupeSourceOrigin(QPointF(0, 0), 2, still), QPoint(0, 0));
        QCOMPARE(OverlayGeometry::loupeSourceOrigin(QPointF(100, 50), 2, still), QPoint(191, 91)); // 190.5 -> 191
        QCOMPARE(OverlayGeometry::loupeSourceOrigin(QPointF(1511.9, 981.9), 2, still), QPoint(3005, 1945));
        // A still under 19 pixels starts at 0.
        QCOMPARE(OverlayGeometry::loupeSourceOrigin(QPointF(10, 5), 1, QSize(12, 8)), QPoint(0, 0));
        // The pointer's pixel lands on the loupe's centre.
        const OverlayGeometry g = screen();
        const QPointF pointer(100.25, 50.75);
        const QPoint origin = OverlayGeometry::loupeSourceOrigin(pointer, 2, still);
        const QRectF drawn = g.loupeImageRect(pointer, origin);
        QCOMPARE(drawn.size(), QSizeF(152, 152));
        const QPointF atPointer = drawn.topLeft() + (QPointF(pointer.x() * 2, pointer.y() * 2) - QPointF(origin)) * 8;
        QCOMPARE(atPointer, g.loupeRect(pointer).center());
    }

    void colourUnderThePointer()
    {
        QImage still(4, 3, QImage::Format_RGB32);
        still.fill(Qt::black);
        still.setPixel(3, 2, qRgb(0x0a, 0xbc, 0xff));
        const auto c = OverlayGeometry::pixelColor(still, 3, 2);
        QVERIFY(c);
        QCOMPARE(c->second, QStringLiteral("#0ABCFF"));
        QCOMPARE(c->first.rgb(), qRgb(0x0a, 0xbc, 0xff));
        QVERIFY(!OverlayGeometry::pixelColor(still, 4, 0));
        QVERIFY(!OverlayGeometry::pixelColor(still, 0, -1));
        QVERIFY(!OverlayGeometry::pixelColor(still, 0, 3));
    }
};

ZENTU_TEST_MAIN(TestOverlayGeometry)
#include "tst_OverlayGeometry.moc"
