// The window picker and its look-ups on fake windows and a fake accessibility
// tree; one view per screen, all in global coordinates.
#include "Screenshot/PickedWindowLookup.h"
#include "Screenshot/WindowPicker.h"
#include "fakes/FakeAccessibilityTree.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowServer.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>

namespace {
constexpr qint32 ownPID = 4242;
const QRectF windowBounds(100, 100, 400, 300);
const PickedWindow window{77, windowBounds, 5, std::nullopt};
} // namespace

class TestWindowPicker : public QObject {
    Q_OBJECT

    FakeWindowServer windows;
    FakeScreenSource screens;
    FakeAccessibilityTree tree;
    std::unique_ptr<PickedWindowLookup> lookup;
    std::unique_ptr<WindowPicker> picker;

    PickerView* view(int i = 0) { return picker->views().value(i).data(); }
    QPoint local(QPointF global, int i) { return (global - view(i)->geometry().topLeft()).toPoint(); }

    // The (fake) pointer and the Qt mouse at a global point on view i.
    enum Act { move, press, release, click };
    void mouse(Act act, QPointF global, Qt::MouseButton button = Qt::LeftButton, int i = 0)
    {
        screens.pointer = global;
        if (act == move)
            QTest::mouseMove(view(i), local(global, i));
        if (act == press || act == click)
            QTest::mousePress(view(i), button, {}, local(global, i));
        if (act == release || act == click)
            QTest::mouseRelease(view(i), button, {}, local(global, i));
    }
    bool open() const { return !picker->views().isEmpty(); }

private Q_SLOTS:
    void init()
    {
        windows.windows = {{5, 77, windowBounds, 0, std::nullopt},
                           {9, ownPID, QRectF(0, 0, 1600, 600), 0, std::nullopt}};
        windows.available = tree.available = true;
        screens.screenList.clear();
        screens.displays.clear();
        screens.addScreen(1, QRectF(0, 0, 800, 600), 1, Qt::gray);
        screens.addScreen(2, QRectF(800, 0, 800, 600), 1, Qt::gray);
        tree.chain.clear();
        lookup = std::make_unique<PickedWindowLookup>(windows, tree, screens, ownPID);
        picker = std::make_unique<WindowPicker>(*lookup, screens, [](const QRect&) { return QImage(); });
    }

    void frontMostWindowOfAnotherProcess()
    {
        windows.windows = {
            {1, 77, QRectF(0, 0, 1920, 30), 2, std::nullopt},              // a panel above others
            {2, ownPID, QRectF(0, 0, 1920, 1080), 0, std::nullopt},        // our own picker
            {3, std::nullopt, QRectF(0, 0, 800, 600), 0, std::nullopt},    // owner unknown
            {4, 100, QRectF(50, 50, 400, 300), std::nullopt, std::nullopt}, // layer unknown
            {5, 200, QRectF(100, 50, 400, 300), 0, std::nullopt},          // front
            {6, 300, QRectF(0, 0, 1000, 800), 0, std::nullopt},            // behind
        };
        QCOMPARE(lookup->windowUnderCursor(QPointF(200, 100)),
                 (PickedWindow{200, QRectF(100, 50, 400, 300), 5, std::nullopt}));
        QCOMPARE(lookup->windowUnderCursor(QPointF(500, 100))->number, 6u); // the right edge is outside
        QVERIFY(!lookup->windowUnderCursor(QPointF(1500, 1000)));
        windows.available = false;
        QVERIFY(!lookup->windowUnderCursor(QPointF(200, 100)));
    }

    void firstScrollableAncestorOfFittingSize()
    {
        // Window 1000 x 800: the limit is 720000.
        const qreal area = 1000 * 800;
        tree.add(QStringLiteral("text"), QRectF(10, 10, 50, 20));
        tree.add(QStringLiteral("AXList"), QRectF(0, 0, 80, 500));  // 80 wide: too narrow
        tree.add(QStringLiteral("filler"), QRectF(0, 0, 300, 300)); // not scrollable
        tree.add(QStringLiteral("filler"), QRectF(0, 40, 900, 800))->vBar = true; // 720000: too large
        tree.add(QStringLiteral("AXScrollArea"), std::nullopt); // no frame
        tree.add(QStringLiteral("filler"), QRectF(5, 60, 899, 800))->hBar = true; // 719200
        tree.add(QStringLiteral("AXWebArea"), QRectF(0, 0, 500, 500));
        QCOMPARE(lookup->scrollAreaUnder(QPointF(30, 20), area, 555), std::optional<QRectF>(QRectF(5, 60, 899, 800)));
        QCOMPARE(tree.lastPID, 555);
        tree.available = false;
        QVERIFY(!lookup->scrollAreaUnder(QPointF(30, 20), area, 555));
    }

    void oneViewPerScreenAndClickPicksTheWindow()
    {
        auto task = picker->pick();
        QCOMPARE(picker->views().size(), 2);
        QCOMPARE(view(1)->geometry(), QRect(800, 0, 800, 600));
        mouse(move, QPointF(150, 150));
        QCOMPARE(view(0)->highlight(), std::optional<QRectF>(windowBounds));
        QVERIFY(!view(0)->highlightIsSection());
        QCOMPARE(view(1)->highlight(), std::optional<QRectF>(windowBounds)); // every view knows it
        mouse(move, QPointF(700, 500)); // nothing there but our own window
        QVERIFY(!view(0)->highlight());
        mouse(click, QPointF(700, 500));
        QVERIFY(open()); // a click beside every window waits for another
        mouse(click, QPointF(150, 150));
        QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(window));
        QVERIFY(!open());
    }

    void scrollableSectionIsOutlinedAndPicked()
    {
        tree.add(QStringLiteral("AXScrollArea"), QRectF(120, 140, 300, 200));
        auto task = picker->pick();
        mouse(move, QPointF(150, 150));
        QCOMPARE(view(0)->highlight(), std::optional<QRectF>(QRectF(120, 140, 300, 200)));
        QVERIFY(view(0)->highlightIsSection());
        mouse(press, QPointF(150, 150));
        mouse(release, QPointF(152, 151));
        PickedWindow expected = window;
        expected.scrollRegion = QRectF(120, 140, 300, 200);
        QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(expected));
    }

    void strayReleaseAndOtherButtonsPickNothing()
    {
        QSignalSpy finished(picker.get(), &WindowPicker::finished);
        auto task = picker->pick();
        // The release of the click that opened the picker.
        mouse(release, QPointF(150, 150));
        mouse(click, QPointF(150, 150), Qt::MiddleButton);
        // A left press released with another button does not count either.
        mouse(press, QPointF(150, 150));
        mouse(release, QPointF(150, 150), Qt::MiddleButton);
        QVERIFY(open());
        // Its left release completes the click.
        mouse(release, QPointF(150, 150));
        QVERIFY(!open());
        QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(window));
        QCOMPARE(finished.size(), 1);
    }

    void backwardsDragOnTheSecondScreenOverNoWindowCancels()
    {
        auto task = picker->pick();
        mouse(press, QPointF(1500, 500), Qt::LeftButton, 1);
        mouse(move, QPointF(1400, 400), Qt::LeftButton, 1);
        QCOMPARE(view(1)->dragRect(), std::optional<QRectF>(QRectF(1400, 400, 100, 100)));
        mouse(release, QPointF(1400, 400), Qt::LeftButton, 1);
        QCOMPARE(awaitTask(std::move(task)), std::nullopt);
    }

    void escapeTwiceEndsOnceAndNoScreenNoPicker()
    {
        QSignalSpy finished(picker.get(), &WindowPicker::finished);
        auto task = picker->pick();
        const QPointer<PickerView> first = view(0);
        QTest::keyClick(first, Qt::Key_Escape);
        QVERIFY(first); // still there until the event loop runs
        QTest::keyClick(first, Qt::Key_Escape);
        QCOMPARE(awaitTask(std::move(task)), std::nullopt);
        QCOMPARE(finished.size(), 1);
        // No screen: no picker.
        screens.screenList.clear();
        QCOMPARE(awaitTask(picker->pick()), std::nullopt);
        QVERIFY(!open());
    }
};

ZENTU_TEST_MAIN(TestWindowPicker)
#include "tst_windowpicker.moc"
