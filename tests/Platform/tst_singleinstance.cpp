// One instance per session: the first claims, a later one hands over.
#include "Platform/Qt/LocalSocketSingleInstance.h"
#include "support/IsolatedEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSecondStartHandsOverToTheFirst()
    {
        QTemporaryDir dir;
        LocalSocketSingleInstance first(dir.path());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        QVERIFY(first.claim());
        QVERIFY(first.claim()); // claiming again changes nothing

        LocalSocketSingleInstance second(dir.path());
        QVERIFY(!second.claim());
        QVERIFY(activations.count() == 1 || activations.wait(3000));
        QCOMPARE(activations.count(), 1);

        LocalSocketSingleInstance third(dir.path());
        QVERIFY(!third.claim());
        QVERIFY(activations.count() == 2 || activations.wait(3000));

        // A program that cannot start, and one that ends without claiming
        // (given up when it ends, not after the whole timeout): the session stays.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!first.handOverTo(dir.path() + QStringLiteral("/fehlt"), 60000));
        QVERIFY(!first.handOverTo(QStringLiteral("/bin/true"), 60000));
        QVERIFY(clock.elapsed() < 30000);
        LocalSocketSingleInstance later(dir.path());
        QVERIFY(!later.claim());
        QVERIFY(activations.count() == 3 || activations.wait(3000));
    }

    void anInstanceThatEndedLeavesTheSessionFree()
    {
        QTemporaryDir dir;
        {
            LocalSocketSingleInstance first(dir.path());
            QVERIFY(first.claim());
        }
        // A socket file left behind by a crashed instance does not block either.
        QFile leftover(dir.path() + QStringLiteral("/com.quorel.zentu.socket"));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        LocalSocketSingleInstance next(dir.path());
        QVERIFY(next.claim());
        LocalSocketSingleInstance later(dir.path());
        QSignalSpy activations(&next, &SingleInstance::activationRequested);
        QVERIFY(!later.claim());
        QVERIFY(activations.count() == 1 || activations.wait(3000));
    }
};

ZENTU_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
