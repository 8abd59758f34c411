// The real program on a real X server with a tray host, over seeded
// histories: the tray icon gets embedded and the log restarted, and this first
// start from the build tree writes no login item; the icon opens
// the panel showing the seeded picture; a second start hands over and leaves
// one instance; "Alle" opens the clipboard history; "Beenden" ends the
// program. Then, from a throw-away home and driven through the screen
// reader's view (AT-SPI): a copy started from a download folder offers to
// install itself with its buttons as written ("Verschieben & neu starten",
// the "&" no shortcut mark) and says where it goes; declined, it starts into
// the tray; started again, it offers again, Return accepts, the installed
// copy takes over the session and only then does the download go to the Trash
// and the first process end; SIGTERM ends the installed copy through the
// normal quit path. In German and in English: the program installed for the
// user (with a login item) runs in the tray; Qt's folder chooser, opened from
// the settings, speaks German throughout in a German session, and closed it
// leaves Qt's state to keep; the About tab's "Zentu.it deinstallieren…" is
// confirmed with a click. The last alert reports what went, the program
// quits, its install lies in the Trash, and no file of ours is left anywhere
// (no QtProject.conf either). Started without an X display, it says plainly
// that it needs an X11 session and exits 1.
#include "Localization/Localizer.h"
#include "MenuBar/PanelFixture.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "Storage/Storage.h"
#include "support/AtspiNodes.h"
#include "support/IsolatedEnvironment.h"
#include "support/PixelCount.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/ScreenReader.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>

using namespace AtspiNodes;

namespace {
// Every name of the window's buttons and labels (what a screen reader reads).
QStringList wordsOf(const AtspiNode& window)
{
    return namesBelow(window, QList<AtspiRole>(buttonRoles()) << ATSPI_ROLE_LABEL << ATSPI_ROLE_STATIC);
}
} // namespace

class TestAppShellX11 : public QObject {
    Q_OBJECT

    RealApp m_app;
    X11Probe x;

    xcb_window_t titled(qint64 pid, const QByteArray& title) const { return x.windowTitled(pid, title); }
    ScreenReader m_reader;
    RealApp m_real; // in this test's own folders, for the screen reader
    QProcess m_program;
    std::unique_ptr<Localizer> m_texts;

    // The German text in the language of the current row.
    QString t(const char* german) const { return m_texts->translate(QString::fromUtf8(german)); }
    // The first node of the application, in any of its windows, with this name.
    AtspiNode anywhere(const QString& name, const QList<AtspiRole>& roles) const
    {
        return find(application(m_program.processId()), name, roles);
    }
    bool pressWhenThere(const QString& name, const QList<AtspiRole>& roles)
    {
        AtspiNode node;
        return QTest::qWaitFor([&] { return bool(node = anywhere(name, roles)); }, 20000) && press(node);
    }
    void startProgram(const QString& program)
    {
        m_program.setProcessEnvironment(m_real.environment());
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(program, {});
        QVERIFY(m_program.waitForStarted(5000));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_app.useFreshFolders());
        QTRY_VERIFY_WITH_TIMEOUT(!x.tint2Windows().isEmpty(), 10000);
        QVERIFY(m_reader.attach(m_real));
        m_real.setEnvironmentVariable(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
    }
    void cleanupTestCase() { stopQuietly(m_program); }

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
        // A first start from the build tree registers no start at login: the
        // entry would start a build that may be gone. The installed copy's
        // first start still will (the first-start mark is left for it).
        QVERIFY(!QFileInfo::exists(m_app.root() + QStringLiteral("/config/autostart/com.quorel.zentu.desktop")));
        QVERIFY(!fileContents(m_app.settingsFile()).contains("zentu.launchAtLogin.defaulted"));

        // A click on the icon opens the panel (340 px wide) with the seeded
        // picture below its header.
        x.click(icon.center());
        const auto panel = [&] { return x.topLevelOfWidth(pid, 340); };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        const QRect p = panel();
        const auto red = [](QColor c) { return c.red() > 170 && c.green() < 70 && c.blue() < 70; };
        const QRect belowHeader(0, 60, p.width(), p.height() - 60);
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = grabScreen(p), countPixels(shot, belowHeader, red) > 96 * 70 * 3 / 4), 15000);
        // "Alle" is the one accent-coloured text at the right edge.
        const PixelMatches accent = matchingPixels(shot, QRect(280, 40, 60, shot.height() - 80), [](QColor c) {
            return c.blue() > c.red() + 60 && c.blue() > 120;
        });
        QVERIFY(accent.count > 5);

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
        x.click(p.topLeft() + accent.centre);
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

    void aDownloadOffersToInstallItselfAndHandsOver()
    {
        const QString download = QDir::homePath() + QStringLiteral("/Downloads/zentu");
        const QString installed = QDir::homePath() + QStringLiteral("/.local/bin/zentu");
        QVERIFY(QDir().mkpath(QFileInfo(download).absolutePath()));
        QVERIFY(QFile::copy(RealApp::binary(), download));
        const QByteArray program = fileContents(download);
        startProgram(download);

        // The offer's window: the one with "Nicht verschieben".
        const auto offer = [&] {
            const AtspiNode app = application(m_program.processId());
            for (int i = 0; i < childCount(app); ++i)
                if (const AtspiNode w = childOf(app, i); w && find(w, QStringLiteral("Nicht verschieben"), buttonRoles()))
                    return w;
            return AtspiNode();
        };
        QTRY_VERIFY_WITH_TIMEOUT(offer(), 30000);
        const QStringList words = wordsOf(offer());
        // The "&" is shown, not taken for a shortcut mark (which would leave
        // "Verschieben  neu starten").
        QVERIFY2(words.contains(QStringLiteral("Verschieben & neu starten")), qPrintable(words.join(" | ")));
        QVERIFY2(words.contains(QStringLiteral("Zentu.it für dein Benutzerkonto installieren?")), qPrintable(words.join(" | ")));
        QVERIFY2(words.join(QLatin1Char(' ')).contains(QStringLiteral("nach ~/.local/bin verschoben")), qPrintable(words.join(" | ")));
        for (const QString& w : words)
            QVERIFY2(!w.contains(QStringLiteral("Programme-Ordner")) && !w.contains(QStringLiteral("Berechtigungen")), qPrintable(w));

        // Declined: the download stays and starts into the tray.
        QVERIFY(x.clickUntil([&] { return extents(find(offer(), QStringLiteral("Nicht verschieben"), buttonRoles())); },
                             [&] { return !offer(); }, 5, 4000));
        QVERIFY(x.settledTrayIcon(m_program.processId(), 30000).isValid());
        QVERIFY(QFile::exists(download));
        QVERIFY(!QFile::exists(installed));
        stopQuietly(m_program);

        // Started again it offers again, a window of the first process titled "Zentu.it".
        startProgram(download);
        const qint64 firstPid = m_program.processId();
        xcb_window_t offered = 0;
        QVERIFY(QTest::qWaitFor([&] { return (offered = titled(firstPid, "Zentu.it")) != 0; }, 30000));
        // Under load the key can arrive before the toolkit has taken the
        // focus and be dropped: press again while the offer is still there.
        // The toolkit can replace the offer's window by a new one meanwhile
        // (seen under load), so it is looked up again each time.
        bool accepted = false;
        for (int attempt = 0; attempt < 5 && !accepted; ++attempt) {
            if (const xcb_window_t now = titled(firstPid, "Zentu.it"))
                offered = now;
            if (xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(offered)}))
                xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            accepted = QTest::qWaitFor([&] { return titled(firstPid, "Zentu.it") == 0; }, 3000);
        }
        QVERIFY(accepted);

        // The first process ends once the installed copy holds the session.
        QVERIFY(m_program.state() == QProcess::NotRunning || m_program.waitForFinished(45000));
        QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.exitCode(), 0);
        const QString lock = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/com.quorel.zentu.lock");
        const qint64 secondPid = fileContents(lock).split('\n').value(0).toLongLong();
        QVERIFY(secondPid > 0 && secondPid != firstPid);
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(secondPid)).canonicalFilePath(),
                 QFileInfo(installed).canonicalFilePath());
        QVERIFY(x.settledTrayIcon(secondPid, 30000).isValid());
        QVERIFY(x.trayIcons(firstPid).isEmpty());

        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        QCOMPARE(fileContents(installed), program);
        QVERIFY(QFileInfo::exists(dataHome + QStringLiteral("/applications/com.quorel.zentu.desktop")));
        QVERIFY(!QFileInfo::exists(download));
        QCOMPARE(fileContents(dataHome + QStringLiteral("/Trash/files/zentu")).size(), program.size());

        ::kill(pid_t(secondPid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(lock), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(x.trayIcons(secondPid).isEmpty(), 15000);
    }

    void anUninstallLeavesOurProgramInTheTrashAndNoFileOfOurs_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("chooserSays"); // Qt's own texts
        QTest::newRow("de") << QStringLiteral("de") << QStringList{"Auswählen", "Abbrechen", "Suchen in:"};
        QTest::newRow("en") << QStringLiteral("en") << QStringList();
    }
    void anUninstallLeavesOurProgramInTheTrashAndNoFileOfOurs()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, chooserSays);
        m_texts = std::make_unique<Localizer>([language] { return QStringList{language}; });
        m_real.setEnvironmentVariable(QStringLiteral("LANGUAGE"), language);
        // A home as new as the user's first day.
        for (const char* folder : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
            QDir(qEnvironmentVariable(folder)).removeRecursively();
            QVERIFY(QDir().mkpath(qEnvironmentVariable(folder)));
        }
        // Installed for the user as the program installs itself, starting at login.
        XdgUserInstallation installation(testFileCalls());
        QString error;
        QVERIFY2(installation.install(RealApp::binary(), &error), qPrintable(error));
        const QString program = installation.installedProgram();
        QVERIFY(XdgAutostartLoginItem(installation, testFileCalls(), program).registerApp(nullptr));
        const qint64 programSize = QFileInfo(program).size();
        startProgram(program);
        const QRect icon = x.settledTrayIcon(m_program.processId(), 30000);
        QVERIFY(icon.isValid());

        // The settings, through the panel.
        QVERIFY(x.clickUntil([&] { return icon; }, [&] { return bool(anywhere(t("Einstellungen"), buttonRoles())); }));
        QVERIFY(pressWhenThere(t("Einstellungen"), buttonRoles()));
        QTRY_VERIFY_WITH_TIMEOUT(x.windowTitled(m_program.processId(), t("Zentu.it Einstellungen").toUtf8()) != 0, 20000);

        // The folder chooser in the session's language; closed again, Qt's
        // dialog writes what it remembers.
        const QString chooserTitle = t("Speicherort für Screenshots");
        const auto chooser = [&] { return x.windowTitled(m_program.processId(), chooserTitle.toUtf8()); };
        QVERIFY(pressWhenThere(t("Ändern …"), buttonRoles()));
        QTRY_VERIFY_WITH_TIMEOUT(chooser() != 0, 20000);
        if (!chooserSays.isEmpty()) {
            QStringList words;
            QTRY_VERIFY_WITH_TIMEOUT((words = wordsOf(window(m_program.processId(), chooserTitle))).contains(chooserSays.first()), 10000);
            for (const QString& said : chooserSays)
                QVERIFY2(words.contains(said), qPrintable(said + QStringLiteral(" not in ") + words.join(" | ")));
            for (const char* english : {"Cancel", "Look in:", "Files of type:", "Directory:", "File name:", "Back", "Detail View"})
                QVERIFY2(!words.contains(QString::fromLatin1(english)), qPrintable(english + QStringLiteral(" in ") + words.join(" | ")));
        }
        for (int attempt = 0; attempt < 5 && chooser(); ++attempt) {
            if (xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(chooser())}))
                xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
            (void)QTest::qWaitFor([&] { return chooser() == 0; }, 3000);
        }
        QCOMPARE(chooser(), xcb_window_t(0));
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString dialogState = installation.dialogStateDirectory() + QStringLiteral("/QtProject.conf");
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(dialogState).contains("[FileDialog]"), 10000);
        QVERIFY(!QFileInfo::exists(config + QStringLiteral("/QtProject.conf")));

        // "Über", "Zentu.it deinstallieren…", and the click on "Deinstallieren".
        QVERIFY(pressWhenThere(t("Über"), {ATSPI_ROLE_PAGE_TAB}));
        QVERIFY(pressWhenThere(t("Zentu.it deinstallieren…"), buttonRoles()));
        QVERIFY(pressWhenThere(t("Deinstallieren"), buttonRoles()));

        // The last alert, before the program quits.
        QVERIFY(QTest::qWaitFor([&] { return bool(anywhere(t("Zentu.it wurde deinstalliert"), {ATSPI_ROLE_LABEL})); }, 30000));
        QCOMPARE(m_program.state(), QProcess::Running);
        QVERIFY(pressWhenThere(t("OK"), buttonRoles()));
        QVERIFY(m_program.waitForFinished(20000));
        QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.exitCode(), 0);

        // The install is in the Trash as a whole, the program unchanged.
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
        QStringList trashed = QDir(trash + QStringLiteral("/files")).entryList(QDir::Files);
        trashed.sort();
        QCOMPARE(trashed, (QStringList{QStringLiteral("com.quorel.zentu.desktop"), QStringLiteral("com.quorel.zentu.svg"),
                                      QStringLiteral("zentu"), QStringLiteral("zentu-pagecapture")}));
        QCOMPARE(QFileInfo(trash + QStringLiteral("/files/zentu")).size(), programSize);
        QCOMPARE(QDir(trash + QStringLiteral("/info")).entryList(QDir::Files).size(), 4);

        // Nothing else of ours anywhere in the home and XDG folders.
        QStringList left = filesBelow(QFileInfo(QDir::homePath()).absolutePath());
        // dconf's own file in the runtime folder belongs to the session's
        // accessibility bus, which the screen reader's view started.
        const QString dconf = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/dconf/");
        left.removeIf([&](const QString& file) { return file.startsWith(trash + u'/') || file.startsWith(dconf); });
        QVERIFY2(left.isEmpty(), qPrintable(left.join(u'\n')));
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
