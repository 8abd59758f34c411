// The Escape watch of the scroll loop: Escape in another application (through
// the desktop-wide watch) and in our own windows (taken by us, also without
// the desktop-wide watch) raises the flag; other keys do not; end() stops
// watching and lowers the flag, and the next run starts lowered.
#include "Screenshot/ScrollCancel.h"
#include "fakes/FakeKeyWatch.h"
#include "support/IsolatedEnvironment.h"

#include <QLineEdit>

class TestScrollCancel : public QObject {
    Q_OBJECT

    FakeKeyWatch watch;

private Q_SLOTS:
    void escapeElsewhereRaisesTheFlagUntilEnd()
    {
        ScrollCancel cancel(watch);
        watch.pressEscape(); // not watching yet
        QVERIFY(!cancel.requested());
        cancel.begin();
        watch.pressEscape();
        QVERIFY(cancel.requested());
        cancel.end();
        QVERIFY(!cancel.requested());
        QVERIFY(!watch.watching());
        QCOMPARE(watch.stops, 1);
        cancel.begin();
        QVERIFY(!cancel.requested());
    }

    void escapeInOwnWindowIsTakenOtherKeysPass()
    {
        watch.available = false;
        ScrollCancel cancel(watch);
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        cancel.begin();
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(edit.text(), QStringLiteral("a"));
        QVERIFY(!cancel.requested());

        struct Probe : QObject {
            int presses = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                presses += e->type() == QEvent::KeyPress;
                return false;
            }
        } probe;
        edit.installEventFilter(&probe);
        QTest::keyClick(&edit, Qt::Key_Escape);
        QVERIFY(cancel.requested());
        QCOMPARE(probe.presses, 0);
        cancel.end();
        // After end() Escape reaches the window again.
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(probe.presses, 1);
        QVERIFY(!cancel.requested());
    }
};

ZENTU_TEST_MAIN(TestScrollCancel)
#include "tst_scrollcancel.moc"
