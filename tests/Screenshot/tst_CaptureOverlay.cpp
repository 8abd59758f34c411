// The overlay view's pointer and key handling and its drawing, and the
// controller's presentation, finish-once, key monitor, grab retry and policy
// restore, on the offscreen platform with a fake desktop.
#include "Storage/DebugLog.h"
#include "Screenshot/CaptureOverlayController.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "fakes/FakeOverlayDesktop.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace {
FrozenScreen frozenScreen(QRectF frame, qreal scale = 1, QColor colour = QColor(200, 100, 50))
{
    QImage still((frame.size() * scale).toSize(), QImage::Format_RGB32);
    still.fill(colour);
    return FrozenScreen{ScreenInfo{1, QStringLiteral("screen"), frame, scale}, still, scale};
}

void mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

struct Recorder {
    QList<OverlaySelectionResult> results;
    int cancels = 0;
    std::function<void(const OverlaySelectionResult&)> onResult()
    {
        return [this](const OverlaySelectionResult& r) { results.append(r); };
    }
    std::function<void()> onCancel()
    {
        return [this] { ++cancels; };
    }
};
}

class TestCaptureOverlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QFile::remove(DebugLog::filePath()); }

    void releaseWithoutPressAndOtherButtonsSelectNothing()
    {
        Recorder r;
        CaptureOverlayView view(frozenScreen(QRectF(0, 0, 400, 300)), {}, r.onResult(), r.onCancel());
        // The release of the click that started the capture.
        mouse(&view, QEvent::MouseButtonRelease, QPointF(50, 50), Qt::LeftButton, Qt::NoButton);
        mouse(&view, QEvent::MouseButtonPress, QPointF(50, 50), Qt::RightButton, Qt::RightButton);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(50, 50), Qt::RightButton, Qt::NoButton);
        mouse(&view, QEvent::MouseButtonPress, QPointF(50, 50), Qt::MiddleButton, Qt::MiddleButton);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(90, 90), Qt::MiddleButton, Qt::NoButton);
        QCOMPARE(r.results.size(), 0);
        // A right release during a left press does not end it either.
        mouse(&view, QEvent::MouseButtonPress, QPointF(10, 20), Qt::LeftButton, Qt::LeftButton);
        mouse(&view, QEvent::MouseMove, QPointF(60, 80), Qt::NoButton, Qt::LeftButton);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(60, 80), Qt::RightButton, Qt::LeftButton);
        QCOMPARE(r.results.size(), 0);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(110, 70), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results.size(), 1);
        QCOMPARE(r.results[0].kind, CaptureKind::area);
        QCOMPARE(r.results[0].pixelRect, QRectF(10, 20, 100, 50));
        // Each press gives one result; a second release does not.
        mouse(&view, QEvent::MouseButtonRelease, QPointF(110, 70), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results.size(), 1);
    }

    void clicksAndShortDragsPickWindowOrScreen()
    {
        Recorder r;
        const DetectedWindow w{42, 7, QRectF(1100, 50, 200, 100), QRectF()};
        // Second screen at x = 1000, scale 2.
        CaptureOverlayView view(frozenScreen(QRectF(1000, 0, 400, 300), 2), {w}, r.onResult(), r.onCancel());
        mouse(&view, QEvent::MouseMove, QPointF(150, 60), Qt::NoButton, Qt::NoButton);
        mouse(&view, QEvent::MouseButtonPress, QPointF(150, 60), Qt::LeftButton, Qt::LeftButton);
        mouse(&view, QEvent::MouseMove, QPointF(155, 65), Qt::NoButton, Qt::LeftButton); // 5 points: still a click
        mouse(&view, QEvent::MouseButtonRelease, QPointF(155, 65), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results.size(), 1);
        QCOMPARE(r.results[0].kind, CaptureKind::window);
        QCOMPARE(r.results[0].windowID, 42u);
        QCOMPARE(r.results[0].pixelRect, QRectF(200, 100, 400, 200));
        QCOMPARE(r.results[0].screen.screen.frame, QRectF(1000, 0, 400, 300));
        mouse(&view, QEvent::MouseButtonPress, QPointF(10, 250), Qt::LeftButton, Qt::LeftButton);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(10, 250), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results[1].kind, CaptureKind::fullScreen);
        QCOMPARE(r.results[1].pixelRect, QRectF(0, 0, 800, 600));
        QVERIFY(!r.results[1].windowID);
    }

    void escapeCancelsOnce()
    {
        Recorder r;
        CaptureOverlayView view(frozenScreen(QRectF(0, 0, 100, 100)), {}, r.onResult(), r.onCancel());
        QTest::keyClick(&view, Qt::Key_A);
        QCOMPARE(r.cancels, 0);
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(r.cancels, 1);
        QCOMPARE(r.results.size(), 0);
    }

    void drawsDimmedStillWithHighlightAndBadges()
    {
        Recorder r;
        const DetectedWindow w{5, 7, QRectF(20, 20, 100, 60), QRectF()};
        CaptureOverlayView view(frozenScreen(QRectF(0, 0, 600, 400)), {w}, r.onResult(), r.onCancel());
        // Outside: the whole still under the veil (0.65 of each channel).
        QImage image = view.grab().toImage();
        QCOMPARE(image.pixelColor(300, 200).rgb(), qRgb(130, 65, 33));
        // Hovering the window shows it undimmed with a border; the loupe
        // shows the colour read-out.
        mouse(&view, QEvent::MouseMove, QPointF(60, 50), Qt::NoButton, Qt::NoButton);
        image = view.grab().toImage();
        QCOMPARE(image.pixelColor(40, 40).rgb(), qRgb(200, 100, 50));
        QCOMPARE(image.pixelColor(300, 300).rgb(), qRgb(130, 65, 33));
        const QColor border = image.pixelColor(21, 50);
        QVERIFY2(border.blue() > border.red(), qPrintable(border.name()));
        // Dragging: the area undimmed, the rest dimmed, the window not highlighted.
        mouse(&view, QEvent::MouseButtonPress, QPointF(300, 100), Qt::LeftButton, Qt::LeftButton);
        mouse(&view, QEvent::MouseMove, QPointF(500, 300), Qt::NoButton, Qt::LeftButton);
        image = view.grab().toImage();
        QCOMPARE(image.pixelColor(350, 150).rgb(), qRgb(200, 100, 50));
        QCOMPARE(image.pixelColor(40, 40).rgb(), qRgb(130, 65, 33));
        // Nearly everything: the whole screen is undimmed.
        mouse(&view, QEvent::MouseMove, QPointF(2, 2), Qt::NoButton, Qt::LeftButton);
        mouse(&view, QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton);
        mouse(&view, QEvent::MouseMove, QPointF(599, 399), Qt::NoButton, Qt::LeftButton);
        image = view.grab().toImage();
        QCOMPARE(image.pixelColor(100, 300).rgb(), qRgb(200, 100, 50));
    }

    void presentSwitchesPolicyAndFinishRestoresItOnce()
    {
        FakeOverlayDesktop desktop;
        desktop.policy = OverlayDesktop::regular; // an editor window is open
        CaptureOverlayController controller(
            {frozenScreen(QRectF(0, 0, 300, 200)), frozenScreen(QRectF(300, 0, 300, 200))}, {}, desktop);
        QList<std::optional<OverlaySelectionResult>> received;
        controller.present([&](std::optional<OverlaySelectionResult> r) {
            // Windows gone and policy back before the result is handed on.
            QCOMPARE(desktop.policy, int(OverlayDesktop::regular));
            QVERIFY(controller.overlayWindows().isEmpty());
            received.append(r);
        });
        QCOMPARE(desktop.policyWrites, QList<int>{OverlayDesktop::accessory});
        QCOMPARE(controller.overlayWindows().size(), 2);
        QList<QPointer<CaptureOverlayWindow>> windows;
        for (CaptureOverlayWindow* w : controller.overlayWindows()) {
            QVERIFY(w->isVisible());
            QVERIFY(w->contentView());
            QVERIFY(w->windowFlags() & Qt::X11BypassWindowManagerHint);
            windows.append(w);
        }
        QCOMPARE(windows[1]->geometry(), QRect(300, 0, 300, 200));
        // Each window got its veiled still as backdrop before it showed, and
        // the view paints that same image.
        QCOMPARE(desktop.backdrops.size(), 2);
        QCOMPARE(desktop.backdrops[1].first, quint64(windows[1]->winId()));
        QCOMPARE(desktop.backdrops[1].second.pixel(10, 10), qRgb(130, 65, 33));
        QCOMPARE(desktop.backdrops[1].second, windows[1]->contentView()->dimmedStill());
        QVERIFY(controller.hasInput());
        QVERIFY(debugLogLines().contains(QStringLiteral("Overlay present: prevPolicy=0 -> accessory; screens=2")));
        QVERIFY(debugLogLines().last().startsWith(
            QStringLiteral("Overlay präsentiert: level=1000 visible=true key=true frame=300x200")));

        OverlaySelectionResult first{frozenScreen(QRectF(0, 0, 300, 200)), QRectF(1, 2, 3, 4), CaptureKind::area, {}};
        controller.finish(first);
        controller.finish(std::nullopt); // Escape right after a click
        QCOMPARE(received.size(), 1);
        QVERIFY(received[0]);
        QCOMPARE(received[0]->pixelRect, QRectF(1, 2, 3, 4));
        QCOMPARE(desktop.policyWrites, (QList<int>{OverlayDesktop::accessory, OverlayDesktop::regular}));
        QCOMPARE(desktop.releases, 1);
        QCOMPARE(desktop.clearedBackdrops, (QList<quint64>{desktop.backdrops[0].first, desktop.backdrops[1].first}));
        for (const QPointer<CaptureOverlayWindow>& w : windows)
            QVERIFY(!w || (w->isHidden() && !w->contentView()));
        QTRY_VERIFY(!windows[0] && !windows[1]);
    }

    void accessoryPolicyIsLeftAlone()
    {
        FakeOverlayDesktop desktop;
        CaptureOverlayController controller({frozenScreen(QRectF(0, 0, 300, 200))}, {}, desktop);
        int calls = 0;
        controller.present([&](std::optional<OverlaySelectionResult>) { ++calls; });
        controller.finish(std::nullopt);
        QCOMPARE(calls, 1);
        QVERIFY(desktop.policyWrites.isEmpty());
    }

    void escapeAnywhereEndsAndIsSwallowed()
    {
        FakeOverlayDesktop desktop;
        QLineEdit elsewhere;
        elsewhere.show();
        CaptureOverlayController controller({frozenScreen(QRectF(0, 0, 300, 200))}, {}, desktop);
        QList<std::optional<OverlaySelectionResult>> received;
        controller.present([&](std::optional<OverlaySelectionResult> r) { received.append(r); });
        QTest::keyClick(&elsewhere, Qt::Key_B);
        QCOMPARE(elsewhere.text(), QStringLiteral("b")); // other keys pass on
        QVERIFY(received.isEmpty());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QVERIFY(QApplication::sendEvent(&elsewhere, &escape));
        QCOMPARE(received.size(), 1);
        QVERIFY(!received[0]);
        // The view's own Escape after that changes nothing.
        controller.finish(std::nullopt);
        QCOMPARE(received.size(), 1);
    }

    void retriggerKeyIsRecognisedWhileKeyboardIsHeld()
    {
        FakeOverlayDesktop desktop;
        CaptureOverlayController controller({frozenScreen(QRectF(0, 0, 300, 200))}, {}, desktop);
        int retriggers = 0;
        controller.setRetriggerKey(
            [](const QKeyEvent& k) { return k.key() == Qt::Key_2 && k.modifiers() == Qt::ShiftModifier; },
            [&] { ++retriggers; });
        controller.present([](std::optional<OverlaySelectionResult>) {});
        QWidget* view = controller.overlayWindows().first()->contentView();
        QTest::keyClick(view, Qt::Key_2);
        QCOMPARE(retriggers, 0);
        QTest::keyClick(view, Qt::Key_2, Qt::ShiftModifier);
        QCOMPARE(retriggers, 1);
        controller.finish(std::nullopt);
    }

    void noFrozenScreenFinishesAtOnce()
    {
        FakeOverlayDesktop desktop;
        desktop.policy = OverlayDesktop::regular;
        CaptureOverlayController controller({}, {}, desktop);
        int calls = 0;
        bool gotResult = true;
        controller.present([&](std::optional<OverlaySelectionResult> r) {
            ++calls;
            gotResult = r.has_value();
        });
        QCOMPARE(calls, 1);
        QVERIFY(!gotResult);
        QVERIFY(controller.didFinish());
        QCOMPARE(desktop.policy, int(OverlayDesktop::regular));
        QVERIFY(debugLogLines().contains(QStringLiteral("Overlay präsentiert: KEIN bevorzugtes Fenster")));
    }

    void heldGrabIsRetriedThenLogged()
    {
        FakeOverlayDesktop desktop;
        desktop.grabFailures = 3;
        {
            CaptureOverlayController controller({frozenScreen(QRectF(0, 0, 300, 200))}, {}, desktop);
            controller.present([](std::optional<OverlaySelectionResult>) {});
            QVERIFY(!controller.hasInput());
            QTRY_VERIFY_WITH_TIMEOUT(controller.hasInput(), 2000);
            QCOMPARE(desktop.grabAttempts, 4);
            QVERIFY(debugLogLines().contains(QStringLiteral("Overlay: Tastatur und Maus nach 4 Versuchen gegriffen")));
            controller.finish(std::nullopt);
        }
        desktop.grabFailures = 1000;
        CaptureOverlayController controller({frozenScreen(QRectF(0, 0, 300, 200))}, {}, desktop);
        controller.present([](std::optional<OverlaySelectionResult>) {});
        QTRY_VERIFY_WITH_TIMEOUT(
            debugLogLines().contains(
                QStringLiteral("Overlay: Tastatur/Maus nicht greifbar (ein anderes Programm haelt sie)")),
            3000);
        // The overlay still works with what it has; Escape through the monitor ends it.
        QVERIFY(!controller.didFinish());
        controller.finish(std::nullopt);
        QCOMPARE(desktop.releases, 1); // only the earlier, successful grab was released
    }
};

ZENTU_TEST_MAIN(TestCaptureOverlay)
#include "tst_CaptureOverlay.moc"
