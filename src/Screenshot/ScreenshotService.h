#pragma once
// Runs the interactive capture (freeze every screen, list the windows, an
// optional intro step, the selection overlay, the picture of the choice) and
// the immediate full-screen capture of the screen under the pointer. Both end
// in a completion with a CapturedScreenshot or nothing (cancelled or failed).
// From the freeze until its picture is taken, every listed window keeps its
// own picture (the redirector), so a window that is clicked is taken as it
// is, not with what lies over it. Main thread only.
#include "Platform/OverlayDesktop.h"
#include "Platform/WindowRedirector.h"
#include "Screenshot/CaptureOverlayController.h"
#include "Screenshot/CaptureSource.h"
#include "Screenshot/CapturedScreenshot.h"
#include "Screenshot/OverlaySelectionResult.h"
#include "Screenshot/ScreenCapturer.h"
#include "Screenshot/WindowDetector.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QKeyEvent;

class ScreenshotService : public QObject, public CaptureSource {
    Q_OBJECT
public:

    ScreenshotService(ScreenCapturer& capturer, WindowDetector& windowDetector, OverlayDesktop& desktop,
                      WindowRedirector& redirector, QObject* parent = nullptr);
    ~ScreenshotService() override;

    // A start while the overlay is shown closes it as a cancel; a start while
    // the freeze or the intro step runs is ignored. Either way the new
    // request's completion gets nothing at once.
    void beginInteractiveCapture(bool detectWindows, Intro intro, Completion completion) override;
    // May run beside an interactive capture and beside another immediate one.
    void captureFullScreenImmediately(bool showsCursor, Completion completion) override;

    bool isCapturing() const { return m_isCapturing; }
    CaptureOverlayController* overlayController() const { return m_overlayController; }

    // The keyboard belongs to the overlay while it is shown, so the global
    // capture hotkey cannot reach the app: a key press for which this answers
    // true counts as a second start (closing the overlay).
    void setCaptureHotkeyMatcher(std::function<bool(const QKeyEvent&)> matcher) { m_hotkeyMatcher = std::move(matcher); }

    // How long a window grab waits for the screen under the closed overlay to
    // repaint, at most.
    static constexpr int overlayGoneTimeoutMs = 1000;
    static constexpr int repaintTimeoutMs = 300;
    static constexpr int settlePollMs = 5;

private:
    void runCapture(bool detectWindows, Intro intro, Completion completion);
    void presentOverlay(QList<FrozenScreen> frozen, QList<DetectedWindow> windows, Completion completion);
    void finishInteractive(std::optional<OverlaySelectionResult> result, QList<quint64> overlayWindowIDs,
                           Completion completion);
    void finishByCrop(const OverlaySelectionResult& result, const Completion& completion);
    void grabWindowWhenSettled(const OverlaySelectionResult& result, QList<quint64> overlayWindowIDs,
                               Completion completion);
    bool screenShowsStill(const OverlaySelectionResult& result);
    // Lets the listed windows go once no capture needs them any more.
    void releaseWindows();

    ScreenCapturer& m_capturer;
    WindowDetector& m_windowDetector;
    OverlayDesktop& m_desktop;
    WindowRedirector& m_redirector;
    QPointer<CaptureOverlayController> m_overlayController;
    bool m_isCapturing = false;
    int m_pendingGrabs = 0;
    std::function<bool(const QKeyEvent&)> m_hotkeyMatcher;
};
