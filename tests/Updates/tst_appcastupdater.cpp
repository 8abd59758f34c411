// The update check over Qt Network against a feed served on loopback: a newer
// version (chosen among several releases, compared as numbers, shown with its
// download link), the same and an older version, malformed feeds, an HTTP
// error and an unreachable server; quiet scheduled checks; a request during a
// running check.
#include "Platform/Qt/NetworkUpdateFeed.h"
#include "Updates/AppcastUpdater.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeUpdateFeed.h"
#include "fakes/FakeWorkspace.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

Q_DECLARE_METATYPE(AppcastUpdater::Result)

namespace {

// Answers every request with one canned HTTP response.
class FeedServer : public QTcpServer {
public:
    QByteArray status = "200 OK";
    QByteArray body;

    FeedServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/rss+xml\r\nContent-Length: "
                                  + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(serverPort())); }
};

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
