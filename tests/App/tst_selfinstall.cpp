// Installing for the user from a "download" into the test's own HOME with the
// real file work: the offer and its texts, the files of the install, the
// hand-over before the download goes to the Trash, declining, the places that
// are never offered, and the failure paths (files that cannot be written, an
// installed copy that does not start).
#include "App/SelfInstall.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeSingleInstance.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

struct Rig {
    FakeAlerts alerts;
    FakeProcessLauncher launcher;
    FakeSingleInstance session;
    XdgUserInstallation installation;
    XdgPaths paths;
    SelfInstall selfInstall{alerts, launcher, installation, session, paths};

    // The program as the user downloaded it (a name with a blank and a quote,
    // as browsers keep them).
    explicit Rig(const QByteArray& program = "#!/bin/sh\necho v2\n")
    {
        launcher.path = QDir::homePath() + QStringLiteral("/Downloads/zentu (1) 'neu'");
        QVERIFY(plantFile(launcher.path, program));
    }
    QString installed() const { return installation.installedProgram(); }
    QString trashed() const { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                     + QStringLiteral("/Trash/files/") + QFileInfo(launcher.path).fileName(); }
};

} // namespace

class TestSelfInstall : public QObject {
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
        QVERIFY(XdgAutostartLoginItem(earlier.launcher.path).registerApp(nullptr));

        Rig rig;
        // The page-capture helper that came with the program goes along.
        const QString helper = QFileInfo(rig.launcher.path).absoluteDir().filePath(QStringLiteral("zentu-pagecapture"));
        QVERIFY(plantFile(helper, "#!/bin/sh\necho helper\n"));
        QVERIFY(QFile::setPermissions(helper, QFile::permissions(helper) | QFile::ExeOwner));
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::handedOver);
        QCOMPARE(rig.alerts.shown.size(), 1);
        QCOMPARE(rig.alerts.shown.first().buttons.value(0), QStringLiteral("Verschieben & neu starten"));

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

        // Removing the install takes the helper too.
        QCOMPARE(rig.installation.uninstall(), QStringList());
        QVERIFY(!QFileInfo::exists(rig.installed()));
        QVERIFY(!QFileInfo::exists(XdgUserInstallation::installedHelper()));
    }

    void decliningLeavesNoTraceAndAsksAgain()
    {
        Rig rig;
        rig.alerts.answers = {1, -1}; // "Nicht verschieben", then the alert closed
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.alerts.shown.size(), 2);
        QVERIFY(!QFileInfo::exists(QDir::homePath() + QStringLiteral("/.local")));
        QVERIFY(!QFileInfo::exists(XdgUserInstallation::desktopEntryPath()));
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
        QCOMPARE(rig.alerts.shown.size(), 2);
        QCOMPARE(rig.alerts.shown.at(1).message, QStringLiteral("Installation fehlgeschlagen"));
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
        QCOMPARE(rig.alerts.shown.size(), 2);
        QCOMPARE(rig.alerts.shown.at(1).informativeText,
                 QStringLiteral("Zentu.it konnte nicht in den Programme-Ordner verschoben werden. Du kannst die App auch manuell dorthin ziehen."));
        QVERIFY(QFileInfo::exists(rig.launcher.path));
        QCOMPARE(rig.launcher.quits, 0);
    }
};

ZENTU_TEST_MAIN(TestSelfInstall)
#include "tst_selfinstall.moc"
