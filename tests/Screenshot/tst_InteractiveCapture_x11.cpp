// The interactive capture on a real X server with openbox: a helper window in
// its own process paints a known pattern; the overlay shows the veiled still
// the moment it maps; a click (XTest) on the window yields the live window's
// own pixels, its square corners included, and nothing of the overlay;
// Escape takes the overlay off the screen and frees the keyboard and the
// pointer.
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11OverlayDesktop.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/CaptureOverlayController.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "Screenshot/ScreenshotService.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

namespace {
// Whether every pixel of `image` is the helper's pattern, opaque.
bool showsPattern(const QImage& image, int seed, QString* why)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 255 || (p & 0xFFFFFF) != (HelperWindow::pattern(x, y, seed) & 0xFFFFFF)) {
                *why = QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 8, 16);
                return false;
            }
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
    X11WindowRedirector m_redirector{std::make_shared<X11CompositingInfo>()};
    ScreenCapturer m_capturer{m_screens, m_windowServer};
    WindowDetector m_detector{m_windowServer, m_screens};
    std::unique_ptr<HelperWindow> m_helper;
    X11Probe m_x11;

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
        m_x11.moveTo(QPoint(100, 100));
    }
    void cleanupTestCase() { m_helper.reset(); }

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

    void clickOnWindowYieldsItsOwnPixels()
    {
        ScreenshotService service(m_capturer, m_detector, m_desktop, m_redirector);
        Outcomes outcomes;
        QVERIFY(openOverlay(service, outcomes));
        m_x11.click(QPoint(650, 400));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 15000);
        QVERIFY(outcomes.received[0]);
        const CapturedScreenshot shot = *outcomes.received[0];
        QCOMPARE(shot.kind, CaptureKind::window);
        QCOMPARE(shot.image.size(), QSize(300, 200));
        // The live window after the overlay has gone: no border, badge or loupe
        // in it, and opaque (the server's depth-24 pixels carry no alpha).
        QString why;
        QVERIFY2(showsPattern(shot.image, 33, &why), qPrintable(why));
    }

    void escapeYieldsNothing()
    {
        ScreenshotService service(m_capturer, m_detector, m_desktop, m_redirector);
        Outcomes outcomes;
        QVERIFY(openOverlay(service, outcomes));
        const QList<quint64> shown = service.overlayController()->shownWindowIDs();
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.received.size(), 1, 15000);
        QVERIFY(!outcomes.received[0]);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop.isOffScreen(shown.first()), 2000);
        // The keyboard and the pointer are free again: another client can grab them.
        QWidget other;
        other.setWindowFlags(Qt::X11BypassWindowManagerHint);
        other.setGeometry(10, 10, 50, 50);
        other.show();
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop.grabInput(other.winId()), 2000);
        m_desktop.releaseInput();
    }
};

ZENTU_TEST_MAIN(TestInteractiveCapture)
#include "tst_InteractiveCapture_x11.moc"
