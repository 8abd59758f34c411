// The screenshot service's state machine and results with fake screens,
// windows and desktop.
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "Screenshot/ScreenshotService.h"
#include "fakes/FakeOverlayDesktop.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowRedirector.h"
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
    bool endedEmpty() const { return received.size() == 1 && !received[0]; }
};

struct Rig {
    FakeScreenSource screens;
    FakeWindowServer windowServer;
    FakeOverlayDesktop desktop;
    FakeWindowRedirector redirector;
    ScreenCapturer capturer{screens, windowServer};
    WindowDetector detector{windowServer, screens};
    ScreenshotService service{capturer, detector, desktop, redirector};

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
    // Opens an overlay and makes that choice on it.
    bool choose(Outcomes& outcomes, QRectF pixelRect, CaptureKind kind, std::optional<quint32> id = std::nullopt)
    {
        if (!openOverlay(outcomes))
            return false;
        service.overlayController()->finish(result(pixelRect, kind, id));
        return true;
    }
};
}

class TestScreenshotService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void areaChoiceIsCutFromTheStill()
    {
        Rig rig;
        Outcomes area;
        rig.service.beginInteractiveCapture(true, nullptr, area.completion());
        QVERIFY(rig.service.isCapturing());
        QVERIFY(!rig.service.overlayController()); // freezing
        QTRY_VERIFY(rig.service.overlayController());
        QCOMPARE(rig.screens.cursorRequests, QList<bool>{false});
        rig.service.overlayController()->finish(rig.result(QRectF(10, 20, 200.4, 100.6), CaptureKind::area));
        QVERIFY(!rig.service.isCapturing() && !rig.service.overlayController());
        QCOMPARE(area.received.size(), 1);
        QCOMPARE(area.received[0]->kind, CaptureKind::area);
        QCOMPARE(area.received[0]->image.size(), QSize(200, 101)); // the cut rounds
        QCOMPARE(area.received[0]->image.pixelColor(0, 0), QColor(10, 20, 30)); // no rounded corners
    }

    void secondStartOrCaptureHotkeyWhileOverlayShownCancelsIt()
    {
        Rig rig;
        rig.service.setCaptureHotkeyMatcher(
            [](const QKeyEvent& k) { return k.key() == Qt::Key_4 && k.modifiers() == Qt::ControlModifier; });
        Outcomes first, second, third;
        QVERIFY(rig.openOverlay(first));
        QPointer<CaptureOverlayController> controller = rig.service.overlayController();
        rig.service.beginInteractiveCapture(true, nullptr, second.completion());
        // The first ends as a cancel, the second is completed at once with nothing.
        QVERIFY(first.endedEmpty() && second.endedEmpty());
        QVERIFY(!rig.service.isCapturing());
        QVERIFY(controller->didFinish());
        QTest::qWait(20); // no second overlay comes up
        QVERIFY(!rig.service.overlayController());

        // The overlay holds the keyboard: the capture hotkey pressed on it is a second start.
        QVERIFY(rig.openOverlay(third));
        QWidget* view = rig.service.overlayController()->overlayWindows().first()->contentView();
        QTest::keyClick(view, Qt::Key_4);
        QVERIFY(third.received.isEmpty());
        QTest::keyClick(view, Qt::Key_4, Qt::ControlModifier);
        QVERIFY(third.endedEmpty());
        QVERIFY(!rig.service.isCapturing());
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
        QVERIFY(second.endedEmpty());
        QTRY_COMPARE(introCalls, 1);
        rig.service.beginInteractiveCapture(true, nullptr, third.completion()); // intro card shown
        QVERIFY(third.endedEmpty() && first.received.isEmpty());
        QVERIFY(!rig.service.overlayController() && rig.service.isCapturing());
        proceed(true);
        QVERIFY(rig.service.overlayController());
        proceed(true); // a second answer is ignored
        proceed(false);
        QVERIFY(rig.service.isCapturing());
        rig.service.overlayController()->finish(std::nullopt);
        QCOMPARE(first.received.size(), 1);
        QCOMPARE(introCalls, 1);
    }

    void failedFreezeEndsIdle()
    {
        Rig rig;
        rig.screens.contentAvailable = false; // no permission
        Outcomes outcomes;
        rig.service.beginInteractiveCapture(true, nullptr, outcomes.completion());
        QTRY_VERIFY(outcomes.endedEmpty());
        QVERIFY(!rig.service.isCapturing());
        QCOMPARE(rig.desktop.policyWrites.size(), 0); // no overlay was shown
    }

    void windowChoiceWaitsForTheRepaintThenGrabsTheLiveWindow()
    {
        Rig rig;
        rig.desktop.policy = OverlayDesktop::regular;
        // The screen still shows the overlay's leftovers where the window is.
        rig.desktop.screen = QImage(800, 600, QImage::Format_RGB32);
        rig.desktop.screen.fill(Qt::darkGray);
        Outcomes outcomes;
        QVERIFY(rig.openOverlay(outcomes));
        // Listed windows keep their own pictures from the freeze to the grab.
        QCOMPARE(rig.redirector.kept, QList<quint32>{77});
        rig.service.overlayController()->finish(rig.result(QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QCOMPARE(rig.desktop.policy, int(OverlayDesktop::regular)); // restored before the grab
        QTest::qWait(60);
        QVERIFY(outcomes.received.isEmpty());
        QCOMPARE(rig.redirector.kept, QList<quint32>{77});
        QCOMPARE(rig.desktop.screenReads.value(0), QRect(100, 100, 300, 200));
        rig.desktop.screen.fill(QColor(10, 20, 30)); // repainted
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 200);
        // The live window at its own size, its square corners kept.
        const QImage live = outcomes.received[0]->image;
        QCOMPARE(live.size(), QSize(300, 200));
        QCOMPARE(live.pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(rig.windowServer.cursorRequests, QList<bool>{false});
        QVERIFY(rig.redirector.kept.isEmpty() && rig.redirector.releases == 1);

        // A window that never looks like the still again is grabbed after a bounded wait.
        rig.desktop.screen.fill(Qt::darkGray);
        Outcomes late;
        QVERIFY(rig.choose(late, QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QTRY_COMPARE_WITH_TIMEOUT(late.received.size(), 1, ScreenshotService::repaintTimeoutMs + 500);
        QVERIFY(late.received[0]);

        // Without the window's own pixmap the picture is cut from the screen,
        // and the log says so instead of claiming a clean grab.
        rig.windowServer.cutFromScreen = true;
        rig.desktop.screen.fill(QColor(10, 20, 30));
        Outcomes screenCut;
        QVERIFY(rig.choose(screenCut, QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QTRY_COMPARE(screenCut.received.size(), 1);
        QVERIFY(debugLogMessages().last().startsWith(QStringLiteral("Fenster vom Bildschirm ausgeschnitten")));
        rig.windowServer.cutFromScreen = false;

        // A closed window: the cut from the still, corners as they were there.
        rig.windowServer.failingWindows.append(77);
        Outcomes closed;
        QVERIFY(rig.choose(closed, QRectF(100, 100, 300, 200), CaptureKind::window, 77u));
        QTRY_COMPARE(closed.received.size(), 1);
        const QImage cut = closed.received[0]->image;
        QCOMPARE(closed.received[0]->kind, CaptureKind::window);
        QCOMPARE(cut.size(), QSize(300, 200));
        QVERIFY(cut.pixelColor(0, 0) == QColor(10, 20, 30) && cut.pixelColor(150, 100) == QColor(10, 20, 30));
        // A window choice without a window number is cut directly.
        Outcomes unnumbered;
        QVERIFY(rig.choose(unnumbered, QRectF(0, 0, 40, 30), CaptureKind::window));
        QCOMPARE(unnumbered.received.value(0)->image.pixelColor(0, 0), QColor(10, 20, 30));
        // A cut outside the still gives nothing; a cancel lets the windows go too.
        Outcomes outside;
        QVERIFY(rig.choose(outside, QRectF(900, 700, 50, 50), CaptureKind::area));
        QVERIFY(outside.endedEmpty());
        Outcomes cancelled;
        QVERIFY(rig.openOverlay(cancelled) && !rig.redirector.kept.isEmpty());
        rig.service.overlayController()->finish(std::nullopt);
        QVERIFY(cancelled.endedEmpty() && rig.redirector.kept.isEmpty());
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
        // A failing grab, no screen at all: nothing.
        rig.screens.failingDisplays.append(1);
        Outcomes failed, none;
        rig.service.captureFullScreenImmediately(false, failed.completion());
        QTRY_VERIFY(failed.endedEmpty());
        rig.screens.screenList.clear();
        rig.service.captureFullScreenImmediately(false, none.completion());
        QVERIFY(none.endedEmpty());
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
