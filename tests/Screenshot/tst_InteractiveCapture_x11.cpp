// The interactive capture end to end on a real X server with openbox: a
// helper window in its own process paints a known pattern, XTest (xdotool)
// drags, clicks and presses keys on the real overlay, and the pictures that
// come back are checked pixel by pixel.
#include "Storage/DebugLog.h"
#include "Platform/X11/X11OverlayDesktop.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/CaptureOverlayController.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "Screenshot/ScreenshotService.h"
#include "support/DebugLogMessages.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"


namespace {
// Whether every opaque pixel of `image` is the helper's pattern, pixel (0, 0)
// of the image lying at `origin` of the helper window, and nearly all are opaque.
bool showsPattern(const QImage& image, QPoint origin, int seed, QString* why)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 255)
                continue; // the rounded corners, checked on their own
            if ((p & 0xFFFFFF) != (HelperWindow::pattern(origin.x() + x, origin.y() + y, seed) & 0xFFFFFF)) {
                *why = QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 8, 16);
                return false;
            }
        }
    int transparent = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            transparent += qAlpha(image.pixel(x, y)) < 255;
    if (transparent > 4 * 10 * 10) { // more than four corners of radius 10
        *why = QStringLiteral("%1 pixels are not opaque").arg(transparent);
        return false;
    }
    return true;
}

struct Outcomes {
    QList<std::optional<CapturedScreenshot>> received;
    ScreenshotService::Completion completion()
    {
        return [this](std::optional<CapturedScreenshot> s) { received.append(std::move(s)); };
    }
};
}

class TestInteractiveCapture : public QObject {
    Q_OBJECT

    X11ScreenSource m_screens;
    X11WindowServer m_windowServer;
    X11OverlayDesktop m_desktop;
    ScreenCapturer m_capturer{m_screens, m_windowServer};
    WindowDetector m_detector{m_windowServer, m_screens};
    std::unique_ptr<HelperWindow> m_helper;

    // Starts a capture and waits until its overlay is on screen with the
    // keyboard and pointer, painted.
    bool openOverlay(ScreenshotService& service, Outcomes& outcomes)
    {
        service.beginInteractiveCapture(true, nullptr, outcomes.completion());
        return QTest::qWaitFor(
            [&] {
                CaptureOverlayController* c = service.overlayController();
                if (!c || !c->hasInput() || c->overlayWindows().isEmpty())
                    return false;
                CaptureOverlayView* view = c->overlayWindows().first()->contentView();
                return view && view->paintCount() > 0 && !m_desktop.isOffScreen(c->shownWindowIDs().first());
            },
            5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_helper = std::make_unique<HelperWindow>(QRect(500, 300, 300, 200), 33);
        QVERIFY(m_helper->id != 0);
        // Until the window manager shows it where asked.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const DetectedWindow& w : m_detector.captureWindows())
                    if (w.windowID == m_helper->id && w.boundsCG == QRectF(m_helper->rect))
                        return true;
                return false;
            }(), 15000);
        QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("100")}));
    }
    void cleanupTestCase() { m_helper.reset(); }
    void init() { QFile::remove(DebugLog::filePath()); }

    void dragYieldsExactlyTheDraggedPixels()
    {
        ScreenshotService service(m_capturer, m_detector, m_desktop);
        Outcomes outcomes;
        QVERIFY(openOverlay(service, outcomes));
        // The overlay shows the still dimmed (a pixel of the pattern at 0.65).
        const QImage shown = m_desktop.grabScreenArea(QRect(700, 450, 1, 1));
        const QRgb original = HelperWindow::pattern(200, 150, 33);
        QCOMPARE(qRed(shown.pixel(0, 0)), qRound(qRed(original) * 0.65));
        QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("550"), QStringLiteral("330"),
                         QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"),
                         QStringLiteral("600"), QStringLiteral("380"), QStringLiteral("mousemove"),
                         QStringLiteral("730"), QStringLiteral("450"), QStringLiteral("mouseup"), QStringLiteral("1")}));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 15000);
        QVERIFY(outcomes.received[0]);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::area);
        QCOMPARE(shot.image.size(), QSize(180, 120));
        QString why;
        QVERIFY2(showsPattern(shot.image, QPoint(50, 30), 33, &why), qPrintable(why));
        QCOMPARE(qAlpha(shot.image.pixel(0, 0)), 255);
        QVERIFY(!service.isCapturing());
        const QStringList log = debugLogLines();
        QCOMPARE(log.value(0), QStringLiteral("beginInteractiveCapture: starte Freeze …"));
        QCOMPARE(log.value(1), QStringLiteral("beginInteractiveCapture: 1 Screen(s) eingefroren"));
        QVERIFY(log.value(2).endsWith(QStringLiteral(" Fenster erkannt")));
        QVERIFY(log.contains(QStringLiteral("Overlay-Ergebnis: kind=area windowID=nil rect=180x120")));
        QVERIFY(log.contains(QStringLiteral(
            "Overlay präsentiert: level=1000 visible=true key=true frame=1920x1080 onActiveSpace=true")));
    }

    void theVeiledStillShowsTheMomentTheOverlayMaps()
    {
        // Nothing runs the event loop between present() and the read-back, so
        // the app has not painted: what shows is the server's own backdrop.
        CaptureOverlayController controller(m_capturer.freezeAllScreens(), {}, m_desktop);
        controller.present([](std::optional<OverlaySelectionResult>) {});
        QVERIFY(!controller.overlayWindows().isEmpty());
        QCOMPARE(controller.overlayWindows().first()->contentView()->paintCount(), 0);
        QVERIFY(!m_desktop.isOffScreen(controller.shownWindowIDs().first()));
        const QImage shown = m_desktop.grabScreenArea(QRect(700, 450, 1, 1));
        QCOMPARE(qRed(shown.pixel(0, 0)), qRound(qRed(HelperWindow::pattern(200, 150, 33)) * 0.65));
        const quint64 window = controller.shownWindowIDs().first();
        controller.finish(std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop.isOffScreen(window), 5000);
    }

    void clickOnWindowYieldsItsPictureWithRoundCorners()
    {
        ScreenshotService service(m_capturer, m_detector, m_desktop);
        Outcomes outcomes;
        QVERIFY(openOverlay(service, outcomes));
        QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("650"), QStringLiteral("400"),
                         QStringLiteral("click"), QStringLiteral("1")}));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 15000);
        QVERIFY(outcomes.received[0]);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::window);
        QCOMPARE(shot.image.size(), QSize(300, 200));
        for (const QPoint corner : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 199), QPoint(299, 199)})
            QCOMPARE(qAlpha(shot.image.pixel(corner)), 0);
        QCOMPARE(qAlpha(shot.image.pixel(20, 0)), 255);
        QCOMPARE(qAlpha(shot.image.pixel(150, 100)), 255);
        // The live window after the overlay has gone: no border, badge or loupe in it.
        QString why;
        QVERIFY2(showsPattern(shot.image, QPoint(0, 0), 33, &why), qPrintable(why));
        const QStringList log = debugLogLines();
        QVERIFY(log.contains(QStringLiteral("Overlay-Ergebnis: kind=window windowID=%1 rect=300x200").arg(m_helper->id)));
        QVERIFY(log.contains(QStringLiteral("Fenster direkt aufgenommen (ohne Ueberlappung): 300x200")));
    }

    void clickOutsideAnyWindowYieldsTheWholeScreen()
    {
        ScreenshotService service(m_capturer, m_detector, m_desktop);
        Outcomes outcomes;
        QVERIFY(openOverlay(service, outcomes));
        QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("1700"), QStringLiteral("150"),
                         QStringLiteral("click"), QStringLiteral("1")}));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 15000);
        QVERIFY(outcomes.received[0]);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::fullScreen);
        QCOMPARE(shot.image.size(), QSize(1920, 1080));
        QString why;
        QVERIFY2(showsPattern(shot.image.copy(m_helper->rect), QPoint(0, 0), 33, &why), qPrintable(why));
        QVERIFY(debugLogLines().contains(QStringLiteral("Overlay-Ergebnis: kind=fullScreen windowID=nil rect=1920x1080")));
    }

    void escapeYieldsNothing()
    {
        ScreenshotService service(m_capturer, m_detector, m_desktop);
        Outcomes outcomes;
        QVERIFY(openOverlay(service, outcomes));
        const QList<quint64> shown = service.overlayController()->shownWindowIDs();
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 15000);
        QVERIFY(!outcomes.received[0]);
        QVERIFY(debugLogLines().contains(QStringLiteral("Overlay: Abbruch (kein Ergebnis)")));
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop.isOffScreen(shown.first()), 2000);
        // The keyboard and the pointer are free again: another client can grab them.
        QWidget other;
        other.setWindowFlags(Qt::X11BypassWindowManagerHint);
        other.setGeometry(10, 10, 50, 50);
        other.show();
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop.grabInput(other.winId()), 2000);
        m_desktop.releaseInput();
    }

    void secondTriggerCancelsTheOpenOverlay()
    {
        ScreenshotService service(m_capturer, m_detector, m_desktop);
        Outcomes first, second;
        QVERIFY(openOverlay(service, first));
        const QList<quint64> shown = service.overlayController()->shownWindowIDs();
        service.beginInteractiveCapture(true, nullptr, second.completion());
        QCOMPARE(first.received.size(), 1);
        QVERIFY(!first.received[0]);
        QCOMPARE(second.received.size(), 1);
        QVERIFY(!second.received[0]);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop.isOffScreen(shown.first()), 2000);
        QVERIFY(!service.overlayController());
        QVERIFY(!service.isCapturing());
        QVERIFY(debugLogLines().contains(
            QStringLiteral("beginInteractiveCapture: bestehendes Overlay wird verworfen (Re-Trigger)")));
    }
};

ZENTU_TEST_MAIN(TestInteractiveCapture)
#include "tst_InteractiveCapture_x11.moc"
