// The update check over Qt Network against a feed served on loopback: a newer
// version (chosen among several releases, compared as numbers, shown with its
// download link), the same and an older version, malformed feeds, an HTTP
// error and an unreachable server; markup and links in every text of a
// release shown as plain text, with only the web download ever opened; quiet
// scheduled checks; requests during a running check. Then servers that answer
// too slowly or too much: a body dripping one byte a second and a head
// arriving as slowly both end at the one deadline with the failure alert, also
// when the user asks again meanwhile; 3 GB bodies with and without a declared
// length, chunked, and a head without end are refused at their caps while the
// process holds little more than the cap; a redirect is followed as soon as
// its head arrives (its own 3 GB body unread), and only to http(s). The HTTP
// reader itself, given answers whole and one byte at a time: every framing
// HTTP/1.1 allows is read whole, and malformed, truncated or oversized answers
// fail with their reason.
#include "App/AppCoordinator.h"
#include "Toasts/ToastPresenter.h"
#include "Platform/Qt/HttpResponseReader.h"
#include "Platform/Qt/NetworkUpdateFeed.h"
#include "Updates/AppcastUpdater.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeAppPlatform.h"
#include "fakes/FakeUpdateFeed.h"
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

QByteArray item(const QByteArray& version, const QByteArray& url, const QByteArray& shortVersion = {})
{
    QByteArray attributes = "url=\"" + url + "\" sparkle:version=\"" + version + "\"";
    if (!shortVersion.isEmpty())
        attributes += " sparkle:shortVersionString=\"" + shortVersion + "\"";
    return "<item><title>Zentu.it " + version + "</title><enclosure " + attributes
        + " length=\"1\" type=\"application/octet-stream\"/></item>";
}

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"urn:zentu:test-sparkle\"><channel><title>Zentu.it</title>"
        + items + "</channel></rss>";
}

struct Rig {
    explicit Rig(FeedServer::Mode mode = FeedServer::Mode::canned) { server.mode = mode; }

    FeedServer server;
    NetworkUpdateFeed network{QStringLiteral("Zentu.it/test")};
    FakeAlerts alerts;
    FakeWorkspace workspace;
    AppcastUpdater updater{network, alerts, workspace, server.url(), QStringLiteral("1.9.2")};

    AppcastUpdater::Result check(bool userInitiated)
    {
        QSignalSpy finished(&updater, &AppcastUpdater::checkFinished);
        userInitiated ? updater.checkForUpdates() : updater.checkInBackground();
        if (!finished.wait(30000))
            return AppcastUpdater::Result(-1);
        return finished.first().first().value<AppcastUpdater::Result>();
    }
};

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

// AddressSanitizer keeps freed memory aside and shadows every byte, so resident
// sizes say nothing about what the reader holds.
#ifdef __SANITIZE_ADDRESS__
constexpr bool residentSizesTell = false;
#else
constexpr bool residentSizesTell = true;
#endif

// Starts the peak (VmHWM) afresh at the present resident size.
bool resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

// Whether the last check logged its failure for this reason.
bool loggedFailure(const QString& reason)
{
    const QStringList lines = debugLogMessages().filter(QRegularExpression(QStringLiteral("^UPDATE (?!Prüfung)")));
    return !lines.isEmpty() && lines.last() == QStringLiteral("UPDATE FEHLER: ") + reason;
}

const QByteArray upToDate = "<item><sparkle:version>1.9.2</sparkle:version><link>https://zentu.example/</link></item>";

using State = HttpResponseReader::State;

struct Outcome {
    State state;
    QByteArray body;
    QString error;
};

// Reads the answer in pieces of the given size, reading the body whatever the
// status, then tells of the closed connection.
Outcome read(const QByteArray& answer, qsizetype piece, qint64 maxBody = 64)
{
    HttpResponseReader reader({256, maxBody});
    for (qsizetype at = 0; at < answer.size() && reader.state() != State::failed && reader.state() != State::complete;
         at += piece) {
        if (reader.take(QByteArrayView(answer).sliced(at, std::min(piece, answer.size() - at))) == State::headerDone)
            reader.readBody();
    }
    reader.closed();
    return {reader.state(), reader.takeBody(), reader.error()};
}

} // namespace

class TestAppcastUpdater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<AppcastUpdater::Result>();
        // A first ordinary check loads what every check uses once (texts,
        // network), so the memory peaks below are the hostile answers' own.
        Rig rig;
        rig.server.body = feed(upToDate);
        QCOMPARE(rig.check(true), AppcastUpdater::Result::upToDate);
    }

    void aNewerVersionIsShownWithItsDownload()
    {
        Rig rig;
        // The newest of several; "1.10" is newer than "1.9.2"; releases without
        // a version or a web address do not count.
        rig.server.body = feed(item("1.9.0", "https://zentu.example/1.9.0.tar.gz")
                               + item("1.10.0", "https://zentu.example/zentu-1.10.tar.gz", "1.10")
                               + item("", "https://zentu.example/ohne-version.tar.gz")
                               + item("7.0", "file:///etc/passwd") + item("8.0", "javascript:alert(1)"));
        QCOMPARE(rig.check(false), AppcastUpdater::Result::updateAvailable);
        QCOMPARE(rig.alerts.shown.size(), 1);
        const Alerts::Alert& alert = rig.alerts.shown.first();
        QCOMPARE(alert.informativeText,
                 QStringLiteral("Zentu.it 1.10 ist verfügbar – du verwendest Version 1.9.2.\n\nDownload: "
                                "https://zentu.example/zentu-1.10.tar.gz"));
        QCOMPARE(rig.workspace.openedUrls, QStringList{QStringLiteral("https://zentu.example/zentu-1.10.tar.gz")});
    }

    void theSameOrAnOlderVersionIsUpToDate()
    {
        Rig rig;
        // The version also as an element of the item, which wins over the enclosure's.
        rig.server.body = feed("<item><sparkle:version>1.9.2</sparkle:version><link>https://zentu.example/</link>"
                               "<enclosure url=\"https://zentu.example/z.tar.gz\" sparkle:version=\"9.9\"/></item>");
        QCOMPARE(rig.check(false), AppcastUpdater::Result::upToDate);
        QVERIFY(rig.alerts.shown.isEmpty()); // a scheduled check stays quiet
        QCOMPARE(rig.check(true), AppcastUpdater::Result::upToDate);
        QCOMPARE(rig.alerts.shown.size(), 1);
        QCOMPARE(rig.alerts.shown.first().message, QStringLiteral("Zentu.it ist auf dem neuesten Stand"));

        rig.server.body = feed(item("1.9.1", "https://zentu.example/alt.tar.gz"));
        QCOMPARE(rig.check(true), AppcastUpdater::Result::upToDate);
        QVERIFY(rig.workspace.openedUrls.isEmpty());
    }

    void unreadableFeedsAndServersFail()
    {
        Rig rig;
        for (const QByteArray& body : {QByteArray("<rss><channel><item>"), QByteArray("kein XML"), feed({}),
                                      QByteArray("<html><body>1.10.0</body></html>")}) {
            rig.server.body = body;
            QCOMPARE(rig.check(false), AppcastUpdater::Result::failed);
        }
        QVERIFY(rig.alerts.shown.isEmpty());

        rig.server.body = feed(item("2.0", "https://zentu.example/2.0.tar.gz"));
        rig.server.status = "404 Not Found";
        QCOMPARE(rig.check(true), AppcastUpdater::Result::failed);
        QCOMPARE(rig.alerts.shown.size(), 1);
        QCOMPARE(rig.alerts.shown.first().message, QStringLiteral("Suche nach Updates fehlgeschlagen"));

        // Nobody listening any more.
        rig.server.close();
        QCOMPARE(rig.check(true), AppcastUpdater::Result::failed);
        QCOMPARE(rig.alerts.shown.size(), 2);
        QVERIFY(rig.alerts.shown.at(1).informativeText.contains(QStringLiteral("127.0.0.1")));
        QVERIFY(rig.workspace.openedUrls.isEmpty());
    }

    void theFeedsTextsArePlainAndOnlyItsWebDownloadOpens()
    {
        Rig rig;
        // Markup, pictures and links of every scheme in every text of a release.
        const QByteArray link = "&lt;a href=&quot;file:///etc/passwd&quot;&gt;RELEASE NOTES&lt;/a&gt;";
        const QByteArray picture = "&lt;img src=&quot;/local/picture.png&quot;&gt;";
        rig.server.body = feed(
            "<item><title>Zentu.it " + link + picture + "</title>"
            "<description><![CDATA[<h1>Neu</h1><a href=\"javascript:alert(1)\">hier</a>]]></description>"
            "<sparkle:version>99.0 " + link + picture + "</sparkle:version>"
            "<sparkle:releaseNotesLink>file:///etc/passwd</sparkle:releaseNotesLink>"
            "<link>data:text/html," + link + "</link>"
            "<enclosure url=\"https://zentu.example/zentu-99.tar.gz?n=%3Cb%3E\" length=\"1\"/></item>"
            // Not a web download: never offered, whatever its version.
            + item("120.0", "ftp://zentu.example/z.tar.gz", "120 " + link)
            + item("121.0", "file:///etc/passwd") + item("122.0", "javascript:alert(1)"));
        QCOMPARE(rig.check(true), AppcastUpdater::Result::updateAvailable);
        QCOMPARE(rig.alerts.shown.size(), 1);
        const Alerts::Alert& alert = rig.alerts.shown.first();
        QCOMPARE(alert.textFormat, Qt::PlainText);
        // Shown as written, on one line and cut short.
        QCOMPARE(alert.informativeText,
                 QStringLiteral("Zentu.it 99.0 <a href=\"file:///etc/passwd\">RELEA\u2026 ist verfügbar – du "
                                "verwendest Version 1.9.2.\n\nDownload: https://zentu.example/zentu-99.tar.gz?n=%3Cb%3E"));
        QCOMPARE(rig.workspace.openedUrls.size(), 1);
        QCOMPARE(QUrl(rig.workspace.openedUrls.first()).scheme(), QStringLiteral("https"));

        // Line breaks and direction marks cannot lay out a second, made-up line.
        rig.server.body = feed("<item><sparkle:version>99.1</sparkle:version><sparkle:shortVersionString>99.1\n\n"
                               "Download: https://b\xe2\x80\xae" "ose.example</sparkle:shortVersionString>"
                               "<enclosure url=\"https://zentu.example/z.tar.gz\"/></item>");
        QCOMPARE(rig.check(false), AppcastUpdater::Result::updateAvailable);
        QVERIFY(rig.alerts.shown.last().informativeText.startsWith(
            QStringLiteral("Zentu.it 99.1 Download: https://bose.example ist verfügbar")));
        for (const Alerts::Alert& shown : rig.alerts.shown)
            QCOMPARE(shown.textFormat, Qt::PlainText);
    }

    void aSecondRequestSaysThatTheCheckRuns()
    {
        FakeAppPlatform services;
        services.updateFeed.holdReplies = true;
        AppCoordinator coordinator(services.platform(), services);
        coordinator.checkForUpdates();
        QCOMPARE(services.updateFeed.pending.size(), 1);
        QVERIFY(coordinator.toast().model().text().isEmpty());
        coordinator.checkForUpdates();
        QCOMPARE(services.updateFeed.pending.size(), 1);
        QCOMPARE(coordinator.toast().model().text(),
                 QStringLiteral("Die Suche nach Updates läuft bereits – das Ergebnis folgt gleich."));
        // One answer for both requests.
        services.updateFeed.pending.takeFirst()({{}, QStringLiteral("Zeitüberschreitung")});
        QCOMPARE(services.alertsFake.shown.size(), 1);
        QCOMPARE(services.alertsFake.shown.first().message, QStringLiteral("Suche nach Updates fehlgeschlagen"));
        QVERIFY(!coordinator.updater().isChecking());
    }

    void aRequestDuringAScheduledCheckGetsItsAnswer()
    {
        FakeUpdateFeed feedFake;
        feedFake.holdReplies = true;
        FakeAlerts alerts;
        FakeWorkspace workspace;
        AppcastUpdater updater(feedFake, alerts, workspace, QUrl(QStringLiteral("https://zentu.example/appcast.xml")),
                               QStringLiteral("1.0"));
        updater.checkInBackground();
        updater.checkForUpdates();
        QCOMPARE(feedFake.pending.size(), 1); // one fetch serves both
        feedFake.pending.takeFirst()({feed(item("1.0", "https://zentu.example/1.0.tar.gz")), {}});
        QCOMPARE(alerts.shown.size(), 1);
        QCOMPARE(alerts.shown.first().message, QStringLiteral("Zentu.it ist auf dem neuesten Stand"));
        QVERIFY(!updater.isChecking());
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
        QCOMPARE(rig.check(true), AppcastUpdater::Result::failed);
        const qint64 peakGrowthKiB = statusKiB("VmHWM") - before;
        QVERIFY2(loggedFailure(reason), qPrintable(debugLogMessages().last()));
        // Reading stopped at the cap: the rest of the 3 GB was never asked for.
        QVERIFY2(rig.server.bytesSent() < 16LL * 1024 * 1024, qPrintable(QString::number(rig.server.bytesSent())));
        QVERIFY2(!residentSizesTell || peakGrowthKiB < maxPeakGrowthKiB, qPrintable(QString::number(peakGrowthKiB)));
    }

    void redirectsAreFollowedAtOnceAndOnlyToTheWeb()
    {
        // A redirect's own 3 GB body is never read: the feed behind it answers.
        Rig rig(FeedServer::Mode::redirect);
        rig.server.body = feed(upToDate);
        QVERIFY(resetPeakMemory());
        const qint64 before = statusKiB("VmRSS");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(rig.check(true), AppcastUpdater::Result::upToDate);
        QVERIFY(clock.elapsed() < NetworkUpdateFeed::deadlineMs / 2);
        QVERIFY2(!residentSizesTell || statusKiB("VmHWM") - before < 1024,
                 qPrintable(QString::number(statusKiB("VmHWM") - before)));

        // Refused: another scheme, and a redirect to itself without end.
        for (const auto& [location, reason] : {std::pair{"file:///etc/passwd", "Weiterleitung nach file:///etc/passwd abgelehnt"},
                                               {"/appcast.xml", "zu viele Weiterleitungen"}}) {
            rig.server.redirectTo = location;
            QCOMPARE(rig.check(true), AppcastUpdater::Result::failed);
            QVERIFY2(loggedFailure(QString::fromUtf8(reason)), reason);
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
        for (const qint64 ended : {dripEnded, headerEnded})
            QVERIFY2(ended >= NetworkUpdateFeed::deadlineMs && ended <= 21000, qPrintable(QString::number(ended)));
        for (Rig* rig : {&drip, &slowHeader}) {
            // Every second brought a byte, so no silence ever ended the transfer.
            QVERIFY(rig->server.bytesSent() >= 15);
            QCOMPARE(rig->alerts.shown.size(), 1);
            QCOMPARE(rig->alerts.shown.first().message, QStringLiteral("Suche nach Updates fehlgeschlagen"));
            QVERIFY(rig->workspace.openedUrls.isEmpty());
            QVERIFY(!rig->updater.isChecking());
        }
        QVERIFY(loggedFailure(QStringLiteral("Zeitüberschreitung")));
    }

    void answersAreReadAsFramed_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("body");   // when read whole
        QTest::addColumn<QString>("error");     // else the reason
        const auto whole = [](const char* name, const QByteArray& answer, const char* body) {
            QTest::newRow(name) << answer << QByteArray(body) << QString();
        };
        const auto fails = [](const char* name, const QByteArray& answer, const QString& error) {
            QTest::newRow(name) << answer << QByteArray() << error;
        };
        const auto unreadable = [](const char* what) { return QStringLiteral("HTTP-Antwort unlesbar (%1)").arg(QLatin1String(what)); };
        const QString tooBig = QStringLiteral("Antwort größer als 64 Bytes");
        const QString cut = QStringLiteral("Verbindung vor dem Ende der Antwort geschlossen");
        const QByteArray ok = "HTTP/1.1 200 OK\r\n", chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
        whole("length", ok + "Content-Length: 5\r\n\r\nfeed!trailing", "feed!");
        whole("same length twice", ok + "Content-Length: 4, 4\r\n\r\nfeed", "feed");
        whole("chunked", ok + "transfer-encoding: Chunked\r\n\r\n3;x=y\r\nfee\r\nA\r\nd-and-more\r\n0\r\nTrailer: t\r\n\r\n",
              "feed-and-more");
        whole("until close, LF only", "HTTP/1.0 200 OK\nServer: x\n\n<rss/>", "<rss/>");
        whole("interim answer first", "HTTP/1.1 100 Continue\r\n\r\n" + ok + "Content-Length: 2\r\n\r\nok", "ok");
        whole("no body", "HTTP/1.1 204 No Content\r\n\r\n", "");

        fails("status line", "ICY 200 OK\r\n\r\nx", unreadable("Statuszeile"));
        fails("header line", ok + "No colon\r\n\r\n", unreadable("Kopfzeile"));
        fails("two lengths", ok + "Content-Length: 4\r\nContent-Length: 5\r\n\r\nfeed!", unreadable("Content-Length"));
        fails("length list", ok + "Content-Length: 4, 5\r\n\r\nfeed!", unreadable("Content-Length"));
        fails("negative length", ok + "Content-Length: -1\r\n\r\n", unreadable("Content-Length"));
        fails("gzip transfer", ok + "Transfer-Encoding: gzip\r\n\r\n", unreadable("Transfer-Encoding"));
        fails("chunk size", chunked + "zz\r\n", unreadable("Chunk"));
        fails("chunk end", chunked + "2\r\nabc\r\n", unreadable("Chunk"));
        fails("huge chunk", chunked + "ffffffffffffffffffff\r\n", unreadable("Chunk"));
        fails("chunk over cap", chunked + "41\r\n", tooBig);
        fails("declared over cap", ok + "Content-Length: 3221225472\r\n\r\n", tooBig);
        fails("grows over cap", ok + "\r\n" + QByteArray(65, 'x'), tooBig);
        fails("head over cap", ok + "X: " + QByteArray(300, 'x'), QStringLiteral("Antwortkopf größer als 256 Bytes"));
        fails("cut short", ok + "Content-Length: 9\r\n\r\nfeed", cut);
        fails("no head", ok, cut);
    }

    void answersAreReadAsFramed()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, body);
        QFETCH(QString, error);
        for (const qsizetype piece : {answer.size(), qsizetype(1)}) {
            const Outcome got = read(answer, piece);
            QCOMPARE(got.error, error);
            QCOMPARE(got.state, error.isEmpty() ? State::complete : State::failed);
            QCOMPARE(got.body, body);
        }
    }
};

ZENTU_TEST_MAIN(TestAppcastUpdater)
#include "tst_appcastupdater.moc"
