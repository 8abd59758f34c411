// The off-screen page capture against a real web engine on the test display,
// run by the page-capture helper as the app runs it: a page with a fixed
// header and a sticky bar is captured whole, band by band as reported, and
// matches the layout it was written with; a link that serves a PDF goes to the
// PDF renderer; a dying renderer or helper ends the capture with the error,
// never a hang. (The page cut at its height limit: tst_scrollshell_x11.)
#include "Screenshot/PageCaptureProcess.h"
#include "support/AwaitCapture.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <csignal>

namespace {
// Ten sections of 200 px with their own colours, a 40 px sticky bar after the
// second, and a fixed 60 px header over everything: 2040 px in all.
const QList<QColor> sectionColours = {QColor(200, 30, 30), QColor(30, 160, 30), QColor(30, 30, 200),
                                      QColor(200, 200, 30), QColor(120, 60, 20), QColor(20, 120, 120),
                                      QColor(90, 90, 90), QColor(250, 150, 0), QColor(60, 0, 120),
                                      QColor(0, 90, 40)};
const QColor stickyColour(0, 255, 255);

QByteArray pageHtml()
{
    QByteArray html = "<!doctype html><html><head><style>body{margin:0} section{height:200px}</style></head><body>"
                      "<div style='position:fixed;top:0;left:0;right:0;height:60px;background:#ff00ff'></div>";
    for (int i = 0; i < sectionColours.size(); ++i) {
        if (i == 2)
            html += "<div style='position:sticky;top:0;height:40px;background:#00ffff'></div>";
        html += "<section style='background:" + sectionColours[i].name().toLatin1() + "'></section>";
    }
    return html + "</body></html>";
}

// Where each colour of the page lies when nothing is pinned.
QColor expectedAt(int y)
{
    if (y >= 400 && y < 440)
        return stickyColour;
    const int section = y < 400 ? y / 200 : (y - 40) / 200;
    return sectionColours[section];
}

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 && std::abs(a.blue() - b.blue()) < 8;
}

// Field `index` (0: the state) of /proc/<pid>/stat after the command's name,
// which may hold spaces and parentheses.
QByteArray statField(qint64 pid, int index)
{
    const QByteArray text = fileContents(QStringLiteral("/proc/%1/stat").arg(pid));
    return text.mid(text.lastIndexOf(')') + 2).split(' ').value(index);
}

bool isZygote(qint64 pid)
{
    return fileContents(QStringLiteral("/proc/%1/cmdline").arg(pid)).contains("--type=zygote");
}

// The web engine's renderers under the helper: what its zygote forked (they
// keep the zygote's command line).
QList<qint64> renderersBelow(qint64 helper)
{
    QList<qint64> found;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const qint64 pid = name.toLongLong();
        if (pid <= 0 || !isZygote(pid) || !isZygote(statField(pid, 1).toLongLong()))
            continue;
        for (qint64 p = statField(pid, 1).toLongLong(); p > 1; p = statField(p, 1).toLongLong())
            if (p == helper) {
                found.append(pid);
                break;
            }
    }
    return found;
}

bool running(qint64 pid)
{
    const QByteArray state = statField(pid, 0);
    return !state.isEmpty() && state != "Z";
}

// A page whose height measurement asks the server synchronously, so the
// renderer sits in that script while the test does something to it.
const QByteArray heldPage = "<html><body style='margin:0;height:3000px'><script>"
                            "Object.defineProperty(document.documentElement, 'scrollHeight', {get: function() {"
                            "var x = new XMLHttpRequest(); x.open('GET', '/held', false); x.send(); return 3000; }});"
                            "</script></body></html>";

// Serves one body for every request, with the given content type; a request
// for /held is never answered, only reported.
class OneFileServer : public QTcpServer {
public:
    std::function<void()> onHeld;

    OneFileServer(QByteArray body, QByteArray type)
        : m_body(std::move(body))
        , m_type(std::move(type))
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    const QByteArray request = s->readAll();
                    if (!request.contains("\r\n\r\n"))
                        return;
                    if (request.startsWith("GET /held ")) {
                        if (onHeld)
                            onHeld();
                        return;
                    }
                    s->write("HTTP/1.1 200 OK\r\nContent-Type: " + m_type + "\r\nContent-Length: "
                             + QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
                    s->disconnectFromHost();
                });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

private:
    QByteArray m_body;
    QByteArray m_type;
};
}

class TestPageCaptureX11 : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void pageWithFixedAndStickyOverlaysIsCapturedWhole()
    {
        const QString file = m_dir.filePath("page.html");
        QVERIFY(plantFile(file, pageHtml()));

        PageCaptureProcess helper;
        QList<QPair<int, int>> progress;
        helper.setProgress([&](int done, int heightPx) { progress.append({done, heightPx}); });
        const CaptureOutcome outcome = awaitCapture([&] { return helper.capturePage(QUrl::fromLocalFile(file)); });
        QCOMPARE(outcome.error, QString());
        const std::optional<QImage>& image = outcome.image;
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(1440, 2040));
        QVERIFY(!outcome.incomplete);
        // Each band reported as it was painted, with the rows it reaches.
        QCOMPARE(progress, (QList<QPair<int, int>>{{1, 900}, {2, 1800}, {3, 2040}}));
        // Every 10th row at three columns matches the unpinned layout: the
        // fixed header shows in no band, the sticky bar only where it belongs
        // (bands start at 0, 900 and 1140).
        for (int y = 2; y < 2040; y += 10) {
            if (y % 200 < 3 || y % 200 > 197 || (y > 395 && y < 445))
                continue; // skip edges between colours
            for (int x : {5, 720, 1430}) {
                const QColor c = image->pixelColor(x, y);
                QVERIFY2(near(c, expectedAt(y)),
                         qPrintable(QStringLiteral("at %1,%2: %3 instead of %4")
                                        .arg(x).arg(y).arg(c.name(), expectedAt(y).name())));
            }
        }
        QVERIFY(near(image->pixelColor(720, 420), stickyColour));

        QVERIFY(debugLogText().contains(QStringLiteral("BROWSER Nehme 3 Kacheln auf (scale=1)")));
    }

    void stopBeforeFirstBandEndsWithoutImage()
    {
        const QString file = m_dir.filePath("short.html");
        QVERIFY(plantFile(file, "<html><body style='margin:0;background:#123456'>short</body></html>"));
        PageCaptureProcess helper;
        int asked = 0;
        helper.setStopRequested([&] { return ++asked > 0; });
        const CaptureOutcome outcome = awaitCapture([&] { return helper.capturePage(QUrl::fromLocalFile(file)); });
        QVERIFY(!outcome.failed());
        QVERIFY(!outcome.image);
        QCOMPARE(asked, 1);
    }

    void linkServingPdfIsRenderedAsDocument()
    {
        const QString pdf = m_dir.filePath("doc.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(pdf, QSizeF(720, 360), {Qt::red, Qt::blue}));
        OneFileServer server(fileContents(pdf), "application/pdf");
        QVERIFY(server.listen(QHostAddress::LocalHost));

        PageCaptureProcess helper;
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/download?id=7").arg(server.serverPort()));
        const CaptureOutcome outcome = awaitCapture([&] { return helper.capturePage(url); });
        QCOMPARE(outcome.error, QString());
        const std::optional<QImage>& image = outcome.image;
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(1440, 1440));
        QVERIFY(near(image->pixelColor(700, 300), Qt::red));
        QVERIFY(near(image->pixelColor(700, 1000), Qt::blue));
    }

    // A renderer killed, or the whole engine going down (a crash of the
    // helper itself): the same error for the user, and the app goes on.
    void aRendererOrHelperThatDiesEndsTheCaptureWithAnError_data()
    {
        QTest::addColumn<bool>("helperDies");
        QTest::addColumn<QString>("logged");
        QTest::newRow("renderer") << false << QStringLiteral("BROWSER Seitenprozess beendet");
        QTest::newRow("helper") << true << QStringLiteral("BROWSER Hilfsprozess abgestürzt");
    }
    void aRendererOrHelperThatDiesEndsTheCaptureWithAnError()
    {
        QFETCH(bool, helperDies);
        QFETCH(QString, logged);
        OneFileServer server(heldPage, "text/html");
        QVERIFY(server.listen(QHostAddress::LocalHost));
        PageCaptureProcess helper;
        QList<qint64> renderers;
        server.onHeld = [&] {
            renderers = renderersBelow(helper.helperProcessId());
            // An abort, as from a failed check (a sanitizer build would report
            // a SIGSEGV from outside as a fault and exit instead).
            if (helperDies && helper.helperProcessId() > 0)
                ::kill(pid_t(helper.helperProcessId()), SIGABRT);
            else
                for (qint64 pid : renderers)
                    ::kill(pid_t(pid), SIGKILL);
        };
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/page").arg(server.serverPort()));
        const CaptureOutcome outcome = awaitCapture([&] { return helper.capturePage(url); });
        QVERIFY(!renderers.isEmpty());
        QCOMPARE(outcome.error, QStringLiteral("Seite konnte nicht aufgenommen werden."));
        QVERIFY(!outcome.image);
        const QString log = debugLogText();
        QVERIFY2(log.contains(logged), qPrintable(log));
        // Ended by the death, not by the script's time limit; no renderer outlives its helper.
        QVERIFY(!log.contains(QStringLiteral("BROWSER Skript antwortet nicht")));
        QTRY_VERIFY_WITH_TIMEOUT(std::none_of(renderers.begin(), renderers.end(), running), 10000);
    }

    void aMissingHelperOrPageFailsWithAnError()
    {
        const QString nowhere = QDir::temp().filePath(QStringLiteral("no-such-helper"));
        PageCaptureProcess noPage(nowhere), noDocument(nowhere); // one capture each
        QCOMPARE(awaitCapture([&] { return noPage.capturePage(QUrl(QStringLiteral("https://example.org/"))); }).error,
                 QStringLiteral("Seite konnte nicht aufgenommen werden."));
        QCOMPARE(awaitCapture([&] { return noDocument.renderDocument(QStringLiteral("/x.pdf")); }).error,
                 QStringLiteral("PDF konnte nicht gelesen werden."));
        PageCaptureProcess helper;
        const QUrl url = QUrl::fromLocalFile(m_dir.filePath("missing.html"));
        const CaptureOutcome outcome = awaitCapture([&] { return helper.capturePage(url); });
        QVERIFY(!outcome.error.isEmpty());
        QVERIFY(!outcome.image);
    }
};

ZENTU_TEST_MAIN(TestPageCaptureX11)
#include "tst_pagecapture_x11.moc"
