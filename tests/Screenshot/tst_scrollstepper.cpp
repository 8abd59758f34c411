// How far the scrolling capture's steps go on a fake window (the first wheel
// step, steps sized from the measured click, measurements that say nothing,
// smaller steps after a failed seam), and that nothing passes a closed guard,
// not even the rest of a step under way.
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollGuard.h"
#include "Screenshot/ScrollStepper.h"
#include "Screenshot/WindowGrabber.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeScrollWorld.h"
#include "support/AwaitTask.h"

#include <QTest>

class TestScrollStepper : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeScrollWorld> world;
    std::shared_ptr<FakeScreenSource> screens;
    std::optional<WindowGrabber> grabber;
    std::shared_ptr<const int> owner;
    std::optional<ScrollGuard> guard;
    std::function<void()> onSleep;
    bool keyAllowed = true;

    // A window of `height` rows over a long page; the pointer parked over it.
    std::unique_ptr<ScrollStepper> stepper(int height, ScrollStepper::Mode mode)
    {
        world = std::make_shared<FakeScrollWorld>(300, height, 40000);
        world->activate(FakeScrollWorld::window);
        world->scrollTo(10000);
        screens = std::make_shared<FakeScreenSource>();
        screens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::gray);
        grabber.emplace(world, screens, nullptr, std::make_shared<GrabExclusions>(nullptr));
        owner = std::make_shared<const int>(0);
        guard.emplace(*world, *grabber, owner);
        auto sleep = [this](int) -> QCoro::Task<void> {
            if (onSleep)
                onSleep();
            co_return;
        };
        return std::make_unique<ScrollStepper>(*guard, sleep, [this] { return keyAllowed; }, world->bounds.center(),
                                               height, mode);
    }

    // Rows the view moved down in one forward step.
    int forward(ScrollStepper& s)
    {
        const int before = world->offset;
        awaitTask(s.forward());
        return world->offset - before;
    }

private Q_SLOTS:
    void firstWheelStepStaysWithinAThirdOfTheViewWhateverAClickDoes_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("pixelsPerClick");
        QTest::newRow("tall view, large clicks") << 900 << 150;
        QTest::newRow("tall view, small clicks") << 900 << 40;
        QTest::newRow("short view") << 200 << 150; // still one click: something must move
    }
    void firstWheelStepStaysWithinAThirdOfTheViewWhateverAClickDoes()
    {
        QFETCH(int, height);
        QFETCH(int, pixelsPerClick);
        auto s = stepper(height, ScrollStepper::Mode::wheel);
        world->wheelPixels = pixelsPerClick;
        const int moved = forward(*s);
        QVERIFY(moved > 0);
        if (height >= 3 * ScrollStepper::generousClickPixels)
            QVERIFY2(moved <= height / 3, qPrintable(QString::number(moved)));
        QCOMPARE(s->expected(), 0); // nothing measured yet
        QVERIFY(!s->expectedTrusted());
    }

    void measuredStepsKeepAFifthOfTheBandInCommon_data()
    {
        QTest::addColumn<int>("pixelsPerClick");
        for (int px : {53, 60, 96, 120, 150})
            QTest::addRow("%d px a click", px) << px;
    }
    void measuredStepsKeepAFifthOfTheBandInCommon()
    {
        QFETCH(int, pixelsPerClick);
        const int band = 800;
        auto s = stepper(band, ScrollStepper::Mode::wheel);
        world->wheelPixels = pixelsPerClick;
        s->learn(forward(*s), band);
        for (int i = 0; i < 3; ++i) {
            const int moved = forward(*s);
            QCOMPARE(s->expected(), moved); // what it predicts is what the view did
            const int common = band - moved;
            // Enough rows to confirm the seam, and not a click more than needed.
            QVERIFY2(common >= ScrollStepper::overlapWanted(band), qPrintable(QString::number(common)));
            QVERIFY2(common < ScrollStepper::overlapWanted(band) + pixelsPerClick, qPrintable(QString::number(common)));
            s->learn(moved, band);
        }
        QVERIFY(s->expectedTrusted());
    }

    void shiftsThatSayNothingAboutAClickAreNotLearned()
    {
        auto s = stepper(800, ScrollStepper::Mode::wheel);
        world->wheelPixels = 100;
        s->learn(forward(*s), 800);
        const int clicks = s->clicks();
        // A view caught still gliding moved less; one that also caught the
        // rest of an earlier step, more than twice as far: both ignored.
        s->learn(clicks * 100 / 3, 800);
        s->learn(clicks * 100 * 3, 800);
        QCOMPARE(s->pixelsPerClick(), 100.0);
        QCOMPARE(s->clicks(), clicks);
        QCOMPARE(forward(*s), clicks * 100);
        // A longer click, measured properly, is taken: smaller steps follow.
        s->learn(clicks * 150, 800);
        QCOMPARE(s->pixelsPerClick(), 150.0);
        QVERIFY(s->clicks() < clicks);
    }

    void aClickThatMovedLaterCountsWithTheStepItMovedIn()
    {
        // The first click seemed to move nothing (its movement came with
        // the second): two clicks' worth is not one click's.
        auto s = stepper(800, ScrollStepper::Mode::wheel);
        QCOMPARE(s->clicks(), 1);
        s->learn(228, 800, 2);
        QCOMPARE(s->pixelsPerClick(), 114.0);
    }

    void failedSeamsGiveSmallerStepsNeverAgainTheOneThatWentTooFar()
    {
        auto s = stepper(800, ScrollStepper::Mode::wheel);
        world->wheelPixels = 40;
        s->learn(forward(*s), 800);
        const int large = s->clicks();
        QVERIFY(large >= 4);
        QVERIFY(s->shrink());
        QCOMPARE(forward(*s), large / 2 * 40);
        s->keepBelow(large);
        // However well later steps go, no step is that large again.
        for (int i = 0; i < 3; ++i) {
            s->learn(forward(*s), 800);
            QVERIFY(s->clicks() < large);
        }
        while (s->shrink()) { }
        QCOMPARE(s->clicks(), 1);
        QCOMPARE(forward(*s), 40);
        // Keys cannot be made smaller.
        s->useKeys();
        QVERIFY(!s->shrink());
    }

    void closedGuardStopsAStepUnderWayAndEverythingAfter()
    {
        auto s = stepper(900, ScrollStepper::Mode::wheel);
        world->wheelPixels = 10;
        s->learn(forward(*s), 900);
        QVERIFY(s->clicks() > 10);
        world->events.clear();
        // The capture goes away during the third pause of a step.
        onSleep = [this] {
            if (world->events.size() == 3)
                owner.reset();
        };
        QVERIFY(!awaitTask(s->forward()));
        QCOMPARE(world->events.size(), 3);
        QVERIFY(!awaitTask(s->back()));
        QVERIFY(!awaitTask(s->towardsTop()));
        awaitTask([&s]() -> QCoro::Task<bool> {
            co_await s->wheelBack(5);
            co_return true;
        }());
        s->useKeys();
        QVERIFY(!awaitTask(s->forward()));
        QCOMPARE(world->events.size(), 3);
        // Nor is a grab or the pointer, through any copy.
        ScrollGuard copy = *guard;
        const int grabs = world->grabs;
        QVERIFY(awaitTask(copy.grab(world->bounds, 1)).isNull());
        QCOMPARE(world->grabs, grabs);
        QVERIFY(!copy.hidePointer());
        QVERIFY(!world->pointerHidden);
    }
};

QTEST_MAIN(TestScrollStepper)
#include "tst_scrollstepper.moc"
