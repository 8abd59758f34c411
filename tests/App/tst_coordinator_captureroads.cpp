// The coordinator's capture roads with fake services: the hotkeys registered at
// start and released at the end, a full-screen hotkey press ending in a
// stored, copied and announced capture, the interactive road's intro card,
// and the pending permission request at start.
#include "App/AppCoordinator.h"
#include "App/AppDelegate.h"
#include "App/PermissionGuards.h"
#include "App/ToastPresenter.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Storage/DebugLog.h"
#include "Hotkeys/HotkeyManager.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "MenuBar/CaptureIntroView.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollTargetRoad.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/Storage.h"
#include "fakes/FakeCoordinatorServices.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QWidget>

namespace {
class TallRoad final : public ScrollTargetRoad {
public:
    Target resolveTarget(const PickedWindow& picked) override { return Target::window(picked, QStringLiteral("x")); }
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target) override
    {
        QImage image(200, 1500, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::darkGreen);
        co_return CapturedScreenshot::make(image, CaptureKind::scrolling);
    }
};

QString logText()
{
    QFile f(DebugLog::filePath());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
}

class TestCoordinatorCaptureRoads : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
        testFolders().ensureDirectories();
        DebugLog::restart();
    }

    void hotkeysLiveFromStartToTermination()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        AppDelegate delegate(services);
        QVERIFY(services.globalHotkeys.active.isEmpty());
        delegate.applicationDidFinishLaunching();
        QCOMPARE(services.globalHotkeys.active.size(), 8);
        delegate.applicationWillTerminate();
        QVERIFY(services.globalHotkeys.active.isEmpty());
    }

    void fullScreenHotkeyEndsInAStoredCopiedCapture()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        AppCoordinator coordinator(services);
        QList<QImage> editors;
        coordinator.setEditorFactory([&](const QImage& image, const ScreenshotItem&) {
            editors << image;
            return std::make_unique<QWidget>();
        });
        coordinator.start();

        services.globalHotkeys.press(6); // Super+Shift+6
        QTRY_COMPARE(coordinator.screenshotStore().items().size(), 1);
        const ScreenshotItem item = coordinator.screenshotStore().items().first();
        QCOMPARE(item.captureKind, CaptureKind::fullScreen);
        QCOMPARE(QSize(int(item.width), int(item.height)), QSize(800, 600));
        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("Hotkey-Event empfangen id=6 -> captureFullScreen")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE captureFullScreen() (Ganzer Bildschirm) gestartet")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE -> CGPreflight/authorized true, weiter")));

        // Copied, and the monitor knows the change was ours.
        QCOMPARE(services.clipboardService.image().size(), QSize(800, 600));
        QCOMPARE(coordinator.clipboardMonitor().lastChangeCount(), services.clipboardService.changeCount());
        QCOMPARE(coordinator.toast().model().text(), QStringLiteral("In Zwischenablage kopiert"));
        QCOMPARE(editors.size(), 1);
        QCOMPARE(coordinator.editorWindows().size(), size_t(1));
    }

    void areaHotkeyShowsTheIntroCardAfterTheFreeze()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        AppCoordinator coordinator(services);
        coordinator.start();
        services.globalHotkeys.press(1);
        QTRY_VERIFY(coordinator.introPresenter().window());
        QVERIFY(coordinator.screenshotService().isCapturing());
        QVERIFY(logText().contains(QStringLiteral("CAPTURE captureInteractive() (Bereich) gestartet")));

        // A second press while the card is up is ignored by the service.
        services.globalHotkeys.press(1);
        QTRY_VERIFY(logText().contains(QStringLiteral("beginInteractiveCapture: Freeze laeuft bereits -> ignoriere")));

        coordinator.introPresenter().window()->cancelButton()->click();
        QVERIFY(logText().contains(QStringLiteral("CAPTURE captureInteractive ABBRUCH: Anleitung abgebrochen (Esc)")));
        QTRY_VERIFY(!coordinator.screenshotService().isCapturing());
        QVERIFY(coordinator.screenshotStore().items().isEmpty());
        // The card read its hide key from the app's own user defaults.
        services.defaults.setValue(QStringLiteral("zentuHideCaptureIntro"), true);
        services.globalHotkeys.press(1);
        QTRY_VERIFY(coordinator.screenshotService().overlayController());
        QVERIFY(!coordinator.introPresenter().window());
    }

    void scrollingCaptureShowsItsCardAndEndsLikeEveryCapture()
    {
        FakeCoordinatorServices services;
        services.scrollPicker = []() -> QCoro::Task<std::optional<PickedWindow>> {
            co_return PickedWindow{77, QRectF(0, 0, 200, 300), 5, std::nullopt};
        };
        services.scrollRoad = std::make_shared<TallRoad>();
        AppCoordinator coordinator(services);
        coordinator.captureScrollingWindow();
        QTRY_VERIFY(coordinator.introPresenter().window());
        QTest::keyClick(coordinator.introPresenter().window(), Qt::Key_Return);
        QTRY_COMPARE(coordinator.screenshotStore().items().size(), 1);
        QCOMPARE(coordinator.screenshotStore().items().first().captureKind, CaptureKind::scrolling);
        QCOMPARE(services.clipboardService.image().size(), QSize(200, 1500));
        QCOMPARE(coordinator.toast().model().text(), QStringLiteral("In Zwischenablage kopiert"));
    }

    void refusedPermissionStopsTheRoad()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        services.capturePermissions.preflight = false;
        services.screens.contentAvailable = false;
        services.alertsFake.answers = {1};
        AppCoordinator coordinator(services);
        coordinator.start();
        services.globalHotkeys.press(6);
        QTRY_VERIFY(logText().contains(QStringLiteral("CAPTURE captureFullScreen ABBRUCH: keine Berechtigung")));
        QCOMPARE(services.alertsFake.shown.size(), 1);
        QVERIFY(coordinator.permissionGuards().isWatching());
        QVERIFY(coordinator.screenshotStore().items().isEmpty());
    }

    void pendingRequestIsIssuedAtStart()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        services.defaults.setValue(QString::fromLatin1(PermissionGuards::pendingRequestKey), true);
        AppCoordinator coordinator(services);
        coordinator.start();
        QVERIFY(!services.defaults.boolValue(PermissionGuards::pendingRequestKey));
        QTRY_VERIFY(logText().contains(QStringLiteral("PERM Startup-Request: SCK vorab = true")));
    }
};

ZENTU_TEST_MAIN(TestCoordinatorCaptureRoads)
#include "tst_coordinator_captureroads.moc"
