// When a view counts as come to rest, on scripted frames and a clock that
// moves only as the test says: at the first agreeing grab, twice in a row once
// seen moving, after the moment granted to an application that has not
// reacted, at the time limit counted on the clock (slow grabs included), never
// on failed grabs, and at once when the guard closes; a few labels gliding
// over a plain page are not learned as changing by themselves.
#include "Screenshot/FrameSettler.h"
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/WindowGrabber.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeScrollWorld.h"
#include "support/AwaitTask.h"

#include <QPainter>
#include <QTest>

class TestFrameSettler : public QObject {
    Q_OBJECT

    const QImage content = FakeScrollWorld::makeContent(240, 4000);
    QImage page = content;
    FakeClock clock;
    std::shared_ptr<FakeScrollWorld> world = std::make_shared<FakeScrollWorld>(10, 10, 10);
    WindowGrabber grabber{world, std::make_shared<FakeScreenSource>(), nullptr,
                          std::make_shared<GrabExclusions>(nullptr)};
    std::shared_ptr<const int> owner;
    // What each grab shows: the view's offset in the page, -1 a failed grab.
    QList<int> script;
    int grabs = 0;
    int grabMs = 0; // how long a grab takes
    int closeAt = -1; // the capture goes away during this grab

    QImage view(int offset) const { return page.copy(0, offset, 240, 300); }

    FrameSettler settler()
    {
        owner = std::make_shared<const int>(0);
        grabs = 0;
        auto grab = [this]() -> QCoro::Task<FrameRows> {
            clock.advance(grabMs);
            if (grabs == closeAt)
                owner.reset();
            const int offset = script.value(grabs, script.isEmpty() ? 0 : script.last());
            ++grabs;
            co_return FrameRows(offset < 0 ? QImage() : view(offset));
        };
        auto sleep = [this](int ms) -> QCoro::Task<void> {
            clock.advance(ms);
            co_return;
        };
        FrameSettler s(grab, sleep, clock, ScrollGuard(*world, grabber, owner));
        s.setExpectedSize(QSize(240, 300));
        return s;
    }

    // The settled view's offset, -1 for none.
    int settle(FrameSettler& s, int before = -2, int reactMs = FrameSettler::reactMs)
    {
        const FrameRows result = awaitTask(s.settle(before < 0 ? FrameRows() : FrameRows(view(before)), reactMs,
                                                    FrameSettler::maximumMs));
        if (result.isNull())
            return -1;
        for (int offset : script)
            if (offset >= 0 && result.image() == view(offset))
                return offset;
        return -3;
    }

private Q_SLOTS:
    void init()
    {
        page = content;
        clock.now = 0;
        grabMs = 0;
        closeAt = -1;
    }

    void stillViewIsTakenAtTheFirstAgreement()
    {
        script = {500};
        FrameSettler s = settler();
        QCOMPARE(settle(s), 500);
        QCOMPARE(grabs, 2);
        QCOMPARE(clock.now, qint64(FrameSettler::intervalMs));
    }

    void viewSeenMovingMustAgreeTwiceInARow()
    {
        // It glides, stands still for one grab on its way (a busy machine),
        // glides on and stops.
        script = {0, 60, 60, 120, 180, 180, 180};
        FrameSettler s = settler();
        QCOMPARE(settle(s), 180);
        QCOMPARE(grabs, 7);
    }

    void viewNotReactedYetGetsItsMomentThenIsTakenAsItIs()
    {
        // The application takes 200 ms to react to the input.
        script = {0, 0, 0, 0, 0, 0, 300};
        FrameSettler s = settler();
        QCOMPARE(settle(s, 0), 300);
        // It never reacts: the old view, once the moment has passed.
        script = {0};
        FrameSettler t = settler();
        const qint64 start = clock.now;
        QCOMPARE(settle(t, 0), 0);
        QVERIFY(clock.now - start >= FrameSettler::reactMs);
        QVERIFY(clock.now - start < FrameSettler::reactMs + 2 * FrameSettler::intervalMs);
    }

    void restlessViewEndsAtTheTimeLimitCountedOnTheClock_data()
    {
        QTest::addColumn<int>("grabMs");
        QTest::newRow("quick grabs") << 0;
        QTest::newRow("slow grabs (a loaded machine)") << 400;
    }
    void restlessViewEndsAtTheTimeLimitCountedOnTheClock()
    {
        QFETCH(int, grabMs);
        this->grabMs = grabMs;
        script.clear();
        for (int i = 0; i < 200; ++i)
            script.append(i * 7);
        FrameSettler s = settler();
        const int last = settle(s);
        // The newest frame, after no more than the limit and one step.
        QCOMPARE(last, (grabs - 1) * 7);
        QVERIFY(clock.now >= FrameSettler::maximumMs);
        QVERIFY(clock.now <= FrameSettler::maximumMs + FrameSettler::intervalMs + 2 * grabMs);
    }

    void failedGrabsAreNeverAgreement()
    {
        // A failure between two equal views is no rest.
        script = {-1, 100, -1, 100, 100};
        FrameSettler s = settler();
        QCOMPARE(settle(s), 100);
        QCOMPARE(grabs, 5);
        // None succeeds: nothing, after the limit.
        script = {-1};
        FrameSettler t = settler();
        QCOMPARE(settle(t), -1);
        QVERIFY(clock.now >= FrameSettler::maximumMs);
    }

    void smallChangeOfAStillViewIsLearnedOnceSeen()
    {
        // A dot that blinks more seldom than the settling looks changed once
        // between two frames of a view that stood still: left out from then
        // on. A picture that loaded, or a view that moved, is content.
        FrameSettler s = settler();
        auto with = [&](QRect r) {
            QImage f = view(0);
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    f.setPixel(x, y, qRgb(230, 30, 30));
            return FrameRows(f);
        };
        const FrameRows plain(view(0));
        s.learnInPlace(plain, FrameRows(view(30)));
        s.learnInPlace(plain, with(QRect(20, 100, 150, 120)));
        QVERIFY(s.volatileCells().isEmpty());
        s.learnInPlace(plain, with(QRect(150, 40, 12, 12)));
        QVERIFY(s.volatileCells().contains(45, 150 / FrameRows::cellWidth));
        QVERIFY(!s.volatileCells().contains(150, 2));
        QVERIFY(FrameMatcher::sameContent(plain, with(QRect(150, 40, 12, 12)), s.ignore()));
    }

    void fewLabelsGlidingOverAPlainPageAreContent()
    {
        // A smooth scroll over a plain page changes only its few labels, a
        // little at each grab: content moving, nothing that changes by
        // itself.
        page = QImage(240, 4000, QImage::Format_RGB32);
        page.fill(qRgb(34, 34, 34));
        QPainter p(&page);
        for (int y = 150; y < 4000; y += 400)
            p.fillRect(30, y, 40, 10, qRgb(200, 60, 60));
        p.end();
        script = {0, 6, 12, 18, 24, 30, 30, 30};
        FrameSettler s = settler();
        QCOMPARE(settle(s), 30);
        QVERIFY(s.volatileCells().isEmpty());
    }

    void guardClosingWhileItWaitsEndsTheWaitAtOnce()
    {
        script.clear();
        for (int i = 0; i < 200; ++i)
            script.append(i * 7);
        closeAt = 3;
        FrameSettler s = settler();
        QCOMPARE(settle(s), -1);
        QCOMPARE(grabs, 4);
        QCOMPARE(clock.now, qint64(3 * FrameSettler::intervalMs));
    }
};

QTEST_MAIN(TestFrameSettler)
#include "tst_framesettler.moc"
