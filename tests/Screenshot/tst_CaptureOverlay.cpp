// The selection overlay on the offscreen platform configured with two screens
// (the second at scale 2) and a fake desktop: the view's input and drawing; the
// controller's windows, finish-once, key monitor, grab retry, policy restore.
#include "Debug/DebugLog.h"
#include "Screenshot/CaptureOverlayController.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "fakes/FakeOverlayDesktop.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

namespace {
FrozenScreen frozenScreen(QRectF frame, qreal scale = 1, QColor colour = QColor(200, 100, 50),
                          QString name = QStringLiteral("screen"))
{
    QImage still((frame.size() * scale).toSize(), QImage::Format_RGB32);
    still.fill(colour);
    return FrozenScreen{ScreenInfo{quint32(frame.x()), name, frame, scale}, still, scale};
}

FrozenScreen frozenOf(QScreen* screen, QColor colour)
{
    return frozenScreen(screen->geometry(), screen->devicePixelRatio(), colour, screen->name());
}

void mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// A left press moved to `to`, released there unless `hold`.
void drag(QWidget* w, QPointF from, QPointF to, bool hold = false)
{
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    if (!hold)
        mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

struct Recorder {
    QList<OverlaySelectionResult> results;
    int cancels = 0;
    auto onResult() { return [this](const OverlaySelectionResult& r) { results.append(r); }; }
    auto onCancel() { return [this] { ++cancels; }; }
};

using Received = QList<std::optional<OverlaySelectionResult>>;
auto into(Received& received)
{
    return [&received](std::optional<OverlaySelectionResult> r) { received.append(r); };
}
}

class TestCaptureOverlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QFile::remove(DebugLog::filePath()); }

    void strayReleasesAndOtherButtonsSelectNothing()
    {
        Recorder r;
        CaptureOverlayView view(frozenScreen(QRectF(0, 0, 400, 300)), {}, r.onResult(), r.onCancel());
        // The release of the click that started the capture.
        mouse(&view, QEvent::MouseButtonRelease, QPointF(50, 50), Qt::LeftButton, Qt::NoButton);
        mouse(&view, QEvent::MouseButtonPress, QPointF(50, 50), Qt::MiddleButton, Qt::MiddleButton);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(90, 90), Qt::MiddleButton, Qt::NoButton);
        // A right release during a left press does not end it either.
        drag(&view, QPointF(10, 20), QPointF(60, 80), true);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(60, 80), Qt::RightButton, Qt::LeftButton);
        QTest::keyClick(&view, Qt::Key_A);
        QCOMPARE(r.results.size() + r.cancels, 0);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(110, 70), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results.size(), 1);
        QCOMPARE(r.results[0].kind, CaptureKind::area);
        QCOMPARE(r.results[0].pixelRect, QRectF(10, 20, 100, 50));
        // Each press gives one result; a second release does not.
        mouse(&view, QEvent::MouseButtonRelease, QPointF(110, 70), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results.size(), 1);
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(r.cancels, 1);
    }

    void drawsTheVeiledStillAndPicksWhatWasChosen()
    {
        Recorder r;
        const DetectedWindow w{5, 7, QRectF(20, 20, 100, 60), QRectF()};
        CaptureOverlayView view(frozenScreen(QRectF(0, 0, 600, 400)), {w}, r.onResult(), r.onCancel());
        const QRgb veiled = qRgb(130, 65, 33), still = qRgb(200, 100, 50);
        QCOMPARE(view.grab().toImage().pixel(300, 200), veiled);
        // Hovering the window shows it unveiled.
        mouse(&view, QEvent::MouseMove, QPointF(60, 50), Qt::NoButton, Qt::NoButton);
        QImage image = view.grab().toImage();
        QCOMPARE(image.pixel(40, 40), still);
        QCOMPARE(image.pixel(300, 300), veiled);
        drag(&view, QPointF(60, 50), QPointF(65, 55)); // 5 points: still a click
        QCOMPARE(r.results.value(0).kind, CaptureKind::window);
        QCOMPARE(r.results.value(0).windowID, 5u);
        QCOMPARE(r.results.value(0).pixelRect, QRectF(20, 20, 100, 60));
        drag(&view, QPointF(300, 300), QPointF(300, 300)); // beside every window
        QCOMPARE(r.results.value(1).kind, CaptureKind::fullScreen);
        // Dragging: the area unveiled, the window no longer highlighted.
        drag(&view, QPointF(300, 100), QPointF(500, 300), true);
        image = view.grab().toImage();
        QCOMPARE(image.pixel(350, 150), still);
        QCOMPARE(image.pixel(40, 40), veiled);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(500, 300), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results.value(2).pixelRect, QRectF(300, 100, 200, 200));
        // Nearly everything snaps to the whole screen.
        drag(&view, QPointF(1, 1), QPointF(599, 399), true);
        QCOMPARE(view.grab().toImage().pixel(100, 300), still);
        mouse(&view, QEvent::MouseButtonRelease, QPointF(599, 399), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(r.results.value(3).kind, CaptureKind::fullScreen);
        QCOMPARE(r.results.value(3).pixelRect, QRectF(0, 0, 600, 400));
    }

    void presentSwitchesPolicyAndFinishRestoresItOnce()
    {
        FakeOverlayDesktop desktop;
        desktop.policy = OverlayDesktop::regular; // an editor window is open
        CaptureOverlayController controller(
            {frozenScreen(QRectF(0, 0, 300, 200)), frozenScreen(QRectF(300, 0, 300, 200))}, {}, desktop);
        Received received;
        controller.present([&](std::optional<OverlaySelectionResult> r) {
            // Windows gone and policy back before the result is handed on.
            QCOMPARE(desktop.policy, int(OverlayDesktop::regular));
            QVERIFY(controller.overlayWindows().isEmpty());
            received.append(r);
        });
        QCOMPARE(desktop.policyWrites, QList<int>{OverlayDesktop::accessory});
        const QList<QPointer<CaptureOverlayWindow>> windows(controller.overlayWindows().begin(),
                                                            controller.overlayWindows().end());
        QCOMPARE(windows.size(), 2);
        QVERIFY(windows[1]->isVisible() && windows[1]->windowFlags() & Qt::X11BypassWindowManagerHint);
        controller.finish(OverlaySelectionResult{frozenScreen(QRectF(0, 0, 300, 200)), QRectF(1, 2, 3, 4),
                                                 CaptureKind::area, {}});
        controller.finish(std::nullopt); // Escape right after a click
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0]->pixelRect, QRectF(1, 2, 3, 4));
        QCOMPARE(desktop.policyWrites, (QList<int>{OverlayDesktop::accessory, OverlayDesktop::regular}));
        QCOMPARE(desktop.releases, 1);
        QCOMPARE(desktop.clearedBackdrops.size(), 2); // the server lets go of the veiled stills
        QTRY_VERIFY(!windows[0] && !windows[1]);
    }

    void escapeAnywhereEndsAndIsSwallowed()
    {
        FakeOverlayDesktop desktop;
        QLineEdit elsewhere;
        elsewhere.show();
        CaptureOverlayController controller({frozenScreen(QRectF(0, 0, 300, 200))}, {}, desktop);
        Received received;
        controller.present(into(received));
        QTest::keyClick(&elsewhere, Qt::Key_B);
        QCOMPARE(elsewhere.text(), QStringLiteral("b")); // other keys pass on
        QVERIFY(received.isEmpty());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QVERIFY(QApplication::sendEvent(&elsewhere, &escape));
        // The view's own Escape after that changes nothing.
        controller.finish(std::nullopt);
        QCOMPARE(received.size(), 1);
        QVERIFY(!received[0]);
        QVERIFY(desktop.policyWrites.isEmpty()); // it was an accessory already
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
            controller.finish(std::nullopt);
        }
        desktop.grabFailures = 1000;
        CaptureOverlayController controller({frozenScreen(QRectF(0, 0, 300, 200))}, {}, desktop);
        controller.present([](std::optional<OverlaySelectionResult>) {});
        QTRY_VERIFY_WITH_TIMEOUT(
            debugLogMessages().contains(
                QStringLiteral("Overlay: Tastatur/Maus nicht greifbar (ein anderes Programm haelt sie)")),
            3000);
        // The overlay still works with what it has; Escape through the monitor ends it.
        QVERIFY(!controller.didFinish());
        controller.finish(std::nullopt);
        QCOMPARE(desktop.releases, 1); // only the earlier, successful grab was released
    }

    void windowUnderThePointerTakesTheInput()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        FakeOverlayDesktop desktop;
        QCursor::setPos(screens[1]->geometry().center());
        CaptureOverlayController controller({frozenOf(screens[0], Qt::red), frozenOf(screens[1], Qt::green)}, {},
                                            desktop);
        Received received;
        controller.present(into(received));
        const QList<CaptureOverlayWindow*> windows = controller.overlayWindows();
        QCOMPARE(windows.size(), 2);
        QVERIFY(windows[0]->isVisible() && windows[1]->isVisible());
        QCOMPARE(windows[1]->screen(), screens[1]);
        QCOMPARE(windows[1]->geometry(), screens[1]->geometry());
        QCOMPARE(desktop.grabbedWindow, quint64(windows[1]->winId()));

        // A drag on the second screen: points of that screen, pixels of its still.
        drag(windows[1]->contentView(), QPointF(10, 20), QPointF(110, 70));
        QVERIFY(received.value(0));
        QCOMPARE(received[0]->screen.screen.name, screens[1]->name());
        QCOMPARE(received[0]->pixelRect, QRectF(20, 40, 200, 100));
        QCOMPARE(received[0]->screen.cgImage.pixelColor(0, 0), QColor(Qt::green));

        // The pointer on no screen: the first takes the input.
        QCursor::setPos(QPoint(-500, -500));
        CaptureOverlayController other({frozenOf(screens[0], Qt::red), frozenOf(screens[1], Qt::green)}, {}, desktop);
        other.present([](std::optional<OverlaySelectionResult>) {});
        QCOMPARE(desktop.grabbedWindow, quint64(other.overlayWindows().first()->winId()));
        other.finish(std::nullopt);
    }
};

int main(int argc, char** argv)
{
    IsolatedEnvironment isolatedEnvironment;
    // Two screens side by side, the second at scale 2.
    const QString config = isolatedEnvironment.root() + QStringLiteral("/screens.json");
    if (!plantFile(config, R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "dpr": 1},
        {"name": "right", "x": 800, "y": 0, "width": 640, "height": 480, "logicalDpi": 96, "dpr": 2}]})"))
        return 1;
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    QApplication app(argc, argv);
    TestCaptureOverlay tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_CaptureOverlay.moc"
