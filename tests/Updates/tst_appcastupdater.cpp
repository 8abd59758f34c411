// The update check over Qt Network against a feed served on loopback: a newer
// version (chosen among several releases, compared as numbers, shown with its
// download link), the same and an older version, malformed feeds, an HTTP
// error and an unreachable server; markup and links in every text of a
// release shown as plain text, with only the web download ever opened; quiet
// scheduled checks; requests during a running check.
#include "App/AppCoordinator.h"
#include "Toasts/ToastPresenter.h"
#include "Platform/Qt/NetworkUpdateFeed.h"
#include "Updates/AppcastUpdater.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeCoordinatorServices.h"
#include "fakes/FakeUpdateFeed.h"
#include "fakes/FakeWorkspace.h"
#include "support/FeedServer.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>

Q_DECLARE_METATYPE(AppcastUpdater::Result)

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

} // namespace

class TestAppcastUpdater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<AppcastUpdater::Result>(); }

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
        for (const QByteArray body : {QByteArray("<rss><channel><item>"), QByteArray("kein XML"), feed({}),
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
        FakeCoordinatorServices services;
        services.updateFeed.holdReplies = true;
        AppCoordinator coordinator(services);
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
};

ZENTU_TEST_MAIN(TestAppcastUpdater)
#include "tst_appcastupdater.moc"
