// The update check against servers that answer too slowly or too much, over
// loopback: a body dripping one byte a second and a head arriving as slowly
// both end at the one deadline with the failure alert, also when the user
// asks again meanwhile; 3 GB bodies with and without a declared length,
// chunked, and a head without end are refused at their caps while the
// process holds little more than the cap; a redirect is followed as soon as
// its head arrives (its own 3 GB body unread), and only to http(s); answers
// framed in every way HTTP/1.1 allows are read whole.
#include "Platform/Qt/NetworkUpdateFeed.h"
#include "Updates/AppcastUpdater.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeWorkspace.h"
#include "support/DebugLogMessages.h"
#include "support/FeedServer.h"
#include "support/IsolatedEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>

Q_DECLARE_METATYPE(AppcastUpdater::Result)
Q_DECLARE_METATYPE(FeedServer::Mode)

namespace {

// A field of /proc/self/status in KiB ("VmHWM", "VmRSS"), -1 when missing.
qint64 statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^%1:\\s+(\\d+) kB$").arg(QLatin1String(field)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// Starts the peak (VmHWM) afresh at the present resident size.
bool resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:sparkle=\"urn:zentu:test-sparkle\"><channel>" + items
        + "</channel></rss>";
}

struct Rig {
    explicit Rig(FeedServer::Mode mode) { server.mode = mode; }

    FeedServer server;
    NetworkUpdateFeed network{QStringLiteral("Zentu.it/test")};
    FakeAlerts alerts;
    FakeWorkspace workspace;
    AppcastUpdater updater{network, alerts, workspace, server.url(), QStringLiteral("1.9.2")};
};

// Whether the last check logged its failure for this reason.
bool loggedFailure(const QString& reason)
{
    const QStringList lines = debugLogMessages().filter(QRegularExpression(QStringLiteral("^UPDATE (?!Prüfung)")));
    return !lines.isEmpty() && lines.last() == QStringLiteral("UPDATE FEHLER: ") + reason;
}

} // namespace

class TestHostileFeed : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<AppcastUpdater::Result>();
        // A first ordinary check loads what every check uses once (texts,
        // network), so the peaks below are the hostile answers' own.
        Rig rig(FeedServer::Mode::canned);
        rig.server.body = feed("<item><sparkle:version>1.9.2</sparkle:version><link>https://zentu.example/</link></item>");
        QSignalSpy finished(&rig.updater, &AppcastUpdater::checkFinished);
        rig.updater.checkForUpdates();
        QVERIFY(finished.wait(30000));
    }

    void hugeBodiesAreRefusedAtTheCap_data()
    {
        QTest::addColumn<FeedServer::Mode>("mode");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<qint64>("maxPeakGrowthKiB");
        const QString body = QStringLiteral("Antwort größer als %1 Bytes").arg(NetworkUpdateFeed::maxFeedBytes);
        // The body up to the cap and a piece or two; nothing of a body refused by its length.
        const qint64 capKiB = NetworkUpdateFeed::maxFeedBytes / 1024 + 1536;
        QTest::newRow("declared length") << FeedServer::Mode::hugeDeclared << body << qint64(512);
        QTest::newRow("no length") << FeedServer::Mode::hugeUndeclared << body << capKiB;
        QTest::newRow("chunked") << FeedServer::Mode::hugeChunked << body << capKiB;
        QTest::newRow("endless header") << FeedServer::Mode::hugeHeader
                                        << QStringLiteral("Antwortkopf größer als %1 Bytes").arg(NetworkUpdateFeed::maxHeaderBytes)
                                        << qint64(512);
    }

    void hugeBodiesAreRefusedAtTheCap()
    {
        QFETCH(FeedServer::Mode, mode);
        QFETCH(QString, reason);
        QFETCH(qint64, maxPeakGrowthKiB);
        Rig rig(mode);
        QVERIFY(resetPeakMemory());
        const qint64 before = statusKiB("VmRSS");
        QSignalSpy finished(&rig.updater, &AppcastUpdater::checkFinished);
        rig.updater.checkForUpdates();
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().value<AppcastUpdater::Result>(), AppcastUpdater::Result::failed);
        const qint64 peakGrowthKiB = statusKiB("VmHWM") - before;
        qInfo("%s: peak grew by %lld KiB, server sent %lld KiB", QTest::currentDataTag(), peakGrowthKiB,
              rig.server.bytesSent() / 1024);

        QVERIFY2(loggedFailure(reason), qPrintable(debugLogMessages().last()));
        QCOMPARE(rig.alerts.shown.size(), 1);
        QCOMPARE(rig.alerts.shown.first().message, QStringLiteral("Suche nach Updates fehlgeschlagen"));
        // Reading stopped at the cap: the rest of the 3 GB was never asked for.
        QVERIFY2(rig.server.bytesSent() < 16LL * 1024 * 1024, qPrintable(QString::number(rig.server.bytesSent())));
        QVERIFY2(peakGrowthKiB < maxPeakGrowthKiB, qPrintable(QString::number(peakGrowthKiB)));
    }

    void redirectsAreFollowedAtOnceAndOnlyToTheWeb()
    {
        // A redirect's own 3 GB body is never read: the feed behind it answers.
        Rig rig(FeedServer::Mode::redirect);
        rig.server.body = feed("<item><sparkle:version>1.9.2</sparkle:version><link>https://zentu.example/</link></item>");
        QVERIFY(resetPeakMemory());
        const qint64 before = statusKiB("VmRSS");
        QElapsedTimer clock;
        clock.start();
        QSignalSpy finished(&rig.updater, &AppcastUpdater::checkFinished);
        rig.updater.checkForUpdates();
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().value<AppcastUpdater::Result>(), AppcastUpdater::Result::upToDate);
        QVERIFY(clock.elapsed() < NetworkUpdateFeed::deadlineMs / 2);
        QVERIFY2(statusKiB("VmHWM") - before < 1024,
                 qPrintable(QString::number(statusKiB("VmHWM") - before)));

        // Refused: another scheme, and a redirect to itself without end.
        const QList<std::pair<QByteArray, QString>> refused{
            {"file:///etc/passwd", QStringLiteral("Weiterleitung nach file:///etc/passwd abgelehnt")},
            {"/appcast.xml", QStringLiteral("zu viele Weiterleitungen")},
        };
        for (const auto& [location, reason] : refused) {
            rig.server.redirectTo = location;
            finished.clear();
            rig.updater.checkForUpdates();
            QVERIFY(finished.wait(30000));
            QCOMPARE(finished.first().first().value<AppcastUpdater::Result>(), AppcastUpdater::Result::failed);
            QVERIFY2(loggedFailure(reason), qPrintable(reason));
        }
        QVERIFY(rig.workspace.openedUrls.isEmpty());
    }

    // Both slow servers at once, so that the suite waits for the deadline once.
    void slowAnswersEndAtTheDeadline()
    {
        Rig drip(FeedServer::Mode::drip);
        Rig slowHeader(FeedServer::Mode::slowHeader);
        QElapsedTimer clock;
        qint64 dripEnded = -1;
        qint64 headerEnded = -1;
        connect(&drip.updater, &AppcastUpdater::checkFinished, this, [&] { dripEnded = clock.elapsed(); });
        connect(&slowHeader.updater, &AppcastUpdater::checkFinished, this, [&] { headerEnded = clock.elapsed(); });
        clock.start();
        drip.updater.checkForUpdates();
        slowHeader.updater.checkForUpdates();

        // Asked again while bytes keep arriving: the running check answers, once.
        QVERIFY(QTest::qWaitFor([&] { return drip.server.bytesSent() >= 3; }, 15000));
        QVERIFY(drip.updater.isUserWaiting());
        drip.updater.checkForUpdates();

        QVERIFY(QTest::qWaitFor([&] { return dripEnded >= 0 && headerEnded >= 0; }, 40000));
        qInfo("drip ended after %lld ms, slow header after %lld ms", dripEnded, headerEnded);
        for (const qint64 ended : {dripEnded, headerEnded}) {
            QVERIFY2(ended >= NetworkUpdateFeed::deadlineMs, qPrintable(QString::number(ended)));
            QVERIFY2(ended <= 21000, qPrintable(QString::number(ended)));
        }
        // Every second brought a byte, so no silence ever ended the transfer.
        QVERIFY(drip.server.bytesSent() >= 15);
        QVERIFY(slowHeader.server.bytesSent() >= 15);
        for (Rig* rig : {&drip, &slowHeader}) {
            QCOMPARE(rig->alerts.shown.size(), 1);
            QCOMPARE(rig->alerts.shown.first().message, QStringLiteral("Suche nach Updates fehlgeschlagen"));
            QVERIFY(rig->workspace.openedUrls.isEmpty());
            QVERIFY(!rig->updater.isChecking());
        }
        QVERIFY(loggedFailure(QStringLiteral("Zeitüberschreitung")));
    }
};

ZENTU_TEST_MAIN(TestHostileFeed)
#include "tst_hostilefeed.moc"
