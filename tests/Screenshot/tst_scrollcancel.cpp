// The Escape watch of the scroll loop: Escape in another application (through
// the desktop-wide watch) and in our own windows (taken by us) raises the
// flag; other keys do not; end() stops watching and lowers the flag.
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollProgress.h"
#include "fakes/FakeKeyWatch.h"
#include "support/IsolatedEnvironment.h"

#include <QLineEdit>
#include <QSignalSpy>

class TestScrollCancel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        watch = std::make_shared<FakeKeyWatch>();
        cancel = std::make_unique<ScrollCancel>(*watch);
    }

    void escapeElsewhereRaisesTheFlagUntilEnd()
    {
        QVERIFY(!cancel->requested());
        watch->pressEscape(); // not watching yet
        QVERIFY(!cancel->requested());
        cancel->begin();
        QVERIFY(watch->watching());
        watch->pressEscape();
        QVERIFY(cancel->requested());
        cancel->end();
        QVERIFY(!cancel->requested());
        QVERIFY(!watch->watching());
        QCOMPARE(watch->stops, 1);
        // The next run starts lowered.
        cancel->begin();
        QVERIFY(!cancel->requested());
        cancel->end();
    }

    void escapeInOwnWindowIsTakenOtherKeysPass()
    {
        QLineEdit edit;
        edit.show();
        edit.setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        cancel->begin();
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(edit.text(), QStringLiteral("a"));
        QVERIFY(!cancel->requested());

        bool escapeReached = false;
        struct Probe : QObject {
            bool* reached;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::KeyPress)
                    *reached = true;
                return false;
            }
        } probe;
        probe.reached = &escapeReached;
        edit.installEventFilter(&probe);
        QTest::keyClick(&edit, Qt::Key_Escape);
        QVERIFY(cancel->requested());
        QVERIFY(!escapeReached);
        cancel->end();
        QVERIFY(!cancel->requested());
        // After end() Escape reaches the window again.
        QTest::keyClick(&edit, Qt::Key_Escape);
        QVERIFY(escapeReached);
        QVERIFY(!cancel->requested());
    }

    void withoutDesktopWatchOwnWindowsStillWork()
    {
        watch->available = false;
        cancel->begin();
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QTest::keyClick(&edit, Qt::Key_Escape);
        QVERIFY(cancel->requested());
        cancel->end();
    }

    void progressAnnouncesChanges()
    {
        ScrollProgress& p = ScrollProgress::shared();
        QCOMPARE(&p, &ScrollProgress::shared());
        QSignalSpy strips(&p, &ScrollProgress::stripsChanged);
        p.setStrips(3);
        p.setStrips(3);
        p.setHeightPx(2400);
        QCOMPARE(strips.count(), 1);
        QCOMPARE(p.strips(), 3);
        QCOMPARE(p.heightPx(), 2400);
    }

private:
    std::shared_ptr<FakeKeyWatch> watch;
    std::unique_ptr<ScrollCancel> cancel;
};

ZENTU_TEST_MAIN(TestScrollCancel)
#include "tst_scrollcancel.moc"
