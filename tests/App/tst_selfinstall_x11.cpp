// The real program started from a download folder: it offers to install
// itself, Return accepts, the installed copy starts and takes over the session
// (tray icon, lock, fresh log), and only then does the download go to the
// Trash and the first process end.
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"
#include "support/RealApp.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>

namespace {

bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    const bool done = p.waitForFinished(30000);
    if (!done)
        p.kill();
    return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}


} // namespace

class TestSelfInstallX11 : public QObject {
    Q_OBJECT

    RealApp m_app;

private Q_SLOTS:
    void aDownloadInstallsItselfAndHandsOver()
    {
        QVERIFY(m_app.useFreshFolders());
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
        X11Probe x;
        auto offer = [&]() -> xcb_window_t {
            for (xcb_window_t w : x.descendants(x.root()))
                if (x.pid(w) == firstPid && x.viewable(w)
                    && x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")) == "Zentu.it")
                    return w;
            return 0;
        };
        xcb_window_t dialog = 0;
        QVERIFY(QTest::qWaitFor([&] { return (dialog = offer()) != 0; }, 30000));
        // Under load the key can arrive before the toolkit has taken the
        // focus and be dropped: press again while the offer is still there.
        // The toolkit can replace the offer's window by a new one meanwhile
        // (seen under load), so it is looked up again each time.
        bool accepted = false;
        for (int attempt = 0; attempt < 5 && !accepted; ++attempt) {
            if (const xcb_window_t now = offer())
                dialog = now;
            if (xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(dialog)}))
                xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            accepted = QTest::qWaitFor([&] { return offer() == 0; }, 3000);
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
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(m_app.dataHome() + QStringLiteral("/Zentu.it/debug.log")).contains("App gestartet"),
                                 15000);

        QCOMPARE(fileContents(installed), program);
        QVERIFY(QFileInfo::exists(m_app.dataHome() + QStringLiteral("/applications/com.quorel.zentu.desktop")));
        QVERIFY(!QFileInfo::exists(download));
        QCOMPARE(fileContents(m_app.dataHome() + QStringLiteral("/Trash/files/zentu")).size(), program.size());

        ::kill(pid_t(secondPid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(lock), 15000);
    }
};

ZENTU_TEST_MAIN(TestSelfInstallX11)
#include "tst_selfinstall_x11.moc"
