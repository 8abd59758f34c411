// Uninstalling in the test's own HOME: after a real install, settings, login
// item, data and caches, nothing of ours is left but the loose copy in the
// Trash (the user's exported pictures stay); Return cancels; what cannot be
// removed and a program installed by other means are listed before the app
// quits; the coordinator's entry points reach the uninstaller and the update
// check.
#include "App/AppCoordinator.h"
#include "App/Uninstaller.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Storage/DebugLog.h"
#include "Platform/Qt/MessageBoxAlerts.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/Storage.h"
#include "fakes/FakeCoordinatorServices.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace {

Uninstaller::Services fakeServices(FakeCoordinatorServices& s)
{
    return {s.alertsFake, s.loginItem, s.defaults, s.installationFake, s.launcherFake, Storage::paths()};
}

// Every file below the test's HOME and XDG folders.
QStringList filesLeft()
{
    QStringList files;
    QDirIterator it(QFileInfo(QDir::homePath()).absolutePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

} // namespace

class TestUninstaller : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void removesEverythingOfOursAndQuits()
    {
        // What a user's runs leave: a user-level install, a login item,
        // settings, histories with files, caches; this run is from a download.
        const QString download = QDir::homePath() + QStringLiteral("/Downloads/zentu");
        QVERIFY(plantFile(download, "#!/bin/sh\n"));
        // Its page-capture helper lies beside it and goes along.
        const QString helper = QDir::homePath() + QStringLiteral("/Downloads/zentu-pagecapture");
        QVERIFY(plantFile(helper, "#!/bin/sh\n"));
        QVERIFY(QFile::setPermissions(helper, QFile::permissions(helper) | QFile::ExeOwner));
        XdgUserInstallation installation;
        QVERIFY(installation.install(download, nullptr));
        XdgAutostartLoginItem loginItem(installation.installedProgram());
        QVERIFY(loginItem.registerApp(nullptr));
        SettingsFileUserDefaults defaults;
        defaults.setValue(QStringLiteral("zentu.settings.v1"), QByteArray("{}"));
        DebugLog::write(QStringLiteral("App gestartet"));
        QVERIFY(plantFile(Storage::screenshotsDirectory() + QStringLiteral("/Zentu.it_Screenshot_1.png")));
        for (const QString& cache : installation.cacheDirectories())
            QVERIFY(plantFile(cache + QStringLiteral("/cache.bin")));
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        QVERIFY(plantFile(pictures + QStringLiteral("/Zentu.it/mein Bild.png")));

        FakeAlerts alerts;
        FakeProcessLauncher launcher;
        launcher.path = download;
        XdgPaths paths;
        bool stoppedFirst = false;
        Uninstaller uninstaller({alerts, loginItem, defaults, installation, launcher, paths},
                                [&] { stoppedFirst = QFileInfo::exists(Storage::baseDirectory()); });
        QVERIFY(uninstaller.confirmAndRun());

        QCOMPARE(alerts.shown.first().defaultButton, 1); // "Abbrechen"
        QVERIFY(stoppedFirst);
        QCOMPARE(alerts.shown.size(), 1); // nothing left to report
        QCOMPARE(launcher.quits, 1);
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
        QStringList expected{pictures + QStringLiteral("/Zentu.it/mein Bild.png"), trash + QStringLiteral("/files/zentu"),
                             trash + QStringLiteral("/info/zentu.trashinfo"),
                             trash + QStringLiteral("/files/zentu-pagecapture"),
                             trash + QStringLiteral("/info/zentu-pagecapture.trashinfo")};
        expected.sort();
        QCOMPARE(filesLeft(), expected);

        // Later log lines do not bring the data folder back.
        DebugLog::write(QStringLiteral("nach der Deinstallation"));
        QVERIFY(!QFileInfo::exists(Storage::baseDirectory()));
    }

    void returnCancels()
    {
        FakeCoordinatorServices services;
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
        FakeCoordinatorServices services;
        services.loginItem.enabled = true;
        services.loginItem.failing = true;
        services.defaults.removalError = QStringLiteral("/cfg/com.quorel.zentu.conf: schreibgeschützt");
        services.installationFake.uninstallLeftovers = {QStringLiteral("/home/u/.local/bin/zentu")};
        services.launcherFake.path = QStringLiteral("/usr/bin/zentu");
        int quitsAtReport = -1;
        services.alertsFake.onShow = [&](const Alerts::Alert&) { quitsAtReport = services.launcherFake.quits; };
        Uninstaller uninstaller(fakeServices(services), {});
        QCOMPARE(uninstaller.run().size(), 4);

        QCOMPARE(services.alertsFake.shown.size(), 1);
        QCOMPARE(quitsAtReport, 0);
        QCOMPARE(services.launcherFake.quits, 1);
        const Alerts::Alert& report = services.alertsFake.shown.first();
        QCOMPARE(report.message, QStringLiteral("Deinstallation unvollständig"));
        for (const QString& part : {QStringLiteral("Folgendes konnte nicht entfernt werden:\n"),
                                    QStringLiteral("Autostart-Eintrag: abgelehnt"), services.defaults.removalError,
                                    QStringLiteral("/home/u/.local/bin/zentu"),
                                    QStringLiteral("(z. B. mit der Paketverwaltung): /usr/bin/zentu")})
            QVERIFY2(report.informativeText.contains(part), qPrintable(part));
    }

    void theCoordinatorOffersUninstallAndTheUpdateCheck()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        coordinator.start();
        QVERIFY(coordinator.updater().isStarted());
        coordinator.checkForUpdates();
        QCOMPARE(services.updateFeed.fetched, QList<QUrl>{QUrl(QStringLiteral("https://updates.zentu.example/appcast.xml"))});

        // A capture whose files are still being written must not bring the
        // removed folder back.
        coordinator.screenshotStore().add(noisyImage(1500, 1500, QImage::Format_RGB32), CaptureKind::area);

        services.alertsFake.shown.clear();
        coordinator.confirmAndUninstall();
        coordinator.screenshotStore().waitForPendingWrites();
        QVERIFY(!QFileInfo::exists(Storage::baseDirectory()));
        QCOMPARE(services.alertsFake.shown.first().message, QStringLiteral("Zentu.it deinstallieren?"));
        QVERIFY(!coordinator.clipboardMonitor().isRunning());
        QVERIFY(!coordinator.updater().isStarted());
        QCOMPARE(services.installationFake.uninstalls, 1);
        QCOMPARE(services.launcherFake.quits, 1);
    }
};

ZENTU_TEST_MAIN(TestUninstaller)
#include "tst_uninstaller.moc"
