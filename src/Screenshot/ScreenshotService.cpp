#include "Screenshot/ScreenshotService.h"

#include "Debug/DebugLog.h"
#include "Models/RawEnum.h"

#include <QElapsedTimer>
#include <QTimer>
#include <cmath>
#include <memory>

namespace {
void complete(const ScreenshotService::Completion& completion, std::optional<CapturedScreenshot> value)
{
    if (completion)
        completion(std::move(value));
}

// "2.0", "1.5": the scale in decimal notation with at least one decimal.
QString scaleText(qreal scale)
{
    if (scale == std::floor(scale))
        return QString::number(qint64(scale)) + QStringLiteral(".0");
    return QString::number(scale);
}

bool sameColours(QImage a, QImage b)
{
    if (a.size() != b.size())
        return false;
    a = a.convertToFormat(QImage::Format_RGB32);
    b = b.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        if (memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 4) != 0)
            return false;
    return true;
}
}

ScreenshotService::ScreenshotService(ScreenCapturer& capturer, WindowDetector& windowDetector, OverlayDesktop& desktop,
                                     WindowRedirector& redirector, QObject* parent)
    : QObject(parent)
    , m_capturer(capturer)
    , m_windowDetector(windowDetector)
    , m_desktop(desktop)
    , m_redirector(redirector)
{
}

ScreenshotService::~ScreenshotService()
{
    delete m_overlayController.data();
    m_redirector.releaseAll();
}

void ScreenshotService::releaseWindows()
{
    if (!m_isCapturing && m_pendingGrabs == 0)
        m_redirector.releaseAll();
}

void ScreenshotService::beginInteractiveCapture(bool detectWindows, Intro intro, Completion completion)
{
    if (m_overlayController) {
        DebugLog::write(QStringLiteral("beginInteractiveCapture: bestehendes Overlay wird verworfen (Re-Trigger)"));
        m_overlayController->finish(std::nullopt);
        complete(completion, std::nullopt);
        return;
    }
    if (m_isCapturing) {
        DebugLog::write(QStringLiteral("beginInteractiveCapture: Freeze laeuft bereits -> ignoriere"));
        complete(completion, std::nullopt);
        return;
    }
    m_isCapturing = true;
    DebugLog::write(QStringLiteral("beginInteractiveCapture: starte Freeze …"));
    QTimer::singleShot(0, this, [this, detectWindows, intro = std::move(intro), completion = std::move(completion)] {
        runCapture(detectWindows, intro, completion);
    });
}

void ScreenshotService::runCapture(bool detectWindows, Intro intro, Completion completion)
{
    QList<FrozenScreen> frozen = m_capturer.freezeAllScreens();
    DebugLog::write(QStringLiteral("beginInteractiveCapture: %1 Screen(s) eingefroren").arg(frozen.size()));
    if (frozen.isEmpty()) {
        DebugLog::write(
            QStringLiteral("beginInteractiveCapture: KEIN Screen eingefroren -> Abbruch (Berechtigung? Vollbild?)"));
        m_isCapturing = false;
        complete(completion, std::nullopt);
        return;
    }
    QList<DetectedWindow> windows = detectWindows ? m_windowDetector.captureWindows() : QList<DetectedWindow>();
    DebugLog::write(QStringLiteral("beginInteractiveCapture: %1 Fenster erkannt").arg(windows.size()));
    // From now on each keeps its own picture: what lies over it now has
    // repainted itself into that picture by the time one is clicked.
    for (const DetectedWindow& w : std::as_const(windows))
        m_redirector.keep(w.windowID);

    if (!intro) {
        presentOverlay(std::move(frozen), std::move(windows), std::move(completion));
        return;
    }
    QPointer<ScreenshotService> weak(this);
    auto answered = std::make_shared<bool>(false);
    intro([weak, answered, frozen, windows, completion](bool proceed) {
        if (*answered || !weak)
            return; // the continuation counts once
        *answered = true;
        if (proceed) {
            weak->presentOverlay(frozen, windows, completion);
        } else {
            weak->m_isCapturing = false;
            weak->releaseWindows();
            complete(completion, std::nullopt);
        }
    });
}

void ScreenshotService::presentOverlay(QList<FrozenScreen> frozen, QList<DetectedWindow> windows,
                                       Completion completion)
{
    auto* controller = new CaptureOverlayController(std::move(frozen), std::move(windows), m_desktop, this);
    m_overlayController = controller;
    QPointer<ScreenshotService> weak(this);
    controller->setRetriggerKey(
        [weak](const QKeyEvent& key) { return weak && weak->m_hotkeyMatcher && weak->m_hotkeyMatcher(key); },
        [weak] {
            if (weak)
                weak->beginInteractiveCapture(true, nullptr, nullptr);
        });
    QPointer<CaptureOverlayController> weakController(controller);
    controller->present([weak, weakController, completion](std::optional<OverlaySelectionResult> result) {
        QList<quint64> shown;
        if (weakController) {
            shown = weakController->shownWindowIDs();
            weakController->deleteLater(); // we are inside its finish()
        }
        if (!weak)
            return;
        if (weak->m_overlayController == weakController)
            weak->m_overlayController = nullptr;
        weak->m_isCapturing = false;
        weak->finishInteractive(std::move(result), std::move(shown), completion);
    });
}

void ScreenshotService::finishInteractive(std::optional<OverlaySelectionResult> result, QList<quint64> overlayWindowIDs,
                                          Completion completion)
{
    if (!result) {
        DebugLog::write(QStringLiteral("Overlay: Abbruch (kein Ergebnis)"));
        releaseWindows();
        complete(completion, std::nullopt);
        return;
    }
    DebugLog::write(QStringLiteral("Overlay-Ergebnis: kind=%1 windowID=%2 rect=%3x%4")
                        .arg(rawValue(result->kind))
                        .arg(result->windowID ? QString::number(*result->windowID) : QStringLiteral("nil"))
                        .arg(qint64(result->pixelRect.width()))
                        .arg(qint64(result->pixelRect.height())));
    if (result->kind == CaptureKind::window && result->windowID) {
        grabWindowWhenSettled(*result, std::move(overlayWindowIDs), std::move(completion));
        return;
    }
    releaseWindows();
    finishByCrop(*result, completion);
}

bool ScreenshotService::screenShowsStill(const OverlaySelectionResult& result)
{
    const QRect inStill = result.pixelRect.toAlignedRect().intersected(result.screen.cgImage.rect());
    if (inStill.isEmpty())
        return true;
    // The still's top-left corner in global device pixels.
    const QPoint origin = result.screen.screen.frame.topLeft().toPoint();
    const QImage now = m_desktop.grabScreenArea(inStill.translated(origin));
    if (now.isNull())
        return true; // nothing to compare with: go on
    return sameColours(now, result.screen.cgImage.copy(inStill));
}

void ScreenshotService::grabWindowWhenSettled(const OverlaySelectionResult& result, QList<quint64> overlayWindowIDs,
                                              Completion completion)
{
    // Without a compositing manager a window's picture is read from the screen:
    // wait until the overlay is off it and the window below has repainted
    // (its pixels match the still again), or until waiting is pointless.
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto goneAt = std::make_shared<qint64>(-1);
    auto timer = new QTimer(this);
    timer->setInterval(settlePollMs);
    ++m_pendingGrabs;
    QPointer<ScreenshotService> weak(this);
    auto step = [weak, timer, clock, goneAt, result, overlayWindowIDs, completion] {
        if (!weak) {
            timer->deleteLater();
            return;
        }
        if (*goneAt < 0) {
            bool gone = true;
            for (quint64 id : overlayWindowIDs)
                gone = gone && weak->m_desktop.isOffScreen(id);
            if (!gone && clock->elapsed() < overlayGoneTimeoutMs)
                return;
            *goneAt = clock->elapsed();
        }
        if (clock->elapsed() - *goneAt < repaintTimeoutMs && !weak->screenShowsStill(result))
            return;
        timer->stop();
        timer->deleteLater();

        bool fromScreen = false;
        const QImage image = weak->m_capturer.captureWindowImage(*result.windowID, false, &fromScreen);
        --weak->m_pendingGrabs;
        weak->releaseWindows();
        if (!image.isNull()) {
            // Without the window's own pixmap (no Composite extension) what lies
            // over the window is in the picture: the log must not claim otherwise.
            DebugLog::write((fromScreen ? QStringLiteral("Fenster vom Bildschirm ausgeschnitten (Ueberlappung moeglich): %1x%2")
                                        : QStringLiteral("Fenster direkt aufgenommen (ohne Ueberlappung): %1x%2"))
                                .arg(image.width())
                                .arg(image.height()));
            complete(completion, CapturedScreenshot::make(image, CaptureKind::window));
            return;
        }
        DebugLog::write(QStringLiteral("Direkte Fensteraufnahme fehlgeschlagen -> Crop-Fallback"));
        weak->finishByCrop(result, completion);
    };
    connect(timer, &QTimer::timeout, this, step);
    timer->start();
}

void ScreenshotService::finishByCrop(const OverlaySelectionResult& result, const Completion& completion)
{
    const QImage cut = ScreenCapturer::crop(result.screen.cgImage, result.pixelRect);
    if (cut.isNull()) {
        DebugLog::write(QStringLiteral("Crop fehlgeschlagen"));
        complete(completion, std::nullopt);
        return;
    }
    // An own copy: the picture outlives the still, which can then be freed.
    // A window cut keeps the corners it had on the screen.
    complete(completion, CapturedScreenshot::make(cut.copy(), result.kind));
}

void ScreenshotService::captureFullScreenImmediately(bool showsCursor, Completion completion)
{
    const std::optional<ScreenInfo> screen = m_capturer.screenUnderPointer();
    if (!screen) {
        complete(completion, std::nullopt);
        return;
    }
    DebugLog::write(QStringLiteral("captureFullScreen: Screen %1x%2 @ %3x")
                        .arg(qint64(screen->frame.width()))
                        .arg(qint64(screen->frame.height()))
                        .arg(scaleText(screen->scale)));
    QTimer::singleShot(0, this, [this, screen = *screen, showsCursor, completion = std::move(completion)] {
        const QImage image = m_capturer.captureDisplayImage(screen, showsCursor);
        if (image.isNull()) {
            DebugLog::write(QStringLiteral("captureFullScreen: captureDisplayImage == nil (Berechtigung/SCK-Fehler)"));
            complete(completion, std::nullopt);
            return;
        }
        DebugLog::write(QStringLiteral("captureFullScreen: OK %1x%2").arg(image.width()).arg(image.height()));
        complete(completion, CapturedScreenshot::make(image, CaptureKind::fullScreen));
    });
}
