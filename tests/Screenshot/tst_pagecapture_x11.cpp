// The off-screen page capture against a real web engine on the test display:
// a page with a fixed header and a sticky bar is captured whole and matches
// the layout it was written with; a link that serves a PDF goes to the PDF
// renderer.
#include "Storage/DebugLog.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/Capturer.h"
#include "support/AwaitCapture.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"

#include <QApplication>
#include <QCoroTask>
#include <QFile>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <csignal>
#include <functional>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
// Ten sections of 200 px with their own colours, a 40 px sticky bar after the
// second, and a fixed 60 px header over everything: 2040 px in all.
const QList<QColor> sectionColours = {QColor(200, 30, 30), QColor(30, 160, 30), QColor(30, 30, 200),
                                      QColor(200, 200, 30), QColor(120, 60, 20), QColor(20, 120, 120),
                                      QColor(90, 90, 90), QColor(250, 150, 0), QColor(60, 0, 120),
                                      QColor(0, 90, 40)};
const QColor headerColour(255, 0, 255);
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
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(pageHtml());
        f.close();

        Capturer capturer;
        const CaptureOutcome outcome = awaitCapture([&] { return capturer.capture(QUrl::fromLocalFile(file)); });
        QCOMPARE(outcome.error, QString());
        const std::optional<QImage>& image = outcome.image;
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(1440, 2040));
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

        QFile log(DebugLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("BROWSER Gesamth\xc3\xb6he ermittelt: 2040 pt"));
        QVERIFY(text.contains("BROWSER Nehme 3 Kacheln auf (scale=1)"));
    }

    void stopBeforeFirstBandEndsWithoutImage()
    {
        const QString file = m_dir.filePath("short.html");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><body style='margin:0;background:#123456'>short</body></html>");
        f.close();
        Capturer capturer;
        int asked = 0;
        capturer.setStopRequested([&] { return ++asked > 0; });
        const CaptureOutcome outcome = awaitCapture([&] { return capturer.capture(QUrl::fromLocalFile(file)); });
        QVERIFY(!outcome.failed());
        QVERIFY(!outcome.image);
        QCOMPARE(asked, 1);
    }

    void linkServingPdfIsRenderedAsDocument()
    {
        const QString pdf = m_dir.filePath("doc.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(pdf, QSizeF(720, 360), {Qt::red, Qt::blue}));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        OneFileServer server(f.readAll(), "application/pdf");
        QVERIFY(server.listen(QHostAddress::LocalHost));

        Capturer capturer;
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/download?id=7").arg(server.serverPort()));
        const CaptureOutcome outcome = awaitCapture([&] { return capturer.capture(url); });
        QCOMPARE(outcome.error, QString());
        const std::optional<QImage>& image = outcome.image;
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(1440, 1440));
        QVERIFY(near(image->pixelColor(700, 300), Qt::red));
        QVERIFY(near(image->pixelColor(700, 1000), Qt::blue));
    }

    void aRendererThatDiesEndsTheCaptureWithAnError()
    {
        // Measuring the page's height asks the server synchronously, so the
        // renderer sits in that script when it is killed.
        OneFileServer server("<html><body style='margin:0;height:3000px'><script>"
                             "Object.defineProperty(document.documentElement, 'scrollHeight', {get: function() {"
                             "var x = new XMLHttpRequest(); x.open('GET', '/held', false); x.send(); return 3000; }});"
                             "</script></body></html>",
                             "text/html");
        QVERIFY(server.listen(QHostAddress::LocalHost));
        qint64 killed = 0;
        server.onHeld = [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* view = qobject_cast<QWebEngineView*>(w); view && view->page()->renderProcessPid() > 0)
                    killed = view->page()->renderProcessPid();
            if (killed)
                ::kill(pid_t(killed), SIGKILL);
        };
        Capturer capturer;
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/page").arg(server.serverPort()));
        const CaptureOutcome outcome = awaitCapture([&] { return capturer.capture(url); });
        QVERIFY(killed > 0);
        QCOMPARE(outcome.error, QStringLiteral("Seite konnte nicht aufgenommen werden."));
        QVERIFY(!outcome.image);
        QFile log(DebugLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("BROWSER Seitenprozess beendet"));
        // Ended by the renderer's death, not by the script's time limit.
        QVERIFY(!text.contains("BROWSER Skript antwortet nicht"));
    }

    void unreachablePageFails()
    {
        Capturer capturer;
        const QUrl url = QUrl::fromLocalFile(m_dir.filePath("missing.html"));
        const CaptureOutcome outcome = awaitCapture([&] { return capturer.capture(url); });
        QVERIFY(outcome.failed());
        QVERIFY(!outcome.error.isEmpty());
        QVERIFY(!outcome.image);
    }
};

ZENTU_TEST_MAIN(TestPageCaptureX11)
#include "tst_pagecapture_x11.moc"
