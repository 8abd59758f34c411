// The window picker's rules on fake windows: hover outlines the window or its
// scrollable section, a click picks, a drag above 20 x 20 picks a section, a
// stray release or another button picks nothing, Escape and a right click
// cancel once; one view per screen, all in global coordinates.
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

    // Moves the (fake) pointer and the Qt mouse to a global point on view i.
    void moveTo(QPointF global, int i = 0)
    {
        screens.pointer = global;
        QTest::mouseMove(view(i), (global - view(i)->geometry().topLeft()).toPoint());
    }
    void press(QPointF global, Qt::MouseButton button = Qt::LeftButton, int i = 0)
    {
        screens.pointer = global;
        QTest::mousePress(view(i), button, {}, (global - view(i)->geometry().topLeft()).toPoint());
    }
    void release(QPointF global, Qt::MouseButton button = Qt::LeftButton, int i = 0)
    {
        screens.pointer = global;
        QTest::mouseRelease(view(i), button, {}, (global - view(i)->geometry().topLeft()).toPoint());
    }
    bool open() const { return !picker->views().isEmpty(); }

private Q_SLOTS:
    void init()
    {
        windows.windows = {{5, 77, windowBounds, 0, std::nullopt},
                           {9, ownPID, QRectF(0, 0, 1600, 600), 0, std::nullopt}};
        screens.screenList.clear();
        screens.displays.clear();
        screens.addScreen(1, QRectF(0, 0, 800, 600), 1, Qt::gray);
        screens.addScreen(2, QRectF(800, 0, 800, 600), 1, Qt::gray);
        tree.chain.clear();
        tree.available = true;
        lookup = std::make_unique<PickedWindowLookup>(windows, tree, screens, ownPID);
        picker = std::make_unique<WindowPicker>(*lookup, screens);
        picker->setBackdropSource([](const QRect&) { return QImage(); });
    }

    void oneViewPerScreenAndClickPicksTheWindow()
    {
        auto task = picker->pick();
        QCOMPARE(picker->views().size(), 2);
        QCOMPARE(view(0)->geometry(), QRect(0, 0, 800, 600));
        QCOMPARE(view(1)->geometry(), QRect(800, 0, 800, 600));
        moveTo(QPointF(150, 150));
        QCOMPARE(view(0)->highlight(), std::optional<QRectF>(windowBounds));
        QVERIFY(!view(0)->highlightIsSection());
        QCOMPARE(view(1)->highlight(), std::optional<QRectF>(windowBounds)); // every view knows it
        moveTo(QPointF(700, 500)); // nothing there but our own window
        QVERIFY(!view(0)->highlight());
        press(QPointF(150, 150));
        release(QPointF(150, 150));
        QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(window));
        QVERIFY(!open());
    }

    void scrollableSectionIsOutlinedAndPicked()
    {
        tree.add(QStringLiteral("AXScrollArea"), QRectF(120, 140, 300, 200));
        auto task = picker->pick();
        moveTo(QPointF(150, 150));
        QCOMPARE(view(0)->highlight(), std::optional<QRectF>(QRectF(120, 140, 300, 200)));
        QVERIFY(view(0)->highlightIsSection());
        press(QPointF(150, 150));
        release(QPointF(152, 151));
        PickedWindow expected = window;
        expected.scrollRegion = QRectF(120, 140, 300, 200);
        QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(expected));
    }

    void strayReleaseAndOtherButtonsPickNothing()
    {
        QSignalSpy finished(picker.get(), &WindowPicker::finished);
        auto task = picker->pick();
        // The release of the click that opened the picker.
        release(QPointF(150, 150));
        QVERIFY(open());
        press(QPointF(150, 150), Qt::MiddleButton);
        release(QPointF(150, 150), Qt::MiddleButton);
        QVERIFY(open());
        // A left press released with another button does not count either.
        press(QPointF(150, 150));
        release(QPointF(150, 150), Qt::MiddleButton);
        QVERIFY(open());
        // Its left release completes the click.
        release(QPointF(150, 150));
        QVERIFY(!open());
        QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(window));
        QCOMPARE(finished.size(), 1);
    }

    void clickBesideEveryWindowWaitsThenRightClickCancels()
    {
        auto task = picker->pick();
        press(QPointF(700, 500));
        release(QPointF(700, 500));
        QVERIFY(open());
        press(QPointF(700, 500), Qt::RightButton);
        QCOMPARE(awaitTask(std::move(task)), std::nullopt);
    }

    void dragsAboveTwentyPointsPickSections()
    {
        {
            auto task = picker->pick();
            press(QPointF(110, 110));
            moveTo(QPointF(131, 131));
            QCOMPARE(view(0)->dragRect(), std::optional<QRectF>(QRectF(110, 110, 21, 21)));
            QVERIFY(!view(0)->highlight());
            release(QPointF(131, 131));
            PickedWindow expected = window;
            expected.scrollRegion = QRectF(110, 110, 21, 21);
            QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(expected));
        }
        {
            // 20 x 300 counts as a click: the window under the pointer.
            auto task = picker->pick();
            press(QPointF(120, 110));
            moveTo(QPointF(140, 410));
            screens.pointer = QPointF(140, 120);
            QTest::mouseRelease(view(0), Qt::LeftButton, {}, QPoint(140, 410));
            QCOMPARE(awaitTask(std::move(task)), std::optional<PickedWindow>(window));
        }
        {
            // Backwards drag on the second screen, centre over no window: cancelled.
            auto task = picker->pick();
            press(QPointF(1500, 500), Qt::LeftButton, 1);
            QTest::mouseMove(view(1), QPoint(600, 400));
            QCOMPARE(view(1)->dragRect(), std::optional<QRectF>(QRectF(1400, 400, 100, 100)));
            QTest::mouseRelease(view(1), Qt::LeftButton, {}, QPoint(600, 400));
            QCOMPARE(awaitTask(std::move(task)), std::nullopt);
        }
    }

    void escapeTwiceEndsOnce()
    {
        QSignalSpy finished(picker.get(), &WindowPicker::finished);
        auto task = picker->pick();
        const QPointer<PickerView> first = view(0);
        QTest::keyClick(first, Qt::Key_Escape);
        QVERIFY(first); // still there until the event loop runs
        QTest::keyClick(first, Qt::Key_Escape);
        QCOMPARE(awaitTask(std::move(task)), std::nullopt);
        QCOMPARE(finished.size(), 1);
    }

    void noScreenNoPicker()
    {
        screens.screenList.clear();
        QCOMPARE(awaitTask(picker->pick()), std::nullopt);
        QVERIFY(!open());
    }
};

ZENTU_TEST_MAIN(TestWindowPicker)
#include "tst_windowpicker.moc"
