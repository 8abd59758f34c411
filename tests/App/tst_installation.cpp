// Installing and uninstalling for the user in the test's own HOME with the
// real file work. Installing from a "download": the offer, the files of the
// install, the hand-over before the download goes to the Trash, declining,
// the places that are never offered, and the failure paths (files that cannot
// be written, an installed copy that does not start). Uninstalling after a
// real install, settings, login item, data, caches and dialog state: nothing
// of ours is left but the program in the Trash (the user's exported pictures
// stay), and a last alert says what went where; a Trash that refuses leaves
// the install whole; Return cancels; what cannot be removed and a program
// installed by other means are listed before the app quits; the coordinator's entry point waits
// for history writes still under way, and reaches the update check.
#include "App/AppCoordinator.h"
#include "App/SelfInstall.h"
#include "App/Uninstaller.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Platform/Qt/MessageBoxAlerts.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "Debug/DebugLog.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/Storage.h"
#include "Updates/AppcastUpdater.h"
#include "fakes/FakeAppPlatform.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace {

struct Rig {
    FakeAlerts alerts;
    FakeProcessLauncher launcher;
    FakeSingleInstance session;
    XdgUserInstallation installation{testFileCalls()};
    XdgPaths paths;
    SelfInstall selfInstall{alerts, launcher, installation, session, paths};

    // The program as the user downloaded it (a name with a blank and a quote,
    // as browsers keep them).
    explicit Rig(const QByteArray& program = "#!/bin/sh\necho v2\n")
    {
        launcher.path = QDir::homePath() + QStringLiteral("/Downloads/zentu (1) 'neu'");
        QVERIFY(plantFile(launcher.path, program));
        // Started by the user, so it can be: a login item may start it too.
        QVERIFY(QFile::setPermissions(launcher.path, QFile::permissions(launcher.path) | QFile::ExeOwner));
    }
    QString installed() const { return installation.installedProgram(); }
    QString trashed() const { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                     + QStringLiteral("/Trash/files/") + QFileInfo(launcher.path).fileName(); }
};

Uninstaller::Services fakeServices(FakeAppPlatform& s)
{
    return {s.alertsFake, s.loginItem, s.defaults, s.installationFake, s.launcherFake, s.appFolders, {}};
}

void plantHelper(const QString& folder)
{
    const QString helper = folder + QStringLiteral("/zentu-pagecapture");
    QVERIFY(plantFile(helper, "#!/bin/sh\necho helper\n"));
    QVERIFY(QFile::setPermissions(helper, QFile::permissions(helper) | QFile::ExeOwner));
}

// The files in the user's Trash (not their .trashinfo records).
QStringList trashedFiles()
{
    const QString files = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files");
    return QDir(files).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestInstallation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        for (const QString& dir : {QDir::homePath(), QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                                   QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)}) {
            QDir(dir).removeRecursively();
            QDir().mkpath(dir);
        }
        qunsetenv("XDG_BIN_HOME");
    }

    void installsADownloadHandsOverAndTrashesIt()
    {
        // XDG_BIN_HOME is followed (a path with a blank is quoted for the
        // desktop); an earlier install of our own is replaced; the login item
        // the download registered follows the program to its new place.
        qputenv("XDG_BIN_HOME", (QDir::homePath() + QStringLiteral("/eigene bin")).toUtf8());
        Rig earlier("#!/bin/sh\necho v1\n");
        QVERIFY(earlier.installation.install(earlier.launcher.path, nullptr));
        QVERIFY(XdgAutostartLoginItem(earlier.installation, testFileCalls(), earlier.launcher.path).registerApp(nullptr));

        Rig rig;
        // The page-capture helper that came with the program goes along.
        plantHelper(QFileInfo(rig.launcher.path).absolutePath());
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::handedOver);

        QCOMPARE(rig.installed(), QDir::homePath() + QStringLiteral("/eigene bin/zentu"));
        QCOMPARE(fileContents(rig.installed()), QByteArray("#!/bin/sh\necho v2\n"));
        const QString exec = QStringLiteral("\nExec=\"") + rig.installed() + QStringLiteral("\"\n");
        QVERIFY(QString::fromUtf8(fileContents(XdgUserInstallation::desktopEntryPath())).contains(exec));
        QVERIFY(QString::fromUtf8(fileContents(XdgAutostartLoginItem::entryPath())).contains(exec));
        // No temporary sibling left beside the program.
        QCOMPARE(QDir(QFileInfo(rig.installed()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("zentu"), QStringLiteral("zentu-pagecapture")}));
        QVERIFY(QFileInfo(XdgUserInstallation::installedHelper()).isExecutable());

        // The installed copy took over before the download went to the Trash.
        QCOMPARE(rig.session.handOvers, QStringList{rig.installed()});
        QVERIFY(!QFileInfo::exists(rig.launcher.path));
        QCOMPARE(fileContents(rig.trashed()), QByteArray("#!/bin/sh\necho v2\n"));
        QVERIFY(QFileInfo::exists(QFileInfo(rig.trashed()).absoluteDir().filePath(QStringLiteral("zentu-pagecapture"))));
        QCOMPARE(rig.launcher.quits, 1);

        // Removing the install puts all of it in the Trash, the marked
        // launcher entry last.
        const Installation::Removal removal = rig.installation.uninstall();
        QCOMPARE(removal.trashed, (QStringList{rig.installed(), XdgUserInstallation::installedHelper(),
                                               XdgUserInstallation::iconPath(), XdgUserInstallation::desktopEntryPath()}));
        QVERIFY(removal.left.isEmpty());
        for (const QString& path : removal.trashed)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        QCOMPARE(trashedFiles().size(), 6); // with the download and its helper
    }

    void decliningLeavesNoTraceAndAsksAgain()
    {
        Rig rig;
        rig.alerts.answers = {1, -1}; // "Nicht verschieben", then the alert closed
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.alerts.shown.size(), 2);
        QVERIFY(!QFileInfo::exists(QDir::homePath() + QStringLiteral("/.local")));
        QVERIFY(QFileInfo::exists(rig.launcher.path));
        QCOMPARE(rig.launcher.quits, 0);
    }

    void installedPlacesAndBuildsAreNeverOffered()
    {
        const QString home = QDir::homePath();
        Rig own;
        QVERIFY(own.installation.install(own.launcher.path, nullptr));
        // cmake --install into a prefix of the user's, and a build tree.
        QVERIFY(plantFile(home + QStringLiteral("/prefix/share/applications/com.quorel.zentu.desktop"), "[Desktop Entry]\n"));
        QVERIFY(plantFile(home + QStringLiteral("/src/build/CMakeCache.txt"), ""));
        const QStringList programs{own.installed(), QStringLiteral("/usr/bin/zentu"), QStringLiteral("/opt/zentu/zentu"),
                                   home + QStringLiteral("/prefix/bin/zentu"), home + QStringLiteral("/src/build/src/zentu")};
        for (const QString& program : programs) {
            QVERIFY(plantFile(program, "x"));
            Rig rig;
            rig.launcher.path = program;
            QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
            QVERIFY2(rig.alerts.shown.isEmpty(), qPrintable(program));
        }
        // Another installer's copy in the user's bin folder: a download is not
        // offered, and that copy stays as it is.
        QVERIFY(QFile::remove(XdgUserInstallation::desktopEntryPath()));
        Rig download;
        QCOMPARE(download.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QVERIFY(download.alerts.shown.isEmpty());
        QCOMPARE(fileContents(own.installed()), QByteArray("x"));
    }

    void aFileThatCannotBeWrittenRollsBackAndKeepsRunning()
    {
        // A folder where the icon should go: the executable is written first,
        // then the icon fails.
        QVERIFY(plantFile(XdgUserInstallation::iconPath() + QStringLiteral("/blockiert"), "x"));
        Rig rig;
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.alerts.shown.value(1).message, QStringLiteral("Installation fehlgeschlagen"));
        QVERIFY(!QFileInfo::exists(rig.installed()));
        QVERIFY(!QFileInfo::exists(XdgUserInstallation::desktopEntryPath()));
        QVERIFY(rig.session.handOvers.isEmpty());
        QVERIFY(QFileInfo::exists(rig.launcher.path));
        QCOMPARE(rig.launcher.quits, 0);
    }

    void anInstalledCopyThatDoesNotStartKeepsThisOneAndTheDownload()
    {
        Rig rig;
        rig.session.handOverWorks = false;
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.session.handOvers, QStringList{rig.installed()});
        QCOMPARE(rig.alerts.shown.size(), 2); // the failure is told
        QVERIFY(QFileInfo::exists(rig.launcher.path));
        QCOMPARE(rig.launcher.quits, 0);
    }

    void removesEverythingOfOursAndQuits()
    {
        // What a user's runs leave: a user-level install, a login item,
        // settings, histories with files, caches, the dialogs' state; this
        // run is from a download.
        const QString download = QDir::homePath() + QStringLiteral("/Downloads/zentu");
        QVERIFY(plantFile(download, "#!/bin/sh\n"));
        plantHelper(QFileInfo(download).absolutePath()); // goes along
        XdgUserInstallation installation(testFileCalls());
        QVERIFY(installation.install(download, nullptr));
        XdgAutostartLoginItem loginItem(installation, testFileCalls(), installation.installedProgram());
        QVERIFY(loginItem.registerApp(nullptr));
        SettingsFileUserDefaults defaults(testFileCalls());
        defaults.setValue(QStringLiteral("zentu.settings.v1"), QByteArray("{}"));
        DebugLog::write(QStringLiteral("App gestartet"));
        QVERIFY(plantFile(testFolders().screenshotsDirectory() + QStringLiteral("/Zentu.it_Screenshot_1.png")));
        for (const QString& cache : installation.cacheDirectories())
            QVERIFY(plantFile(cache + QStringLiteral("/cache.bin")));
        QVERIFY(plantFile(installation.dialogStateDirectory() + QStringLiteral("/QtProject.conf"), "[FileDialog]\n"));
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + QStringLiteral("/Zentu.it");
        QVERIFY(plantFile(pictures + QStringLiteral("/mein Bild.png")));

        FakeAlerts alerts;
        FakeProcessLauncher launcher;
        launcher.path = download;
        bool stoppedFirst = false;
        Uninstaller uninstaller({alerts, loginItem, defaults, installation, launcher, testFolders(), [&] { return pictures; }},
                                [&] { stoppedFirst = QFileInfo::exists(testFolders().baseDirectory()); });
        int quitsAtReport = -1;
        alerts.onShow = [&](const Alerts::Alert&) { quitsAtReport = launcher.quits; };
        QVERIFY(uninstaller.confirmAndRun());

        QCOMPARE(alerts.shown.first().defaultButton, 1); // "Abbrechen"
        QVERIFY(stoppedFirst);
        QCOMPARE(launcher.quits, 1);
        // Only the user's own pictures and our program in the Trash are left.
        QStringList left = filesBelow(QFileInfo(QDir::homePath()).absolutePath());
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/");
        left.removeIf([&](const QString& file) { return file.startsWith(trash); });
        QCOMPARE(left, QStringList{pictures + QStringLiteral("/mein Bild.png")});
        QCOMPARE(trashedFiles().size(), 6); // the install's four files, the download and its helper
        QCOMPARE(QDir(trash + QStringLiteral("info")).entryList(QDir::Files).size(), 6);

        // Before quitting, the user learns what went where and what stays.
        QCOMPARE(alerts.shown.size(), 2);
        QCOMPARE(quitsAtReport, 0);
        const Alerts::Alert& report = alerts.shown.last();
        QCOMPARE(report.message, QStringLiteral("Zentu.it wurde deinstalliert"));
        QCOMPARE(report.buttons, QStringList{QStringLiteral("OK")});
        for (const QString& part : {QStringLiteral("Entfernt:\n• Autostart-Eintrag\n• Einstellungen\n• Screenshots, Verläufe und Protokoll: ")
                                        + testFolders().baseDirectory(),
                                    QStringLiteral("• ") + installation.dialogStateDirectory(),
                                    QStringLiteral("In den Papierkorb verschoben"), QStringLiteral("• ") + installation.installedProgram(),
                                    QStringLiteral("• ") + download,
                                    QStringLiteral("Deine gespeicherten Bilder bleiben erhalten: ") + pictures})
            QVERIFY2(report.informativeText.contains(part), qPrintable(part + QStringLiteral(" in ") + report.informativeText));
        QVERIFY(!report.informativeText.contains(QStringLiteral("nicht entfernt")));

        // Later log lines do not bring the data folder back.
        DebugLog::write(QStringLiteral("nach der Deinstallation"));
        QVERIFY(!QFileInfo::exists(testFolders().baseDirectory()));
    }

    void aTrashThatRefusesLeavesTheInstallWhole()
    {
        // The Trash cannot be written: the program stays, and so does the
        // marked launcher entry, so the uninstallation can be repeated.
        const QString download = QDir::homePath() + QStringLiteral("/Downloads/zentu");
        QVERIFY(plantFile(download, "#!/bin/sh\n"));
        XdgUserInstallation installation(testFileCalls());
        QVERIFY(installation.install(download, nullptr));
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
        QVERIFY(plantFile(trash, "kein Ordner"));
        const Installation::Removal removal = installation.uninstall();
        QVERIFY(removal.trashed.isEmpty());
        QCOMPARE(removal.left, (QStringList{installation.installedProgram(), XdgUserInstallation::iconPath(),
                                            XdgUserInstallation::desktopEntryPath()}));
        QCOMPARE(installation.placement(installation.installedProgram()), Installation::Placement::userInstall);
        // Nothing went to a "Trash" of the toolkit's own choosing either.
        QVERIFY(!QFileInfo::exists(QDir::currentPath() + QStringLiteral("/files")));
    }

    void returnCancels()
    {
        FakeAppPlatform services;
        services.alertsFake.answers = {1};
        Uninstaller uninstaller(fakeServices(services), {});
        QVERIFY(!uninstaller.confirmAndRun());
        QCOMPARE(services.defaults.domainRemovals, 0);
        QCOMPARE(services.launcherFake.quits, 0);

        // The real alert: Return presses "Abbrechen", also while the
        // destructive button has the focus.
        for (const bool focusFirst : {false, true}) {
            QTimer::singleShot(0, [focusFirst] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                if (focusFirst)
                    box->buttons().at(0)->setFocus();
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return); // as a real key goes
            });
            Alerts::Alert alert{QStringLiteral("?"), QString(), {QStringLiteral("Deinstallieren"), QStringLiteral("Abbrechen")}, false};
            alert.defaultButton = 1;
            QCOMPARE(MessageBoxAlerts().runModal(alert), 1);
        }
    }

    void leftoversAndAProgramInstalledOtherwiseAreListedBeforeQuitting()
    {
        FakeAppPlatform services;
        services.loginItem.enabled = true;
        services.loginItem.failing = true;
        services.defaults.removalError = QStringLiteral("/cfg/com.quorel.zentu.conf: schreibgeschützt");
        services.installationFake.uninstallLeftovers = {QStringLiteral("/home/u/.local/bin/zentu")};
        services.launcherFake.path = QStringLiteral("/usr/bin/zentu");
        int quitsAtReport = -1;
        services.alertsFake.onShow = [&](const Alerts::Alert&) { quitsAtReport = services.launcherFake.quits; };
        Uninstaller uninstaller(fakeServices(services), {});
        const Uninstaller::Report result = uninstaller.run();
        QCOMPARE(result.left.size(), 3);
        QCOMPARE(result.keptProgram, QStringLiteral("/usr/bin/zentu"));

        QCOMPARE(services.alertsFake.shown.size(), 1);
        QCOMPARE(quitsAtReport, 0);
        QCOMPARE(services.launcherFake.quits, 1);
        const Alerts::Alert& report = services.alertsFake.shown.first();
        QCOMPARE(report.message, QStringLiteral("Deinstallation unvollständig"));
        QVERIFY(!report.informational);
        for (const QString& part : {QStringLiteral("Folgendes konnte nicht entfernt werden:\n"),
                                    QStringLiteral("Autostart-Eintrag: abgelehnt"), services.defaults.removalError,
                                    QStringLiteral("/home/u/.local/bin/zentu"),
                                    QStringLiteral("(z. B. mit der Paketverwaltung): /usr/bin/zentu")})
            QVERIFY2(report.informativeText.contains(part), qPrintable(part));
    }

    void theCoordinatorOffersUninstallAndTheUpdateCheck()
    {
        FakeAppPlatform services;
        AppCoordinator coordinator(services.platform(), services);
        coordinator.start();
        QVERIFY(coordinator.updater().isStarted());
        coordinator.checkForUpdates();
        QCOMPARE(services.updateFeed.fetched.size(), 1);

        // A capture whose files are still being written must not bring the
        // removed folder back.
        coordinator.environment().screenshotStore->add(noisyImage(1500, 1500, QImage::Format_RGB32), CaptureKind::area);

        services.alertsFake.shown.clear();
        coordinator.confirmAndUninstall();
        coordinator.environment().screenshotStore->waitForPendingWrites();
        QVERIFY(!QFileInfo::exists(testFolders().baseDirectory()));
        QVERIFY(!coordinator.clipboardMonitor().isRunning());
        QVERIFY(!coordinator.updater().isStarted());
        QCOMPARE(services.installationFake.uninstalls, 1);
        QCOMPARE(services.launcherFake.quits, 1);
    }
};

ZENTU_TEST_MAIN(TestInstallation)
#include "tst_installation.moc"
