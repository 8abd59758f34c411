// The permission guards through fakes: granted, granted by the test capture,
// refused with the guide, the relaunch watcher, the request left pending by a
// relaunch, accessibility; and the relaunch command on a real shell.
#include "App/PermissionGuards.h"
#include "Storage/DebugLog.h"
#include "Permissions/PermissionManager.h"
#include "Platform/Qt/QtProcessLauncher.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeUserDefaults.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {
struct Rig {
    FakeCapturePermissions platform;
    FakeScreenSource screens;
    FakeUserDefaults defaults;
    FakeAlerts alerts;
    FakeProcessLauncher launcher;
    std::unique_ptr<PermissionManager> permissions;
    std::unique_ptr<PermissionGuards> guards;
    QList<std::function<void()>> scheduled;

    explicit Rig(bool granted, bool testCaptureWorks = false)
    {
        platform.preflight = granted;
        if (testCaptureWorks)
            screens.addScreen(1, QRectF(0, 0, 800, 600), 1, Qt::red);
        permissions = std::make_unique<PermissionManager>(platform, screens);
        guards = std::make_unique<PermissionGuards>(*permissions, platform, defaults, alerts, launcher);
        guards->setScheduler([this](int ms, std::function<void()> work) {
            QCOMPARE(ms, PermissionGuards::watcherIntervalMs);
            scheduled << std::move(work);
        });
        DebugLog::restart();
    }
    void tick()
    {
        const auto due = std::exchange(scheduled, {});
        for (const auto& work : due)
            work();
    }
};
}

class TestPermissionGuards : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void grantedGoesOnWithoutAWindow()
    {
        Rig rig(true);
        QVERIFY(rig.guards->ensureScreenRecordingPermission());
        const QStringList log = debugLogMessages().filter("CAPTURE");
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[0], QStringLiteral("CAPTURE ensureScreenRecordingPermission() \u00b7 bundle=%1 \u00b7 CGPreflight=true")
                             .arg(rig.launcher.path));
        QCOMPARE(log[1], QStringLiteral("CAPTURE -> CGPreflight/authorized true, weiter"));
        QVERIFY(rig.alerts.shown.isEmpty());
        QVERIFY(!rig.guards->isWatching());
    }

    void testCaptureOverridesAFalsePreflight()
    {
        Rig rig(false, true);
        QVERIFY(rig.guards->ensureScreenRecordingPermission());
        QVERIFY(debugLogMessages().contains(QStringLiteral("CAPTURE -> SCK-Test = true")));
        QVERIFY(rig.alerts.shown.isEmpty());
    }

    void refusedShowsTheGuideAndTheWatcherRelaunchesOnGrant()
    {
        Rig rig(false);
        rig.alerts.answers = {1}; // "Später"
        QVERIFY(!rig.guards->ensureScreenRecordingPermission());
        QCOMPARE(rig.platform.openedURLs.size(), 1);
        QVERIFY(rig.platform.openedURLs[0].contains("ScreenCapture"));
        QCOMPARE(rig.alerts.shown.size(), 1);
        QCOMPARE(rig.alerts.shown[0].message, QStringLiteral("Bildschirmaufnahme erlauben"));
        QCOMPARE(rig.alerts.shown[0].buttons, (QStringList{"Zentu.it eintragen", "Später"}));
        QVERIFY(rig.alerts.shown[0].informativeText.contains("\n\nFalls „Zentu.it“ dort NICHT"));
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("CAPTURE -> SCK-Test = false")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE -> kein Zugriff, öffne Einstellungen + zeige geführten Alert")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE -> Alert-Antwort = Später")));
        QVERIFY(!rig.defaults.boolValue(PermissionGuards::pendingRequestKey));
        QVERIFY(rig.launcher.started.isEmpty());

        QVERIFY(rig.guards->isWatching());
        rig.tick();
        rig.tick();
        QCOMPARE(rig.launcher.quits, 0);
        rig.platform.preflight = true; // the user flips the switch
        rig.tick();
        QVERIFY(debugLogMessages().contains(QStringLiteral("PERM Auto-Neustart: Freigabe erkannt -> relaunch")));
        QCOMPARE(rig.launcher.started.size(), 1);
        QCOMPARE(rig.launcher.quits, 1);
        QVERIFY(rig.scheduled.isEmpty());
    }

    void firstButtonRelaunchesAndTheNewProcessAsks()
    {
        Rig rig(false);
        rig.alerts.answers = {0};
        QVERIFY(!rig.guards->ensureScreenRecordingPermission());
        QVERIFY(debugLogMessages().contains(QStringLiteral("CAPTURE -> Alert-Antwort = Zentu eintragen")));
        QVERIFY(rig.defaults.boolValue(PermissionGuards::pendingRequestKey));
        QCOMPARE(rig.launcher.quits, 1);

        // The fresh process finds the flag.
        PermissionGuards fresh(*rig.permissions, rig.platform, rig.defaults, rig.alerts, rig.launcher);
        QList<std::function<void()>> freshScheduled;
        fresh.setScheduler([&](int, std::function<void()> w) { freshScheduled << std::move(w); });
        rig.platform.requestAnswer = false;
        fresh.requestScreenRecordingIfPending();
        QVERIFY(!rig.defaults.boolValue(PermissionGuards::pendingRequestKey));
        QVERIFY(debugLogMessages().contains(
            QStringLiteral("PERM Startup-Request: Flag gesetzt, frischer Prozess \u00b7 CGPreflight=false")));
        QTRY_VERIFY(fresh.isWatching());
        QCOMPARE(rig.platform.requestCalls, 1);
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("PERM Startup-Request: SCK vorab = false")));
        QVERIFY(log.contains(QStringLiteral(
            "PERM Startup-Request: CGRequestScreenCaptureAccess() = false -> Settings öffnen + Auto-Relaunch armen")));
        QCOMPARE(rig.platform.openedURLs.size(), 2);

        // Without the flag nothing happens.
        fresh.requestScreenRecordingIfPending();
        QTest::qWait(10);
        QCOMPARE(rig.platform.requestCalls, 1);
    }

    void rearmingLeavesOneWatcherThatGivesUpAfter120Checks()
    {
        Rig rig(false);
        rig.guards->armPermissionAutoRelaunch();
        rig.guards->armPermissionAutoRelaunch();
        QCOMPARE(rig.scheduled.size(), 2);
        rig.tick(); // the first watcher's step ends silently
        QCOMPARE(rig.scheduled.size(), 1);
        for (int i = 2; i <= PermissionGuards::watcherMaxChecks; ++i)
            rig.tick();
        QVERIFY(!rig.guards->isWatching());
        QVERIFY(rig.scheduled.isEmpty());
        QCOMPARE(rig.launcher.quits, 0);
    }

    void relaunchPassesThePathAsDataAndStaysWhenStartFails()
    {
        Rig rig(true);
        rig.launcher.startWorks = false;
        rig.guards->relaunchApp();
        QCOMPARE(rig.launcher.quits, 0);
        QVERIFY(debugLogMessages().contains(QStringLiteral("PERM relaunchApp: ") + rig.launcher.path));
        const auto& [program, args] = rig.launcher.started.at(0);
        QCOMPARE(program, QStringLiteral("/bin/sh"));
        QCOMPARE(args.size(), 4);
        QCOMPARE(args[2], rig.launcher.path);
        QCOMPARE(args[3], QStringLiteral("4242"));
        QVERIFY(!args[1].contains(rig.launcher.path));
    }

    void relaunchCommandWaitsForTheOldProcess()
    {
        // The real command: a program whose name needs quoting starts only
        // once the "old" process has gone.
        QTemporaryDir dir;
        const QString marker = dir.filePath("started");
        const QString program = dir.filePath("new \"zentu\" $(x)");
        QFile f(program);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcess old;
        old.start("sleep", {"30"});
        QVERIFY(old.waitForStarted());

        struct Launcher : ProcessLauncher {
            QtProcessLauncher real;
            QString path;
            qint64 pid = 0;
            int quits = 0;
            QString programPath() const override { return path; }
            qint64 processId() const override { return pid; }
            bool startDetached(const QString& program, const QStringList& args) override
            {
                return real.startDetached(program, args);
            }
            void quit() override { ++quits; }
        } launcher;
        launcher.path = program;
        launcher.pid = old.processId();
        FakeCapturePermissions platform;
        FakeScreenSource screens;
        FakeUserDefaults defaults;
        FakeAlerts alerts;
        PermissionManager permissions(platform, screens);
        PermissionGuards guards(permissions, platform, defaults, alerts, launcher);
        guards.relaunchApp();
        QCOMPARE(launcher.quits, 1);
        QTest::qWait(400);
        QVERIFY(!QFile::exists(marker));
        old.kill();
        old.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
    }

    void accessibilityRefusedAsksAndNeverRelaunches()
    {
        Rig rig(true);
        rig.platform.trusted = false;
        rig.alerts.answers = {0};
        QVERIFY(!rig.guards->ensureAccessibilityPermission());
        QCOMPARE(rig.platform.prompts, 1);
        QCOMPARE(rig.alerts.shown[0].message, QStringLiteral("Bedienungshilfen erlauben"));
        QCOMPARE(rig.alerts.shown[0].buttons, (QStringList{"Einstellungen öffnen", "Später"}));
        QVERIFY(rig.platform.openedURLs.last().contains("Accessibility"));
        QVERIFY(!rig.guards->isWatching());
        QVERIFY(rig.launcher.started.isEmpty());

        rig.platform.trusted = true;
        QVERIFY(rig.guards->ensureAccessibilityPermission());
        QCOMPARE(rig.alerts.shown.size(), 1);
    }
};

ZENTU_TEST_MAIN(TestPermissionGuards)
#include "tst_permissionguards.moc"
