// The real program on a real X server with a tray host: the tray icon gets
// embedded, the log is restarted, the icon opens the panel, a second start
// hands over and leaves one instance, SIGTERM ends it cleanly.
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>

class TestAppShellX11 : public QObject {
    Q_OBJECT

    RealApp m_app;

    QString dataHome() const { return m_app.dataHome(); }
    void start(QProcess& p) { m_app.start(p); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_app.useFreshFolders());
        X11Probe x;
        QTRY_VERIFY_WITH_TIMEOUT(!x.tint2Windows().isEmpty(), 10000);
    }

    void startsIntoTheTrayAndHandsOverASecondStart()
    {
        // A log from an earlier run is replaced.
        QDir().mkpath(dataHome() + QStringLiteral("/Zentu.it"));
        QFile old(dataHome() + QStringLiteral("/Zentu.it/debug.log"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[01:02:03.004] alter Eintrag\n");
        old.close();

        QProcess app;
        start(app);
        QVERIFY(app.waitForStarted(5000));
        const qint64 pid = app.processId();
        X11Probe x;
        const QRect icon = x.settledTrayIcon(pid);
        QVERIFY(icon.isValid());

        auto readLog = [this] {
            QFile log(dataHome() + QStringLiteral("/Zentu.it/debug.log"));
            return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("App gestartet")), 15000);
        const QStringList lines = readLog().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("=== Zentu Debug-Log ==="));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] App gestartet$"))
                     .match(lines.value(1)).hasMatch(),
                 qPrintable(lines.value(1)));
        QVERIFY(!readLog().contains(QStringLiteral("alter Eintrag")));

        // Both permissions hold on X11: 1.2 s after start the first run counts
        // as done and no first-run window opens.
        auto config = [this] {
            QFile f(m_app.root() + QStringLiteral("/config/com.quorel.zentu.conf"));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(config().contains(QStringLiteral("zentu.onboarding.completed=true")), 15000);
        for (xcb_window_t w : x.descendants(x.root()))
            QVERIFY(!(x.pid(w) == pid && x.viewable(w)
                      && x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")).contains("einrichten")));

        // A click on the icon opens the panel, 340 px wide, next to the icon.
        x.click(icon.center());
        auto panel = [&]() -> QRect {
            for (xcb_window_t w : x.children(x.root()))
                if (x.pid(w) == pid && x.viewable(w) && x.rootGeometry(w).width() == 340)
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        const QRect p = panel();
        // Right above (or below) the icon; the tray's panel strut may leave a small gap.
        const bool above = p.bottom() < icon.top() && icon.top() - p.bottom() <= 10;
        const bool below = p.top() > icon.bottom() && p.top() - icon.bottom() <= 10;
        QVERIFY2(above || below,
                 qPrintable(QStringLiteral("panel %1,%2 %3x%4 icon %5,%6")
                                .arg(p.x()).arg(p.y()).arg(p.width()).arg(p.height()).arg(icon.x()).arg(icon.y())));
        QVERIFY(p.left() <= icon.center().x() && icon.center().x() <= p.right());

        // A click elsewhere closes the panel.
        x.click(QPoint(600, 400));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 15000);

        // A second start hands over (the running instance opens its panel) and
        // exits; one instance, one icon remain.
        QProcess second;
        start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(app.state(), QProcess::Running);
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        QCOMPARE(x.trayIcons(pid).size(), 1);
        QVERIFY(x.trayIcons(second.processId()).isEmpty());
        // The second start left the running instance's log alone.
        QVERIFY(readLog().startsWith(QStringLiteral("=== Zentu Debug-Log ===\n")));
        QCOMPARE(readLog().count(QStringLiteral("App gestartet")), 1);

        // SIGTERM ends it through the normal quit path.
        ::kill(pid_t(pid), SIGTERM);
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(x.trayIcons(pid).isEmpty(), 15000);

        // And the session is free for the next start.
        QProcess again;
        start(again);
        QVERIFY(again.waitForStarted(5000));
        QVERIFY(x.settledTrayIcon(again.processId()).isValid());
        ::kill(pid_t(again.processId()), SIGTERM);
        QVERIFY(again.waitForFinished(10000));
        QCOMPARE(again.exitCode(), 0);
    }
};

ZENTU_TEST_MAIN(TestAppShellX11)
#include "tst_appshell_x11.moc"
