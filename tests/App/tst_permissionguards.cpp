// The permission guards through fakes: granted, granted by the test capture,
// refused with an alert that says what refuses on X11 and offers no button
// that cannot help, the relaunch watcher, a request left pending by an
// earlier version, XTEST missing; and the relaunch command on a real shell.
#include "App/PermissionGuards.h"
#include "Permissions/PermissionManager.h"
#include "Platform/SettingsKeys.h"
#include "Platform/Qt/QtProcessLauncher.h"
#include "Debug/DebugLog.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeUserDefaults.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

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

    explicit Rig(bool granted, bool testCaptureWorks = false, ProcessLauncher* otherLauncher = nullptr)
    {
        platform.preflight = granted;
        if (testCaptureWorks)
            screens.addScreen(1, QRectF(0, 0, 800, 600), 1, Qt::red);
        permissions = std::make_unique<PermissionManager>(platform, screens);
        guards = std::make_unique<PermissionGuards>(*permissions, platform, defaults, alerts,
                                                    otherLauncher ? *otherLauncher : launcher);
        guards->setScheduler([this](int ms, std::function<void()> work) {
            QCOMPARE(ms, PermissionGuards::watcherIntervalMs);
            scheduled << std::move(work);
        });
        DebugLog::restart();
    }
    void tick()
    {
        for (const auto& work : std::exchange(scheduled, {}))
            work();
    }
};

// The real detached start, counting quits; refuses the first start when asked to.
struct ShellLauncher : ProcessLauncher {
    QtProcessLauncher real;
    QString path;
    qint64 pid = 0;
    int quits = 0;
    bool refuseFirst = true;
    QString programPath() const override { return path; }
    qint64 processId() const override { return pid; }
    bool startDetached(const QString& program, const QStringList& args) override
    {
        return !std::exchange(refuseFirst, false) && real.startDetached(program, args);
    }
    void quit() override { ++quits; }
};

} // namespace

class TestPermissionGuards : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void grantedGoesOnWithoutAWindow_data()
    {
        QTest::addColumn<bool>("preflight");
        QTest::newRow("granted") << true;
        QTest::newRow("a false preflight, but the test capture works") << false;
    }
    void grantedGoesOnWithoutAWindow()
    {
        QFETCH(bool, preflight);
        Rig rig(preflight, true);
        QVERIFY(rig.guards->ensureScreenRecordingPermission());
        QVERIFY(rig.alerts.shown.isEmpty());
        QVERIFY(!rig.guards->isWatching());
    }

    void refusedSaysWhatRefusesAndTheWatcherRelaunchesOnGrant()
    {
        Rig rig(false);
        rig.alerts.answers = {0};
        QVERIFY(!rig.guards->ensureScreenRecordingPermission());
        const Alerts::Alert alert = rig.alerts.shown.value(0);
        QCOMPARE(alert.message, QStringLiteral("Bildschirmaufnahme nicht möglich"));
        QVERIFY2(alert.informativeText.contains(QStringLiteral("X-Server")) && alert.informativeText.contains(QStringLiteral("ssh -Y")),
                 qPrintable(alert.informativeText));
        // Nothing to enter the app into and no settings to open: only OK.
        QCOMPARE(alert.buttons, QStringList{QStringLiteral("OK")});
        QVERIFY(!rig.defaults.boolValue(SettingsKeys::pendingScreenRecordingRequest));
        QVERIFY(rig.launcher.started.isEmpty());
        QCOMPARE(rig.launcher.quits, 0);
        QVERIFY(debugLogMessages().contains(QStringLiteral("CAPTURE -> Alert-Antwort = Später")));

        // Armed again (a second refusal): one watcher remains.
        QVERIFY(rig.guards->isWatching());
        rig.guards->armPermissionAutoRelaunch();
        QCOMPARE(rig.scheduled.size(), 2);
        rig.tick(); // the first watcher's step ends silently
        QCOMPARE(rig.scheduled.size(), 1);
        rig.tick();
        QCOMPARE(rig.launcher.quits, 0);
        rig.platform.preflight = true; // the screen can be read now
        rig.tick();
        QCOMPARE(rig.launcher.started.size(), 1);
        QCOMPARE(rig.launcher.quits, 1);
        QVERIFY(rig.scheduled.isEmpty());
    }

    void aRequestLeftPendingByAnEarlierVersionIsIssuedOnce()
    {
        Rig rig(false);
        rig.defaults.setValue(SettingsKeys::pendingScreenRecordingRequest, true);
        PermissionGuards fresh(*rig.permissions, rig.platform, rig.defaults, rig.alerts, rig.launcher);
        fresh.setScheduler([](int, std::function<void()>) {});
        rig.platform.requestAnswer = false;
        fresh.requestScreenRecordingIfPending();
        QVERIFY(!rig.defaults.boolValue(SettingsKeys::pendingScreenRecordingRequest));
        QTRY_VERIFY(fresh.isWatching());
        QCOMPARE(rig.platform.requestCalls, 1);
        QCOMPARE(debugLogMessages().count(QStringLiteral("PERM Einstellungsseite Bildschirmaufnahme: gibt es unter X11 nicht")), 1);

        // Without the flag nothing happens.
        fresh.requestScreenRecordingIfPending();
        QTest::qWait(10);
        QCOMPARE(rig.platform.requestCalls, 1);
    }

    void theWatcherGivesUpAfter120Checks()
    {
        Rig rig(false);
        rig.guards->armPermissionAutoRelaunch();
        for (int i = 1; i <= PermissionGuards::watcherMaxChecks; ++i)
            rig.tick();
        QVERIFY(!rig.guards->isWatching());
        QVERIFY(rig.scheduled.isEmpty());
        QCOMPARE(rig.launcher.quits, 0);
    }

    void relaunchWaitsForTheOldProcessAndStaysWhenStartFails()
    {
        // A program whose name needs quoting starts only once the "old"
        // process has gone.
        QTemporaryDir dir;
        const QString marker = dir.filePath("started");
        ShellLauncher launcher;
        launcher.path = dir.filePath("new \"zentu\" $(x)");
        QVERIFY(plantFile(launcher.path, QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8()));
        QVERIFY(QFile::setPermissions(launcher.path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcess old;
        old.start("sleep", {"30"});
        QVERIFY(old.waitForStarted());
        launcher.pid = old.processId();

        Rig rig(true, false, &launcher);
        rig.guards->relaunchApp(); // refused: this one keeps running
        QCOMPARE(launcher.quits, 0);
        rig.guards->relaunchApp();
        QCOMPARE(launcher.quits, 1);
        QTest::qWait(400);
        QVERIFY(!QFile::exists(marker));
        old.kill();
        old.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
    }

    void xtestMissingSaysSoAndNeverRelaunches()
    {
        Rig rig(true);
        rig.platform.trusted = false;
        QVERIFY(!rig.guards->ensureAccessibilityPermission());
        QCOMPARE(rig.platform.prompts, 1);
        QCOMPARE(rig.alerts.shown[0].message, QStringLiteral("Scroll-Aufnahme nicht möglich"));
        QVERIFY(rig.alerts.shown[0].informativeText.contains(QStringLiteral("XTEST")));
        QCOMPARE(rig.alerts.shown[0].buttons, QStringList{QStringLiteral("OK")});
        QVERIFY(!rig.guards->isWatching());
        QVERIFY(rig.launcher.started.isEmpty());

        rig.platform.trusted = true;
        QVERIFY(rig.guards->ensureAccessibilityPermission());
        QCOMPARE(rig.alerts.shown.size(), 1);
    }
};

ZENTU_TEST_MAIN(TestPermissionGuards)
#include "tst_permissionguards.moc"
