// Uninstalling in the test's own HOME: after a real install, settings, login
// item, data and caches, nothing of ours is left (the user's exported
// pictures stay); Return cancels; what cannot be removed and a program
// installed by other means are listed before the app quits; a loose copy goes
// to the Trash; the coordinator's entry points reach the uninstaller and the
// update check.
#include "App/AppCoordinator.h"
#include "App/Uninstaller.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Debug/DebugLog.h"
#include "Platform/Qt/MessageBoxAlerts.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "Storage/Storage.h"
#include "fakes/FakeCoordinatorServices.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/IsolatedEnvironment.h"

#include <QApplication>
#include <QDirIterator>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace {

void writeFile(const QString& path, const QByteArray& data = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// Every file below the test's HOME and XDG folders.
QStringList filesLeft()
{
    QStringList files;
    QDirIterator it(QFileInfo(QDir::homePath()).absolutePath(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

QString dataHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }

} // namespace

class TestUninstaller : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void removesEverythingOfOursAndQuits()
    {
        // What a user's run leaves: the user-level install (running from it),
        // a login item, settings, histories with files, caches.
        const QString download = QDir::homePath() + QStringLiteral("/Downloads/zentu");
        writeFile(download, "#!/bin/sh\n");
        XdgUserInstallation installation;
        QString error;
        QVERIFY2(installation.install(download, &error), qPrintable(error));
        QVERIFY(QFile::remove(download));
        XdgAutostartLoginItem loginItem(installation.installedProgram());
        QVERIFY(loginItem.registerApp(nullptr));
        SettingsFileUserDefaults defaults;
        defaults.setValue(QStringLiteral("zentu.settings.v1"), QByteArray("{}"));
        Storage::ensureDirectories();
        DebugLog::write(QStringLiteral("App gestartet"));
        writeFile(Storage::screenshotsDirectory() + QStringLiteral("/Zentu.it_Screenshot_1.png"));
        writeFile(Storage::baseDirectory() + QStringLiteral("/screenshots.json"), "[]");
        for (const QString& cache : installation.cacheDirectories())
            writeFile(cache + QStringLiteral("/cache.bin"));
        const QString exported = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
            + QStringLiteral("/Zentu.it/mein Bild.png");
        writeFile(exported);

        FakeAlerts alerts;
        FakeProcessLauncher launcher;
        launcher.path = installation.installedProgram();
        XdgPaths paths;
        bool stoppedFirst = false;
        Uninstaller uninstaller({alerts, loginItem, defaults, installation, launcher, paths},
                                [&] { stoppedFirst = QFileInfo::exists(Storage::baseDirectory()); });
        QVERIFY(uninstaller.confirmAndRun());

        const Alerts::Alert& confirm = alerts.shown.first();
        QCOMPARE(confirm.message, QStringLiteral("Zentu.it deinstallieren?"));
        QCOMPARE(confirm.buttons, (QStringList{QStringLiteral("Deinstallieren"), QStringLiteral("Abbrechen")}));
        QCOMPARE(confirm.defaultButton, 1);
        QVERIFY(!confirm.informational);
        QVERIFY(stoppedFirst);
        QCOMPARE(alerts.shown.size(), 1); // nothing left to report
        QCOMPARE(launcher.quits, 1);
        QCOMPARE(filesLeft(), QStringList{exported});

        // Later log lines do not bring the data folder back.
        DebugLog::write(QStringLiteral("nach der Deinstallation"));
        QVERIFY(!QFileInfo::exists(Storage::baseDirectory()));
    }

    void returnCancels()
    {
        FakeAlerts alerts;
        alerts.answers = {1};
        FakeLoginItemService loginItem;
        loginItem.enabled = true;
        FakeUserDefaults defaults;
        FakeInstallation installation;
        FakeProcessLauncher launcher;
        XdgPaths paths;
        Uninstaller uninstaller({alerts, loginItem, defaults, installation, launcher, paths}, {});
        QVERIFY(!uninstaller.confirmAndRun());
        QVERIFY(loginItem.enabled);
        QCOMPARE(defaults.domainRemovals, 0);
        QCOMPARE(installation.uninstalls, 0);
        QCOMPARE(launcher.quits, 0);

        // The real alert: Return presses "Abbrechen", also while the
        // destructive button has the focus.
        for (const bool focusFirst : {false, true}) {
            QTimer::singleShot(0, [focusFirst] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                if (focusFirst)
                    box->buttons().at(0)->setFocus();
                // Where a real key press goes: the focused button first.
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            });
            Alerts::Alert alert{QStringLiteral("?"), QString(),
                                {QStringLiteral("Deinstallieren"), QStringLiteral("Abbrechen")}, false};
            alert.defaultButton = 1;
            QCOMPARE(MessageBoxAlerts().runModal(alert), 1);
        }
    }

    void leftoversAndAProgramInstalledOtherwiseAreListedBeforeQuitting()
    {
        FakeAlerts alerts;
        FakeLoginItemService loginItem;
        loginItem.enabled = true;
        loginItem.failing = true;
        FakeUserDefaults defaults;
        defaults.removalError = QStringLiteral("/cfg/com.quorel.zentu.conf: schreibgeschützt");
        Storage::ensureDirectories();
        FakeInstallation installation;
        installation.uninstallLeftovers = {QStringLiteral("/home/u/.local/bin/zentu")};
        FakeProcessLauncher launcher;
        launcher.path = QStringLiteral("/usr/bin/zentu");
        XdgPaths paths;
        int quitsAtReport = -1;
        alerts.onShow = [&](const Alerts::Alert&) { quitsAtReport = launcher.quits; };
        Uninstaller uninstaller({alerts, loginItem, defaults, installation, launcher, paths}, {});
        const QStringList left = uninstaller.run();

        QCOMPARE(alerts.shown.size(), 1);
        QCOMPARE(quitsAtReport, 0);
        QCOMPARE(launcher.quits, 1);
        const Alerts::Alert& report = alerts.shown.first();
        QCOMPARE(report.message, QStringLiteral("Deinstallation unvollständig"));
        for (const QString& part : {QStringLiteral("Folgendes konnte nicht entfernt werden:\n"),
                                    QStringLiteral("Autostart-Eintrag: abgelehnt"), defaults.removalError,
                                    QStringLiteral("/home/u/.local/bin/zentu"),
                                    QStringLiteral("(z. B. mit der Paketverwaltung): /usr/bin/zentu")})
            QVERIFY2(report.informativeText.contains(part), qPrintable(part));
        QCOMPARE(left.size(), 4);
        QVERIFY(!QFileInfo::exists(Storage::baseDirectory()));
    }

    void aLooseCopyGoesToTheTrash()
    {
        FakeAlerts alerts;
        FakeLoginItemService loginItem;
        FakeUserDefaults defaults;
        XdgUserInstallation installation;
        FakeProcessLauncher launcher;
        launcher.path = QDir::homePath() + QStringLiteral("/Downloads/zentu-neu");
        writeFile(launcher.path);
        XdgPaths paths;
        Uninstaller uninstaller({alerts, loginItem, defaults, installation, launcher, paths}, {});
        QVERIFY(uninstaller.run().isEmpty());
        QVERIFY(alerts.shown.isEmpty());
        QVERIFY(!QFileInfo::exists(launcher.path));
        QVERIFY(QFileInfo::exists(dataHome() + QStringLiteral("/Trash/files/zentu-neu")));
    }

    void theCoordinatorOffersUninstallAndTheUpdateCheck()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        coordinator.start();
        QVERIFY(coordinator.clipboardMonitor().isRunning());
        QVERIFY(coordinator.updater().isStarted());

        coordinator.checkForUpdates();
        QCOMPARE(services.updateFeed.fetched,
                 QList<QUrl>{QUrl(QStringLiteral("https://updates.zentu.example/appcast.xml"))});

        services.alertsFake.shown.clear();
        services.alertsFake.answers = {0};
        services.loginItem.enabled = true;
        coordinator.confirmAndUninstall();
        QCOMPARE(services.alertsFake.shown.first().message, QStringLiteral("Zentu.it deinstallieren?"));
        QVERIFY(!coordinator.clipboardMonitor().isRunning());
        QVERIFY(!coordinator.updater().isStarted());
        QVERIFY(!services.loginItem.enabled);
        QCOMPARE(services.installationFake.uninstalls, 1);
        QCOMPARE(services.launcherFake.quits, 1);
    }
};

ZENTU_TEST_MAIN(TestUninstaller)
#include "tst_uninstaller.moc"
