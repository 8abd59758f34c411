// The picker's look-ups on a fake window list and accessibility tree: which
// window is under a point, which scrollable element is chosen, and the
// accessibility chain log line.
#include "support/DebugLogMessages.h"
#include "Screenshot/PickedWindowLookup.h"
#include "fakes/FakeAccessibilityTree.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowServer.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>

namespace {
constexpr qint32 ownPID = 4242;

QString lastLogLine()
{
    const QStringList lines = debugLogMessages();
    return lines.isEmpty() ? QString() : lines.last();
}
} // namespace

class TestPickedWindowLookup : public QObject {
    Q_OBJECT
    FakeWindowServer windows;
    FakeScreenSource screens;
private Q_SLOTS:
    void frontMostWindowOfAnotherProcess()
    {
        FakeWindowServer windows;
        windows.windows = {
            {1, 77, QRectF(0, 0, 1920, 30), 2, std::nullopt},          // a panel above others
            {2, ownPID, QRectF(0, 0, 1920, 1080), 0, std::nullopt},    // our own picker
            {3, std::nullopt, QRectF(0, 0, 800, 600), 0, std::nullopt}, // owner unknown
            {4, 100, QRectF(50, 50, 400, 300), std::nullopt, std::nullopt}, // layer unknown
            {5, 200, QRectF(100, 50, 400, 300), 0, std::nullopt},      // front
            {6, 300, QRectF(0, 0, 1000, 800), 0, std::nullopt},        // behind
        };
        FakeScreenSource screens;
        screens.pointer = QPointF(12, 34);
        FakeAccessibilityTree tree;
        PickedWindowLookup lookup(windows, tree, screens, ownPID);

        QCOMPARE(lookup.windowUnderCursor(QPointF(200, 100)),
                 (PickedWindow{200, QRectF(100, 50, 400, 300), 5, std::nullopt}));
        // Right and bottom edges belong to the window behind.
        QCOMPARE(lookup.windowUnderCursor(QPointF(500, 100))->number, 6u);
        QCOMPARE(lookup.windowUnderCursor(QPointF(499.5, 349.5))->number, 5u);
        QCOMPARE(lookup.windowUnderCursor(QPointF(200, 350))->number, 6u);
        QVERIFY(!lookup.windowUnderCursor(QPointF(1500, 1000)));
        windows.available = false;
        QVERIFY(!lookup.windowUnderCursor(QPointF(200, 100)));
        QCOMPARE(lookup.cursorTopLeft(), QPointF(12, 34));
    }

    void firstScrollableAncestorOfFittingSize()
    {
        FakeAccessibilityTree tree;
        PickedWindowLookup lookup(windows, tree, screens, ownPID);
        // Window 1000 x 800: limit 720000.
        const qreal area = 1000 * 800;
        tree.add(QStringLiteral("text"), QRectF(10, 10, 50, 20));
        tree.add(QStringLiteral("AXList"), QRectF(0, 0, 80, 500));     // 80 wide: too narrow
        tree.add(QStringLiteral("filler"), QRectF(0, 0, 300, 300));    // not scrollable
        auto bar = tree.add(QStringLiteral("filler"), QRectF(0, 40, 900, 800)); // 720000: too large
        bar->vBar = true;
        tree.add(QStringLiteral("AXScrollArea"), std::nullopt);        // no frame
        auto fit = tree.add(QStringLiteral("filler"), QRectF(5, 60, 899, 800)); // 719200
        fit->hBar = true;
        tree.add(QStringLiteral("AXWebArea"), QRectF(0, 0, 500, 500));
        QCOMPARE(lookup.scrollAreaUnder(QPointF(30, 20), area, 555), std::optional<QRectF>(QRectF(5, 60, 899, 800)));
        QCOMPARE(tree.lastPID, 555);
        QCOMPARE(tree.lastPoint, QPointF(30, 20));

        tree.available = false;
        QVERIFY(!lookup.scrollAreaUnder(QPointF(30, 20), area, 555));
    }

    void atMostFiftyElementsAreVisited()
    {
        for (int depth : {49, 50}) {
            FakeAccessibilityTree tree;
            PickedWindowLookup lookup(windows, tree, screens, ownPID);
            for (int i = 0; i < depth; ++i)
                tree.add(QStringLiteral("filler"), QRectF(0, 0, 200, 200));
            tree.add(QStringLiteral("AXScrollArea"), QRectF(0, 0, 200, 200));
            // The scroll area is element depth + 1: the 50th is still seen.
            QCOMPARE(lookup.scrollAreaUnder(QPointF(1, 1), 1e6, 1).has_value(), depth == 49);
        }
    }

    void chainLogLine()
    {
        FakeAccessibilityTree tree;
        PickedWindowLookup lookup(windows, tree, screens, ownPID);
        tree.available = false;
        lookup.logAXChain(QPointF(10.9, 20.2), 9);
        QCOMPARE(lastLogLine(), QStringLiteral("SCROLL AXChain: keine Bedienungshilfen"));
        tree.available = true;
        lookup.logAXChain(QPointF(10.9, 20.2), 9);
        QCOMPARE(lastLogLine(), QStringLiteral("SCROLL AXChain: kein Element bei 10,20"));

        tree.add(QString(), std::nullopt);
        auto area = tree.add(QStringLiteral("AXScrollArea"), QRectF(0, 0, 640.7, 480.2));
        area->vBar = true;
        area->hBar = true;
        area->subroleName = QStringLiteral("AXSub");
        tree.add(QStringLiteral("frame"), QRectF(0, 0, 800, 600));
        lookup.logAXChain(QPointF(10.9, 20.2), 9);
        QCOMPARE(lastLogLine(), QStringLiteral("SCROLL AXChain @10,20 pid 9: ?/- 0x0 \u2192 AXScrollArea/AXSub 640x480 vBar hBar "
                                               "\u2192 frame/- 800x600"));
    }
};

ZENTU_TEST_MAIN(TestPickedWindowLookup)
#include "tst_pickedwindowlookup.moc"
