// The platform's files and sockets: the autostart entry, the settings file,
// the keyboard's ISO rule, and one instance per session (the first claims, a
// later one hands over).
#include "Platform/Qt/LocalSocketSingleInstance.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "Platform/SettingsKeys.h"
#include "Platform/X11/XkbKeyboardInfo.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestPlatformFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void autostartEntry()
    {
        const QString path = qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/com.quorel.zentu.desktop";
        const QString programs = QDir::homePath() + "/opt/zentu dir";
        QVERIFY(plantFile(programs + "/zentu", "#!/bin/sh\n"));
        QFile::setPermissions(programs + "/zentu", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        XdgUserInstallation installation(testFileCalls());
        XdgAutostartLoginItem item(installation, testFileCalls(), programs + "/zentu");
        QVERIFY(item.isRegistrable());
        QCOMPARE(item.status(), LoginItemService::Status::notRegistered);
        QString error;
        QVERIFY(item.registerApp(&error));
        QCOMPARE(item.status(), LoginItemService::Status::enabled);
        const QByteArray text = fileContents(path);
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("Exec=\"" + programs.toUtf8() + "/zentu\"\n"));
        QCOMPARE(XdgAutostartLoginItem::registeredProgram(), programs + "/zentu");

        // Desktops switch entries off without deleting them.
        QVERIFY(plantFile(path, text + "Hidden=true\n"));
        QCOMPARE(item.status(), LoginItemService::Status::notRegistered);

        QVERIFY(item.unregisterApp(&error));
        QVERIFY(!QFile::exists(path));
        QVERIFY(item.unregisterApp(&error));

        // Any path survives the desktop's quoting, escaping and field codes.
        const QString oddPath = QDir::homePath() + QString::fromUtf8(R"(/a "b"/$x`y\z/100%/zentu)");
        XdgAutostartLoginItem odd(installation, testFileCalls(), oddPath);
        QVERIFY(odd.registerApp(&error));
        QVERIFY(fileContents(path).contains(QString(R"(Exec=")" + QDir::homePath() + R"(/a \\"b\\"/\\$x\\`y\\\\z/100%%/zentu")" "\n").toUtf8()));
        QCOMPARE(XdgAutostartLoginItem::registeredProgram(), oddPath);
        // A program that is gone starts nothing: no entry worth showing as on.
        QCOMPARE(odd.status(), LoginItemService::Status::notRegistered);
        QVERIFY(odd.unregisterApp(&error));

        // A build tree (a CMakeCache.txt in the program's folder or above) is
        // never registered, and an entry an earlier version wrote for one
        // counts as none.
        const QString build = QDir::homePath() + "/src/zentu/build";
        QVERIFY(plantFile(build + "/CMakeCache.txt"));
        QVERIFY(plantFile(build + "/src/zentu", "#!/bin/sh\n"));
        QFile::setPermissions(build + "/src/zentu", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        XdgAutostartLoginItem built(installation, testFileCalls(), build + "/src/zentu");
        QVERIFY(!built.isRegistrable());
        QVERIFY(!built.registerApp(&error) && error.contains(build));
        QVERIFY(!QFile::exists(path));
        QVERIFY(plantFile(path, "[Desktop Entry]\nType=Application\nExec=" + build.toUtf8() + "/src/zentu\n"));
        QCOMPARE(item.status(), LoginItemService::Status::notRegistered);
    }

    void userDefaultsFile()
    {
        const QString path = qEnvironmentVariable("XDG_CONFIG_HOME") + "/com.quorel.zentu.conf";
        {
            SettingsFileUserDefaults d(testFileCalls());
            d.setValue("zentu.settings.v1", QByteArray("{\"a\":1}"));
            d.setValue("zentu.onboarding.completed", true);
            d.setValue("app.language", "auto");
        }
        QVERIFY(QFile::exists(path));
        SettingsFileUserDefaults again(testFileCalls());
        QCOMPARE(again.data("zentu.settings.v1"), std::optional<QByteArray>("{\"a\":1}"));
        QVERIFY(again.boolValue("zentu.onboarding.completed"));
        QVERIFY(!again.boolValue("zentuHideCaptureIntro"));
        QCOMPARE(again.string("app.language"), std::optional<QString>("auto"));
        again.remove("app.language");
        QVERIFY(!again.string("app.language"));

        // Every key of the app keeps the name users' files already hold.
        {
            SettingsFileUserDefaults d(testFileCalls());
            for (const char* key : {SettingsKeys::settings, SettingsKeys::unreadableSettings,
                                    SettingsKeys::launchAtLoginDefaulted, SettingsKeys::language,
                                    SettingsKeys::onboardingCompleted, SettingsKeys::pendingScreenRecordingRequest,
                                    SettingsKeys::installStamp, SettingsKeys::hideCaptureIntro,
                                    SettingsKeys::hideScrollIntro})
                d.setValue(QString::fromLatin1(key), true);
        }
        const QByteArray text = fileContents(path);
        for (const char* stored : {"zentu.settings.v1=", "zentu.settings.v1.unreadable=", "zentu.launchAtLogin.defaulted=",
                                   "app.language=", "zentu.onboarding.completed=", "Zentu.pendingScreenRecordingRequest=",
                                   "zentuInstallStamp=", "zentuHideCaptureIntro=", "zentuHideScrollIntro="})
            QVERIFY2(text.contains(QByteArray("\n") + stored + "true\n"), stored);
    }

    void isoRule()
    {
        // The model must have the extra key, and the first layout decides.
        QVERIFY(XkbKeyboardInfo::isISOModel("pc102", "gb,us"));
        QVERIFY(!XkbKeyboardInfo::isISOModel("pc105", "us,de"));
        QVERIFY(!XkbKeyboardInfo::isISOModel("pc104", "de"));
    }

    void aSecondStartHandsOverToTheFirst()
    {
        QTemporaryDir dir;
        LocalSocketSingleInstance first(dir.path());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        QCOMPARE(first.claim(), SingleInstance::Claim::claimed);
        QCOMPARE(first.claim(), SingleInstance::Claim::claimed); // claiming again changes nothing

        LocalSocketSingleInstance second(dir.path());
        QCOMPARE(second.claim(), SingleInstance::Claim::otherInstance);
        QVERIFY(activations.count() == 1 || activations.wait(3000));
        QCOMPARE(activations.count(), 1);

        LocalSocketSingleInstance third(dir.path());
        QCOMPARE(third.claim(), SingleInstance::Claim::otherInstance);
        QVERIFY(activations.count() == 2 || activations.wait(3000));

        // A program that cannot start, and one that ends without claiming
        // (given up when it ends, not after the whole timeout): the session stays.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!first.handOverTo(dir.path() + QStringLiteral("/fehlt"), 60000));
        QVERIFY(!first.handOverTo(QStringLiteral("/bin/true"), 60000));
        QVERIFY(clock.elapsed() < 30000);
        LocalSocketSingleInstance later(dir.path());
        QCOMPARE(later.claim(), SingleInstance::Claim::otherInstance);
        QVERIFY(activations.count() == 3 || activations.wait(3000));
    }

    void aLockThatCannotBeMadeIsNoOtherInstance()
    {
        // A folder the lock cannot go into: nobody runs, and the reason is given.
        QTemporaryDir dir;
        LocalSocketSingleInstance instance(dir.path() + QStringLiteral("/fehlt"));
        QCOMPARE(instance.claim(), SingleInstance::Claim::failed);
        QVERIFY2(instance.failure().startsWith(dir.path() + QStringLiteral("/fehlt/com.quorel.zentu.lock: ")),
                 qPrintable(instance.failure()));
    }

    void anInstanceThatEndedLeavesTheSessionFree()
    {
        QTemporaryDir dir;
        {
            LocalSocketSingleInstance first(dir.path());
            QCOMPARE(first.claim(), SingleInstance::Claim::claimed);
        }
        // A socket file left behind by a crashed instance does not block either.
        QVERIFY(plantFile(dir.path() + QStringLiteral("/com.quorel.zentu.socket"), {}));
        LocalSocketSingleInstance next(dir.path());
        QCOMPARE(next.claim(), SingleInstance::Claim::claimed);
        LocalSocketSingleInstance later(dir.path());
        QSignalSpy activations(&next, &SingleInstance::activationRequested);
        QCOMPARE(later.claim(), SingleInstance::Claim::otherInstance);
        QVERIFY(activations.count() == 1 || activations.wait(3000));
    }
};

ZENTU_TEST_MAIN(TestPlatformFiles)
#include "tst_platformfiles.moc"
