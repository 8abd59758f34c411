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

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

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
        writeFile(launcher.path, program);
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
        // An earlier install of our own is replaced; the login item that the
        // download registered follows the program to its new place.
        Rig earlier("#!/bin/sh\necho v1\n");
        QString error;
        QVERIFY2(earlier.installation.install(earlier.launcher.path, &error), qPrintable(error));
        XdgAutostartLoginItem downloadItem(earlier.launcher.path);
        QVERIFY(downloadItem.registerApp(nullptr));

        Rig rig;
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::handedOver);

        QCOMPARE(rig.alerts.shown.size(), 1);
        const Alerts::Alert& offer = rig.alerts.shown.first();
        QCOMPARE(offer.message, QStringLiteral("Zentu.it in den Programme-Ordner verschieben?"));
        QVERIFY(offer.informativeText.startsWith(QStringLiteral("Nur so bleiben erteilte Berechtigungen")));
        QCOMPARE(offer.buttons, (QStringList{QStringLiteral("Verschieben & neu starten"), QStringLiteral("Nicht verschieben")}));
        QCOMPARE(offer.defaultButton, 0);

        QCOMPARE(rig.installed(), QDir::homePath() + QStringLiteral("/.local/bin/zentu"));
        QCOMPARE(readAll(rig.installed()), QByteArray("#!/bin/sh\necho v2\n"));
        QVERIFY(QFileInfo(rig.installed()).isExecutable());
        const QString entry = QString::fromUtf8(readAll(XdgUserInstallation::desktopEntryPath()));
        QVERIFY2(entry.contains(QStringLiteral("\nExec=") + rig.installed() + u'\n'), qPrintable(entry));
        QVERIFY(entry.contains(QStringLiteral("\nIcon=com.quorel.zentu\n")));
        QVERIFY(readAll(XdgUserInstallation::iconPath()).contains("<svg"));
        QVERIFY(QString::fromUtf8(readAll(XdgAutostartLoginItem::entryPath()))
                    .contains(QStringLiteral("\nExec=") + rig.installed() + u'\n'));
        // No temporary sibling left next to the program.
        QCOMPARE(QDir(QFileInfo(rig.installed()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("zentu")});

        // The installed copy took over before the download went to the Trash.
        QCOMPARE(rig.session.handOvers, QStringList{rig.installed()});
        QVERIFY(!QFileInfo::exists(rig.launcher.path));
        QCOMPARE(readAll(rig.trashed()), QByteArray("#!/bin/sh\necho v2\n"));
        QCOMPARE(rig.launcher.quits, 1);

        // The installed copy is never asked again.
        Rig installedRun;
        installedRun.launcher.path = rig.installed();
        QCOMPARE(installedRun.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QVERIFY(installedRun.alerts.shown.isEmpty());
    }

    void followsXdgBinHome()
    {
        const QString bin = QDir::homePath() + QStringLiteral("/eigene bin");
        qputenv("XDG_BIN_HOME", bin.toUtf8());
        Rig rig;
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::handedOver);
        QVERIFY(QFileInfo(bin + QStringLiteral("/zentu")).isExecutable());
        // A path with a blank is quoted for the desktop.
        QVERIFY(QString::fromUtf8(readAll(XdgUserInstallation::desktopEntryPath()))
                    .contains(QStringLiteral("\nExec=\"") + bin + QStringLiteral("/zentu\"\n")));
    }

    void decliningLeavesNoTraceAndAsksAgain()
    {
        Rig rig;
        rig.alerts.answers = {1, -1}; // "Nicht verschieben", then the alert closed
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.alerts.shown.size(), 2);
        QVERIFY(!QFileInfo::exists(rig.installed()));
        QVERIFY(!QFileInfo::exists(XdgUserInstallation::desktopEntryPath()));
        QVERIFY(QFileInfo::exists(rig.launcher.path));
        QVERIFY(rig.session.handOvers.isEmpty());
        QCOMPARE(rig.launcher.quits, 0);
    }

    void installedPlacesAndBuildsAreNeverOffered()
    {
        const QString home = QDir::homePath();
        // A package's or another install's copy, in the user's own bin folder too.
        writeFile(home + QStringLiteral("/.local/bin/zentu"), "fremd");
        // cmake --install into a prefix of the user's.
        writeFile(home + QStringLiteral("/prefix/bin/zentu"), "x");
        writeFile(home + QStringLiteral("/prefix/share/applications/com.quorel.zentu.desktop"), "[Desktop Entry]\n");
        // A build tree.
        writeFile(home + QStringLiteral("/src/build/CMakeCache.txt"), "");
        writeFile(home + QStringLiteral("/src/build/src/zentu"), "x");

        for (const QString& program : {QStringLiteral("/usr/bin/zentu"), QStringLiteral("/opt/zentu/zentu"),
                                       home + QStringLiteral("/.local/bin/zentu"), home + QStringLiteral("/prefix/bin/zentu"),
                                       home + QStringLiteral("/src/build/src/zentu")}) {
            Rig rig;
            rig.launcher.path = program;
            QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
            QVERIFY2(rig.alerts.shown.isEmpty(), qPrintable(program));
        }
        // A download is not offered either while another installer's copy
        // holds the place, and that copy stays as it is.
        Rig download;
        QCOMPARE(download.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QVERIFY(download.alerts.shown.isEmpty());
        QCOMPARE(readAll(home + QStringLiteral("/.local/bin/zentu")), QByteArray("fremd"));
    }

    void aFileThatCannotBeWrittenRollsBackAndKeepsRunning()
    {
        // A folder where the icon should go: the executable is written first,
        // then the icon fails.
        writeFile(XdgUserInstallation::iconPath() + QStringLiteral("/blockiert"), "x");
        Rig rig;
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.alerts.shown.size(), 2);
        QCOMPARE(rig.alerts.shown.at(1).message, QStringLiteral("Installation fehlgeschlagen"));
        QCOMPARE(rig.alerts.shown.at(1).informativeText,
                 QStringLiteral("Zentu.it konnte nicht in den Programme-Ordner verschoben werden. Du kannst die App auch manuell dorthin ziehen."));
        QVERIFY(!QFileInfo::exists(rig.installed()));
        QVERIFY(!QFileInfo::exists(XdgUserInstallation::desktopEntryPath()));
        QVERIFY(rig.session.handOvers.isEmpty());
        QVERIFY(QFileInfo::exists(rig.launcher.path));
        QCOMPARE(rig.launcher.quits, 0);

        // A plain file where the bin folder should be.
        QDir(XdgUserInstallation::iconPath()).removeRecursively();
        QDir(XdgUserInstallation::binDirectory()).removeRecursively();
        writeFile(QDir::homePath() + QStringLiteral("/.local/bin"), "kein Ordner");
        Rig again;
        QCOMPARE(again.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(again.alerts.shown.size(), 2);
        QCOMPARE(again.alerts.shown.at(1).message, QStringLiteral("Installation fehlgeschlagen"));
        QVERIFY(!QFileInfo::exists(XdgUserInstallation::iconPath()));
    }

    void anInstalledCopyThatDoesNotStartKeepsThisOneAndTheDownload()
    {
        Rig rig;
        rig.session.handOverWorks = false;
        QCOMPARE(rig.selfInstall.moveToApplicationsIfNeeded(), SelfInstall::Outcome::stayed);
        QCOMPARE(rig.session.handOvers, QStringList{rig.installed()});
        QCOMPARE(rig.alerts.shown.size(), 2);
        QCOMPARE(rig.alerts.shown.at(1).message, QStringLiteral("Installation fehlgeschlagen"));
        QVERIFY(QFileInfo::exists(rig.launcher.path));
        QVERIFY(!QFileInfo::exists(rig.trashed()));
        QCOMPARE(rig.launcher.quits, 0);
    }
};

ZENTU_TEST_MAIN(TestSelfInstall)
#include "tst_selfinstall.moc"
