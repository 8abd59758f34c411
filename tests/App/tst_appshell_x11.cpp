// The real program on a real X server with a tray host, over seeded
// histories: the tray icon gets embedded and the log restarted; the icon opens
// the panel showing the seeded picture; a second start hands over and leaves
// one instance; "Alle" opens the clipboard history; "Beenden" ends the
// program. Then a copy started from a download folder offers to install
// itself, Return accepts, the installed copy takes over the session and only
// then does the download go to the Trash and the first process end; SIGTERM
// ends the installed copy through the normal quit path. Started without an X
// display, it says plainly that it needs an X11 session and exits 1.
#include "MenuBar/PanelFixture.h"
#include "Storage/Storage.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>

class TestAppShellX11 : public QObject {
    Q_OBJECT

    RealApp m_app;
    X11Probe x;

    xcb_window_t titled(qint64 pid, const QByteArray& title) const { return x.windowTitled(pid, title); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_app.useFreshFolders());
        QTRY_VERIFY_WITH_TIMEOUT(!x.tint2Windows().isEmpty(), 10000);
    }

    void startsIntoTheTrayOpensThePanelAndHandsOverASecondStart()
    {
        // Histories written by the real stores, handed to the program's folders.
        {
            PanelFixture f;
            f.screenshotStore->add(PanelFixture::picture(400, 300, QColor(220, 20, 20)), CaptureKind::area);
            f.clipboardStore->addText(QStringLiteral("Text aus dem Verlauf"), std::nullopt);
        }
        QCOMPARE(QProcess::execute(QStringLiteral("cp"), {"-a", testFolders().baseDirectory(), m_app.dataFolder()}), 0);
        // A log from an earlier run is replaced.
        QVERIFY(plantFile(m_app.dataFolder() + QStringLiteral("/debug.log"), "[01:02:03.004] alter Eintrag\n"));

        QProcess app;
        m_app.start(app);
        QVERIFY(app.waitForStarted(5000));
        const qint64 pid = app.processId();
        const QRect icon = x.settledTrayIcon(pid);
        QVERIFY(icon.isValid());
        QTRY_VERIFY_WITH_TIMEOUT(m_app.debugLog().contains(QStringLiteral("App gestartet")), 15000);
        const QStringList lines = m_app.debugLog().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("=== Zentu Debug-Log ==="));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] App gestartet$")).match(lines.value(1)).hasMatch(),
                 qPrintable(lines.value(1)));
        QVERIFY(!m_app.debugLog().contains(QStringLiteral("alter Eintrag")));

        // Both permissions hold on X11: 1.2 s after start the first run counts
        // as done and no first-run window opens.
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(m_app.settingsFile()).contains("zentu.onboarding.completed=true"), 15000);
        QCOMPARE(titled(pid, "Zentu.it einrichten"), xcb_window_t(0));

        // A click on the icon opens the panel (340 px wide) with the seeded
        // picture below its header.
        x.click(icon.center());
        auto panel = [&]() -> QRect {
            for (xcb_window_t w : x.children(x.root()))
                if (x.pid(w) == pid && x.viewable(w) && x.rootGeometry(w).width() == 340)
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        const QRect p = panel();
        const auto redPixels = [](const QImage& img) {
            int n = 0;
            for (int py = 60; py < img.height(); ++py)
                for (int px = 0; px < img.width(); ++px) {
                    const QColor c = img.pixelColor(px, py);
                    n += c.red() > 170 && c.green() < 70 && c.blue() < 70;
                }
            return n;
        };
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = grabScreen(p), redPixels(shot) > 96 * 70 * 3 / 4), 15000);
        // "Alle" is the one accent-coloured text at the right edge.
        QPoint sum;
        int accent = 0;
        for (int py = 40; py < shot.height() - 40; ++py)
            for (int px = 280; px < 340; ++px) {
                const QColor c = shot.pixelColor(px, py);
                if (c.blue() > c.red() + 60 && c.blue() > 120) {
                    sum += QPoint(px, py);
                    ++accent;
                }
            }
        QVERIFY(accent > 5);

        // A click elsewhere closes the panel.
        x.click(QPoint(600, 400));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 15000);

        // A second start hands over (the running instance opens its panel) and
        // exits; one instance, one icon and the running instance's log remain.
        QProcess second;
        m_app.start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(app.state(), QProcess::Running);
        QTRY_VERIFY_WITH_TIMEOUT(panel() == p, 15000);
        QCOMPARE(x.trayIcons(pid).size(), 1);
        QVERIFY(x.trayIcons(second.processId()).isEmpty());
        QCOMPARE(m_app.debugLog().count(QStringLiteral("App gestartet")), 1);

        // "Alle" opens the clipboard history window.
        x.click(p.topLeft() + sum / accent);
        QTRY_VERIFY_WITH_TIMEOUT(titled(pid, "Zwischenablage-Verlauf"), 15000);
        QCOMPARE(x.rootGeometry(titled(pid, "Zwischenablage-Verlauf")).size(), QSize(380, 520));

        // "Beenden" in the footer's right corner ends the program (the panel
        // opened again first where the new window took it away).
        if (!panel().isValid())
            x.click(icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        x.click(QPoint(p.right() - 30, p.bottom() - 14));
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(x.trayIcons(pid).isEmpty(), 15000);
    }

    void aDownloadInstallsItselfAndHandsOver()
    {
        const QString home = m_app.root() + QStringLiteral("/home");
        const QString download = home + QStringLiteral("/Downloads/zentu");
        const QString installed = home + QStringLiteral("/.local/bin/zentu");
        QVERIFY(QDir().mkpath(QFileInfo(download).absolutePath()));
        QVERIFY2(QFile::copy(RealApp::binary(), download), qPrintable(RealApp::binary()));
        const QByteArray program = fileContents(download);

        QProcess first;
        first.setProcessEnvironment(m_app.environment());
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(download, {});
        QVERIFY(first.waitForStarted(5000));
        const qint64 firstPid = first.processId();

        // The offer is a window of the first process titled "Zentu.it".
        xcb_window_t offer = 0;
        QVERIFY(QTest::qWaitFor([&] { return (offer = titled(firstPid, "Zentu.it")) != 0; }, 30000));
        // Under load the key can arrive before the toolkit has taken the
        // focus and be dropped: press again while the offer is still there.
        // The toolkit can replace the offer's window by a new one meanwhile
        // (seen under load), so it is looked up again each time.
        bool accepted = false;
        for (int attempt = 0; attempt < 5 && !accepted; ++attempt) {
            if (const xcb_window_t now = titled(firstPid, "Zentu.it"))
                offer = now;
            if (xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(offer)}))
                xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            accepted = QTest::qWaitFor([&] { return titled(firstPid, "Zentu.it") == 0; }, 3000);
        }
        QVERIFY(accepted);

        // The first process ends once the installed copy holds the session.
        QVERIFY(first.state() == QProcess::NotRunning || first.waitForFinished(45000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        const QString lock = m_app.root() + QStringLiteral("/runtime/com.quorel.zentu.lock");
        const qint64 secondPid = fileContents(lock).split('\n').value(0).toLongLong();
        QVERIFY(secondPid > 0 && secondPid != firstPid);
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(secondPid)).canonicalFilePath(),
                 QFileInfo(installed).canonicalFilePath());
        QVERIFY(x.settledTrayIcon(secondPid, 30000).isValid());
        QVERIFY(x.trayIcons(firstPid).isEmpty());

        QCOMPARE(fileContents(installed), program);
        QVERIFY(QFileInfo::exists(m_app.dataHome() + QStringLiteral("/applications/com.quorel.zentu.desktop")));
        QVERIFY(!QFileInfo::exists(download));
        QCOMPARE(fileContents(m_app.dataHome() + QStringLiteral("/Trash/files/zentu")).size(), program.size());

        ::kill(pid_t(secondPid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(lock), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(x.trayIcons(secondPid).isEmpty(), 15000);
    }

    void withoutAnXSessionItSaysWhatIsMissingAndFails_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("a text console or ssh") << "de" << QString() << QString()
            << QStringList{"Zentu.it braucht eine X11-Sitzung, aber die Variable DISPLAY ist nicht gesetzt."};
        QTest::newRow("Wayland only") << "en" << "WAYLAND_DISPLAY" << "wayland-0"
                                      << QStringList{"needs an X11 session", "WAYLAND_DISPLAY is set, DISPLAY is not"};
        QTest::newRow("a DISPLAY that leads nowhere") << "de" << "DISPLAY" << ":947" << QStringList{"X-Server :947"};
    }
    // In the user's language, and with a failure status instead of Qt's plugin error.
    void withoutAnXSessionItSaysWhatIsMissingAndFails()
    {
        QFETCH(QString, language);
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QStringList, said);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANGUAGE"), language);
        if (!variable.isEmpty())
            env.insert(variable, value);
        QProcess app;
        app.setProcessEnvironment(env);
        app.start(RealApp::binary(), {});
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 1);
        const QString errors = QString::fromUtf8(app.readAllStandardError());
        for (const QString& part : said)
            QVERIFY2(errors.contains(part), qPrintable(errors));
        QVERIFY2(!errors.contains(QStringLiteral("plugin")), qPrintable(errors));
    }
};

ZENTU_TEST_MAIN(TestAppShellX11)
#include "tst_appshell_x11.moc"
