// The screenshot service's state machine and results with fake screens,
// windows and desktop: re-trigger rules, intro step, failed freeze, picture
// of each kind of choice, the window grab's fallback, the immediate capture.
#include "Storage/DebugLog.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "Screenshot/ScreenshotService.h"
#include "fakes/FakeOverlayDesktop.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowServer.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QKeyEvent>

namespace {
// Every completion a test hands in, and what it received.
struct Outcomes {
    QList<std::optional<CapturedScreenshot>> received;
    ScreenshotService::Completion completion()
    {
        return [this](std::optional<CapturedScreenshot> s) { received.append(std::move(s)); };
    }
};

struct Rig {
    FakeScreenSource screens;
    FakeWindowServer windowServer;
    FakeOverlayDesktop desktop;
    ScreenCapturer capturer{screens, windowServer};
    WindowDetector detector{windowServer, screens};
    ScreenshotService service{capturer, detector, desktop};

    Rig()
    {
        screens.addScreen(1, QRectF(0, 0, 800, 600), 1.0, QColor(10, 20, 30));
        windowServer.windows.append(WindowInfo{77, 500, QRectF(100, 100, 300, 200), 0, std::nullopt});
    }
    // Starts a capture and waits for its overlay.
    bool openOverlay(Outcomes& outcomes)
    {
        service.beginInteractiveCapture(true, nullptr, outcomes.completion());
        return QTest::qWaitFor([&] { return service.overlayController() != nullptr; }, 2000);
    }
    // A choice on the frozen screen, as the overlay view would hand it back.
    OverlaySelectionResult result(QRectF pixelRect, CaptureKind kind, std::optional<quint32> id = std::nullopt)
    {
        FrozenScreen frozen{screens.screenList.first(), QImage(800, 600, QImage::Format_RGB32), 1.0};
        frozen.cgImage.fill(QColor(10, 20, 30));
        return OverlaySelectionResult{frozen, pixelRect, kind, id};
    }
};
}

class TestScreenshotService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QFile::remove(DebugLog::filePath()); }

    void areaChoiceIsCutFromTheStill()
    {
        Rig rig;
        Outcomes outcomes;
        rig.service.beginInteractiveCapture(true, nullptr, outcomes.completion());
        QVERIFY(rig.service.isCapturing());
        QVERIFY(!rig.service.overlayController()); // freezing
        QTRY_VERIFY(rig.service.overlayController());
        QVERIFY(rig.service.isCapturing());
        QCOMPARE(rig.screens.cursorRequests, QList<bool>{false});
        rig.service.overlayController()->finish(rig.result(QRectF(10, 20, 200.4, 100.6), CaptureKind::area));
        QVERIFY(!rig.service.isCapturing());
        QVERIFY(!rig.service.overlayController());
        QCOMPARE(outcomes.received.size(), 1);
        QVERIFY(outcomes.received[0]);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::area);
        QCOMPARE(shot.image.size(), QSize(200, 101)); // the cut rounds
        QCOMPARE(shot.image.devicePixelRatio(), 1.0);
        QCOMPARE(shot.image.pixelColor(0, 0), QColor(10, 20, 30)); // no rounded corners
        QCOMPARE(debugLogLines(),
                 (QStringList{QStringLiteral("beginInteractiveCapture: starte Freeze …"),
                              QStringLiteral("beginInteractiveCapture: 1 Screen(s) eingefroren"),
                              QStringLiteral("beginInteractiveCapture: 1 Fenster erkannt"),
                              QStringLiteral("Overlay present: prevPolicy=1 -> accessory; screens=1"),
                              debugLogLines().value(4),
                              QStringLiteral("Overlay-Ergebnis: kind=area windowID=nil rect=200x100")}));
        QVERIFY(debugLogLines().value(4).startsWith(QStringLiteral("Overlay präsentiert: level=")));
    }

    void fullScreenChoiceAndWindowListSwitchedOff()
    {
        Rig rig;
        Outcomes outcomes;
        rig.service.beginInteractiveCapture(false, nullptr, outcomes.completion());
        QTRY_VERIFY(rig.service.overlayController());
        QVERIFY(debugLogLines().contains(QStringLiteral("beginInteractiveCapture: 0 Fenster erkannt")));
        rig.service.overlayController()->finish(rig.result(QRectF(0, 0, 800, 600), CaptureKind::fullScreen));
        QCOMPARE(outcomes.received.value(0)->kind, CaptureKind::fullScreen);
        QCOMPARE(outcomes.received.value(0)->image.size(), QSize(800, 600));
        QCOMPARE(qAlpha(outcomes.received.value(0)->image.pixel(0, 0)), 255);
        QVERIFY(debugLogLines().contains(QStringLiteral("Overlay-Ergebnis: kind=fullScreen windowID=nil rect=800x600")));
    }

    void secondStartWhileOverlayShownCancelsIt()
    {
        Rig rig;
        Outcomes first, second;
        QVERIFY(rig.openOverlay(first));
        QPointer<CaptureOverlayController> controller = rig.service.overlayController();
        rig.service.beginInteractiveCapture(true, nullptr, second.completion());
        // The first ends as a cancel, the second is completed at once with nothing.
        QCOMPARE(first.received.size(), 1);
        QVERIFY(!first.received[0]);
        QCOMPARE(second.received.size(), 1);
        QVERIFY(!second.received[0]);
        QVERIFY(!rig.service.isCapturing());
        QVERIFY(!rig.service.overlayController());
        QVERIFY(controller->didFinish());
        const QStringList log = debugLogLines();
        QVERIFY(log.contains(QStringLiteral("beginInteractiveCapture: bestehendes Overlay wird verworfen (Re-Trigger)")));
        QVERIFY(log.contains(QStringLiteral("Overlay: Abbruch (kein Ergebnis)")));
        QCOMPARE(log.count(QStringLiteral("beginInteractiveCapture: starte Freeze …")), 1);
        // No second overlay, and the next start works.
        QTest::qWait(20);
        QVERIFY(!rig.service.overlayController());
        Outcomes third;
        QVERIFY(rig.openOverlay(third));
        rig.service.overlayController()->finish(std::nullopt);
        QCOMPARE(third.received.size(), 1);
    }

    void captureHotkeyOnTheOverlayCountsAsSecondStart()
    {
        Rig rig;
        rig.service.setCaptureHotkeyMatcher(
            [](const QKeyEvent& k) { return k.key() == Qt::Key_4 && k.modifiers() == Qt::ControlModifier; });
        Outcomes outcomes;
        QVERIFY(rig.openOverlay(outcomes));
        QWidget* view = rig.service.overlayController()->overlayWindows().first()->contentView();
        QTest::keyClick(view, Qt::Key_4);
        QVERIFY(outcomes.received.isEmpty());
        QTest::keyClick(view, Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(outcomes.received.size(), 1);
        QVERIFY(!outcomes.received[0]);
        QVERIFY(!rig.service.isCapturing());
        QVERIFY(debugLogLines().contains(
            QStringLiteral("beginInteractiveCapture: bestehendes Overlay wird verworfen (Re-Trigger)")));
    }

    void startDuringFreezeOrIntroIsIgnored()
    {
        Rig rig;
        Outcomes first, second, third;
        std::function<void(bool)> proceed;
        int introCalls = 0;
        rig.service.beginInteractiveCapture(
            true,
            [&](std::function<void(bool)> continuation) {
                ++introCalls;
                proceed = continuation;
            },
            first.completion());
        rig.service.beginInteractiveCapture(true, nullptr, second.completion()); // freeze not run yet
        QCOMPARE(second.received.size(), 1);
        QVERIFY(!second.received[0]);
        QTRY_COMPARE(introCalls, 1);
        rig.service.beginInteractiveCapture(true, nullptr, third.completion()); // intro card shown
        QCOMPARE(third.received.size(), 1);
        QCOMPARE(debugLogLines().count(QStringLiteral("beginInteractiveCapture: Freeze laeuft bereits -> ignoriere")), 2);
        QVERIFY(first.received.isEmpty());
        QVERIFY(!rig.service.overlayController());
        QVERIFY(rig.service.isCapturing());
        proceed(true);
        QVERIFY(rig.service.overlayController());
        proceed(true); // a second answer is ignored
        proceed(false);
        QVERIFY(rig.service.isCapturing());
        rig.service.overlayController()->finish(std::nullopt);
        QCOMPARE(first.received.size(), 1);
        QCOMPARE(introCalls, 1);
    }

    void introAnsweredNoOrFailedFreezeEndsIdle()
    {
        Rig rig;
        Outcomes declined;
        rig.service.beginInteractiveCapture(
            true, [](std::function<void(bool)> continuation) { continuation(false); }, declined.completion());
        QTRY_COMPARE(declined.received.size(), 1);
        QVERIFY(!declined.received[0]);
        QVERIFY(!rig.service.isCapturing());
        QVERIFY(!rig.service.overlayController());
        QFile::remove(DebugLog::filePath());

        rig.screens.contentAvailable = false; // no permission
        Outcomes outcomes;
        rig.service.beginInteractiveCapture(true, nullptr, outcomes.completion());
        QTRY_COMPARE(outcomes.received.size(), 1);
        QVERIFY(!outcomes.received[0]);
        QVERIFY(!rig.service.isCapturing());
        QCOMPARE(debugLogLines().mid(1),
                 (QStringList{QStringLiteral("beginInteractiveCapture: 0 Screen(s) eingefroren"),
                              QStringLiteral("beginInteractiveCapture: KEIN Screen eingefroren -> Abbruch "
                                             "(Berechtigung? Vollbild?)")}));
        QCOMPARE(rig.desktop.policyWrites.size(), 0); // no overlay was shown
    }

    void windowChoiceGrabsTheLiveWindow()
    {
        Rig rig;
        rig.desktop.policy = OverlayDesktop::regular;
        Outcomes outcomes;
        QVERIFY(rig.openOverlay(outcomes));
        rig.service.overlayController()->finish(rig.result(QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QCOMPARE(rig.desktop.policy, int(OverlayDesktop::regular)); // restored before the grab
        QVERIFY(!rig.service.isCapturing());
        QTRY_COMPARE(outcomes.received.size(), 1);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::window);
        QCOMPARE(shot.image.size(), QSize(300, 200));
        QCOMPARE(qAlpha(shot.image.pixel(0, 0)), 0);
        QCOMPARE(shot.image.pixelColor(150, 100), QColor(Qt::blue)); // the live window, not the still
        QCOMPARE(rig.windowServer.cursorRequests, QList<bool>{false});
        const QStringList log = debugLogLines();
        QVERIFY(log.contains(QStringLiteral("Overlay-Ergebnis: kind=window windowID=77 rect=300x200")));
        QVERIFY(log.contains(QStringLiteral("Fenster direkt aufgenommen (ohne Ueberlappung): 300x200")));
    }

    void closedWindowFallsBackToRoundedCut()
    {
        Rig rig;
        rig.windowServer.failingWindows.append(77);
        Outcomes outcomes;
        QVERIFY(rig.openOverlay(outcomes));
        rig.service.overlayController()->finish(rig.result(QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QTRY_COMPARE(outcomes.received.size(), 1);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::window);
        QCOMPARE(shot.image.size(), QSize(300, 200));
        QCOMPARE(qAlpha(shot.image.pixel(0, 0)), 0);
        QCOMPARE(shot.image.pixelColor(150, 100), QColor(10, 20, 30)); // from the still
        QVERIFY(debugLogLines().contains(
            QStringLiteral("Direkte Fensteraufnahme fehlgeschlagen -> Crop-Fallback (mit runden Ecken)")));
    }

    void windowGrabWaitsForTheScreenToRepaint()
    {
        Rig rig;
        // The screen still shows the overlay's leftovers where the window is.
        rig.desktop.screen = QImage(800, 600, QImage::Format_RGB32);
        rig.desktop.screen.fill(Qt::darkGray);
        Outcomes outcomes;
        QVERIFY(rig.openOverlay(outcomes));
        rig.service.overlayController()->finish(rig.result(QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QTest::qWait(60);
        QVERIFY(outcomes.received.isEmpty());
        QCOMPARE(rig.desktop.screenReads.value(0), QRect(100, 100, 300, 200));
        rig.desktop.screen.fill(QColor(10, 20, 30)); // repainted
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 200);
        // A window that never looks like the still again is grabbed after a bounded wait.
        rig.desktop.screen.fill(Qt::darkGray);
        Outcomes late;
        QVERIFY(rig.openOverlay(late));
        rig.service.overlayController()->finish(rig.result(QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QTRY_COMPARE_WITH_TIMEOUT(late.received.size(), 1, ScreenshotService::repaintTimeoutMs + 500);
        QVERIFY(late.received[0]);
    }

    void cutOutsideTheStillGivesNothing()
    {
        Rig rig;
        Outcomes outcomes;
        QVERIFY(rig.openOverlay(outcomes));
        rig.service.overlayController()->finish(rig.result(QRectF(900, 700, 50, 50), CaptureKind::area));
        QCOMPARE(outcomes.received.size(), 1);
        QVERIFY(!outcomes.received[0]);
        QVERIFY(debugLogLines().contains(QStringLiteral("Crop fehlgeschlagen")));
        // A window choice without a window number is cut directly, rounded.
        Outcomes window;
        QVERIFY(rig.openOverlay(window));
        rig.service.overlayController()->finish(rig.result(QRectF(0, 0, 40, 30), CaptureKind::window));
        QCOMPARE(window.received.size(), 1);
        QCOMPARE(qAlpha(window.received[0]->image.pixel(0, 0)), 0);
        QVERIFY(rig.windowServer.requestedSizes.isEmpty());
    }

    void immediateCaptureTakesTheScreenUnderThePointer()
    {
        Rig rig;
        rig.screens.addScreen(2, QRectF(800, 0, 1512, 982), 2.0, QColor(90, 80, 70));
        rig.screens.pointer = QPointF(1000, 500);
        Outcomes outcomes;
        rig.service.captureFullScreenImmediately(true, outcomes.completion());
        QVERIFY(outcomes.received.isEmpty()); // grabbed from the event loop
        QTRY_COMPARE(outcomes.received.size(), 1);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::fullScreen);
        QCOMPARE(shot.image.size(), QSize(3024, 1964));
        QCOMPARE(shot.image.pixelColor(5, 5), QColor(90, 80, 70));
        QCOMPARE(rig.screens.cursorRequests, QList<bool>{true});
        QCOMPARE(debugLogLines(), (QStringList{QStringLiteral("captureFullScreen: Screen 1512x982 @ 2.0x"),
                                             QStringLiteral("captureFullScreen: OK 3024x1964")}));

        // Pointer on no screen: the first; it runs beside an interactive capture.
        rig.screens.pointer = QPointF(-50, -50);
        Outcomes interactive, immediate;
        QVERIFY(rig.openOverlay(interactive));
        rig.service.captureFullScreenImmediately(false, immediate.completion());
        rig.service.captureFullScreenImmediately(false, immediate.completion());
        QTRY_COMPARE(immediate.received.size(), 2);
        QCOMPARE(immediate.received[0]->image.size(), QSize(800, 600));
        QVERIFY(rig.service.overlayController());
        QVERIFY(interactive.received.isEmpty());
        rig.service.overlayController()->finish(std::nullopt);

        rig.screens.failingDisplays.append(1);
        Outcomes failed;
        rig.service.captureFullScreenImmediately(false, failed.completion());
        QTRY_COMPARE(failed.received.size(), 1);
        QVERIFY(!failed.received[0]);
        QVERIFY(debugLogLines().contains(
            QStringLiteral("captureFullScreen: captureDisplayImage == nil (Berechtigung/SCK-Fehler)")));

        rig.screens.screenList.clear();
        Outcomes none;
        rig.service.captureFullScreenImmediately(false, none.completion());
        QCOMPARE(none.received.size(), 1);
        QVERIFY(!none.received[0]);
    }

    void serviceGoneBeforeItsTaskRuns()
    {
        Outcomes outcomes;
        {
            Rig rig;
            rig.service.beginInteractiveCapture(true, nullptr, outcomes.completion());
            rig.service.captureFullScreenImmediately(false, outcomes.completion());
        }
        QTest::qWait(20);
        QVERIFY(outcomes.received.isEmpty());
    }
};

ZENTU_TEST_MAIN(TestScreenshotService)
#include "tst_ScreenshotService.moc"
