// The X server the program runs on dies while an editor is open: Qt ends the
// process at once, past every quit handler, yet what the editor held (here an
// arrow drawn on the capture) reaches the history first, as on SIGTERM. The
// program runs on an X server of the test's own, so the test's display stays.
#include "Models/AppSettings.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/X11Probe.h"

#include <QDebug>
#include <QJsonObject>
#include <QProcess>
#include <memory>
#include <xcb/xcb.h>

namespace {

// The pixels of a rectangle of the probe's display.
QByteArray pixels(const X11Probe& x, QRect area)
{
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        x.connection(),
        xcb_get_image(x.connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, x.root(), qint16(area.x()), qint16(area.y()),
                      quint16(area.width()), quint16(area.height()), ~0u),
        nullptr);
    if (!reply)
        return {};
    const QByteArray data(reinterpret_cast<const char*>(xcb_get_image_data(reply)), xcb_get_image_data_length(reply));
    free(reply);
    return data;
}

} // namespace

class TestDisplayLossX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    QProcess m_server;
    QString m_display;

    // Xvfb names the display it found free on its standard output; the
    // display is kept only when it answers with this server's screen size.
    void startServer()
    {
        m_server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                                                "-noreset", "+extension", "XTEST"});
        if (!m_server.waitForStarted(5000) || !QTest::qWaitFor([&] { return m_server.canReadLine(); }, 10000)) {
            qWarning() << "Xvfb did not name a display:" << m_server.readAllStandardError();
            stopServer();
            return;
        }
        const QString display = QLatin1Char(':') + QString::fromLatin1(m_server.readLine().trimmed());
        if (!answersAsOurs(display)) {
            qWarning() << "display" << display << "did not answer as the test's server:" << m_server.readAllStandardError();
            stopServer();
            return;
        }
        m_display = display;
    }
    void stopServer()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
    static bool answersAsOurs(const QString& display)
    {
        xcb_connection_t* c = xcb_connect(display.toLatin1().constData(), nullptr);
        const xcb_screen_t* screen = xcb_connection_has_error(c) ? nullptr : xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const bool ours = screen && screen->width_in_pixels == 1280 && screen->height_in_pixels == 800;
        xcb_disconnect(c);
        return ours;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_real.useFreshFolders());
        // A server of this test's own; tried again when the display it names
        // does not answer as that server (parallel tests start theirs too).
        for (int attempt = 0; attempt < 3 && m_display.isEmpty(); ++attempt)
            startServer();
        QVERIFY2(!m_display.isEmpty(), "no X server of the test's own answered");
        m_real.setEnvironmentVariable(QStringLiteral("DISPLAY"), m_display);
    }
    void cleanupTestCase()
    {
        stopQuietly(m_app);
        stopServer();
    }

    void anOpenEditorsArrowSurvivesTheServer()
    {
        QVERIFY2(answersAsOurs(m_display), qPrintable(m_server.readAllStandardError()));
        QVERIFY(startQuietly(m_real, m_app, [](AppSettings& s) { s.openEditorAfterCapture = true; }));
        const QByteArray testDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", m_display.toLatin1());
        auto x = std::make_unique<X11Probe>();
        qputenv("DISPLAY", testDisplay);
        QVERIFY(!xcb_connection_has_error(x->connection()));

        // The full-screen hotkey on the program's server; the editor opens on the capture.
        QProcess keys;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        keys.setProcessEnvironment(env);
        keys.start(QStringLiteral("xdotool"), {"keydown", "Super_L", "keydown", "Shift_L", "key", "15", "keyup",
                                               "Shift_L", "keyup", "Super_L"});
        QVERIFY(keys.waitForFinished(15000) && keys.exitCode() == 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), 1, 15000);
        xcb_window_t editor = XCB_NONE;
        QTRY_VERIFY_WITH_TIMEOUT((editor = x->windowTitled(m_app.processId(), "Zentu.it Editor")) != XCB_NONE, 15000);
        QRect window;
        QTRY_VERIFY_WITH_TIMEOUT((window = x->rootGeometry(editor)).height() > 300, 10000);

        // An arrow across the middle of the canvas; drawn once the window shows it.
        const QRect area(window.center() - QPoint(120, 80), QSize(240, 160));
        QByteArray before;
        QTRY_VERIFY_WITH_TIMEOUT((before = pixels(*x, area)) == pixels(*x, area) && !before.isEmpty(), 10000);
        x->drag(window.center() - QPoint(80, 50), window.center() + QPoint(80, 50));
        QTRY_VERIFY_WITH_TIMEOUT(pixels(*x, area) != before, 10000);
        QCOMPARE(m_real.historyRecords(QStringLiteral("screenshots.json")).at(0).toObject()["annotations"].toArray().size(), 0);

        // The server goes.
        x.reset();
        m_server.kill();
        QVERIFY(m_server.waitForFinished(5000));
        QVERIFY(m_app.waitForFinished(15000));
        const QJsonObject record = m_real.historyRecords(QStringLiteral("screenshots.json")).at(0).toObject();
        QCOMPARE(record["annotations"].toArray().size(), 1);
        QCOMPARE(record["annotations"].toArray().at(0).toObject()["kind"].toString(), QStringLiteral("arrow"));
        QVERIFY(historyFaults(m_real.dataFolder()).isEmpty());
        QVERIFY(m_real.debugLog().contains(QStringLiteral("APP Verbindung zum X-Server verloren")));
    }
};

ZENTU_TEST_MAIN(TestDisplayLossX11)
#include "tst_displayloss_x11.moc"
