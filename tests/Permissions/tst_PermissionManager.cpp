// The permission flags, their refresh and poll rules and their log lines,
// with the denied paths that only a fake platform can produce.
#include "Debug/DebugLog.h"
#include "Permissions/PermissionManager.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeScreenSource.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>
#include <QSignalSpy>

namespace {
QString refreshLine(bool preflight)
{
    return QStringLiteral("PERM refresh: CGPreflightScreenCaptureAccess=%1 \u00b7 bundle=%2")
        .arg(preflight ? QStringLiteral("true") : QStringLiteral("false"), QCoreApplication::applicationFilePath());
}
} // namespace

class TestPermissionManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QFile::remove(DebugLog::filePath());
        platform = FakeCapturePermissions();
        screens = FakeScreenSource();
        screens.addScreen(1, QRectF(0, 0, 800, 600), 1.0, Qt::red);
    }

    void onlyANegativePreflightIsCheckedByATestCapture()
    {
        {
            PermissionManager granted(platform, screens);
            QVERIFY(granted.screenRecordingAuthorized() && granted.accessibilityAuthorized());
            QCoreApplication::processEvents();
            QCOMPARE(screens.contentRequests, 0);
        }
        platform.preflight = false;
        PermissionManager manager(platform, screens);
        QVERIFY(!manager.screenRecordingAuthorized()); // right after refresh
        QTRY_VERIFY_WITH_TIMEOUT(manager.screenRecordingAuthorized(), 2000);
        QCOMPARE(screens.requestedSizes, QList<QSize>{QSize(32, 20)});
        QCOMPARE(screens.cursorRequests, QList<bool>{false});
        QCOMPARE(debugLogMessages(), (QStringList{refreshLine(true), refreshLine(false),
                                                  QStringLiteral("PERM SCK-Test: Testaufnahme OK -> Berechtigung VORHANDEN "
                                                                 "(CGPreflight lag falsch)")}));
    }

    void failedTestCapturesKeepTheFlagOff_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("line");
        QTest::newRow("no content") << 0
                                    << QStringLiteral("PERM SCK-Test: FEHLER 'Der Vorgang ist nicht zulässig.' -> "
                                                      "Berechtigung fehlt wirklich");
        QTest::newRow("no display") << 1 << QStringLiteral("PERM SCK-Test: KEINE Displays sichtbar -> keine Berechtigung");
        QTest::newRow("capture refused")
            << 2 << QStringLiteral("PERM SCK-Test: FEHLER 'Aufnahme abgelehnt' -> Berechtigung fehlt wirklich");
    }

    void failedTestCapturesKeepTheFlagOff()
    {
        QFETCH(int, failure);
        QFETCH(QString, line);
        platform.preflight = false;
        if (failure == 0)
            screens.contentAvailable = false;
        else if (failure == 1)
            screens.displays.clear();
        else
            screens.failingDisplays = {1};
        PermissionManager manager(platform, screens);
        QSignalSpy spy(&manager, &PermissionManager::screenRecordingAuthorizedChanged);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 2000); // the test's own assignment
        QVERIFY(!manager.screenRecordingAuthorized());
        QCOMPARE(debugLogMessages(), (QStringList{refreshLine(false), line}));
    }

    void pollFollowsAccessibilityButNeverRevokesScreenRecording()
    {
        PermissionManager manager(platform, screens);
        manager.pollTimer()->setInterval(5);
        QSignalSpy spy(&manager, &PermissionManager::screenRecordingAuthorizedChanged);
        platform.preflight = false;
        platform.trusted = false;
        QTRY_VERIFY_WITH_TIMEOUT(!manager.accessibilityAuthorized(), 2000);
        QTest::qWait(30);
        QVERIFY(manager.screenRecordingAuthorized());
        QCOMPARE(spy.count(), 0);
        QCOMPARE(screens.contentRequests, 0); // no test capture from the poll
        platform.trusted = true;
        QTRY_VERIFY_WITH_TIMEOUT(manager.accessibilityAuthorized(), 2000);
        QCOMPARE(debugLogMessages(), QStringList{refreshLine(true)}); // the poll writes nothing

        // The next refresh does clear it when the test capture fails too.
        screens.contentAvailable = false;
        manager.refresh();
        QVERIFY(!manager.screenRecordingAuthorized());
        platform.preflight = true;
        QTRY_VERIFY_WITH_TIMEOUT(manager.screenRecordingAuthorized(), 2000); // and the poll grants again
    }

    void activationRefreshes()
    {
        PermissionManager manager(platform, screens);
        QSignalSpy spy(&manager, &PermissionManager::screenRecordingAuthorizedChanged);
        // What the platform plugin announces when the app comes to the front.
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        QTRY_COMPARE_WITH_TIMEOUT(debugLogMessages().count(refreshLine(true)), 2, 2000);
        QVERIFY(spy.count() >= 1); // every assignment is announced, even without a change
    }

    void requestsAskOnlyForWhatIsMissing()
    {
        PermissionManager manager(platform, screens);
        platform.requestAnswer = false;
        QCOMPARE(manager.requestScreenRecording(), false);
        QCOMPARE(platform.requestCalls, 1);
        QCOMPARE(manager.requestAccessibility(), true); // trusted: no prompt, no page
        const QString noPage = QStringLiteral("PERM Einstellungsseite Bedienungshilfen: gibt es unter X11 nicht");
        QVERIFY(platform.prompts == 0 && !debugLogMessages().contains(noPage));
        platform.trusted = false;
        QCOMPARE(manager.requestAccessibility(), false);
        QCOMPARE(platform.prompts, 1);
        QCOMPARE(debugLogMessages().count(noPage), 1); // nothing to open on X11: only noted
        QCOMPARE(debugLogMessages().count(refreshLine(true)), 4); // start + one per request
    }

    void managerGoneBeforeItsTestCapture()
    {
        platform.preflight = false;
        delete new PermissionManager(platform, screens);
        QCoreApplication::processEvents();
        QCOMPARE(screens.contentRequests, 0);
    }

private:
    FakeCapturePermissions platform;
    FakeScreenSource screens;
};

ZENTU_TEST_MAIN(TestPermissionManager)
#include "tst_PermissionManager.moc"
