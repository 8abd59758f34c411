#pragma once
// Puts the selection overlay on every screen at once and hands the user's
// choice back exactly once. While it is up the app is switched to the
// accessory policy, and the overlay window under the pointer takes the
// keyboard and the pointer; the previous policy comes back when it ends.
#include "Platform/OverlayDesktop.h"
#include "Screenshot/DetectedWindow.h"
#include "Screenshot/FrozenScreen.h"
#include "Screenshot/OverlaySelectionResult.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class CaptureOverlayWindow;
class QKeyEvent;

class CaptureOverlayController : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(std::optional<OverlaySelectionResult>)>;

    CaptureOverlayController(QList<FrozenScreen> frozenScreens, QList<DetectedWindow> windows, OverlayDesktop& desktop,
                             QObject* parent = nullptr);
    ~CaptureOverlayController() override;

    // Shows the overlay; `completion` gets the result or nothing, once.
    void present(Completion completion);
    // Ends the overlay; later calls do nothing.
    void finish(std::optional<OverlaySelectionResult> result);

    // While the overlay holds the keyboard the global hotkeys cannot fire; a
    // key press for which `matches` answers true runs `onPressed` instead.
    void setRetriggerKey(std::function<bool(const QKeyEvent&)> matches, std::function<void()> onPressed);

    const QList<CaptureOverlayWindow*>& overlayWindows() const { return m_overlayWindows; }
    // The X windows shown, kept after finishing so a caller can wait until they are gone.
    const QList<quint64>& shownWindowIDs() const { return m_shownWindowIDs; }
    bool didFinish() const { return m_didFinish; }
    bool hasInput() const { return m_hasInput; }

    // How long a grab held by another client is retried, and how often.
    static constexpr int grabRetryMs = 1000;
    static constexpr int grabRetryIntervalMs = 20;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tryGrab();

    QList<FrozenScreen> m_frozenScreens;
    QList<DetectedWindow> m_windows;
    OverlayDesktop& m_desktop;
    QList<CaptureOverlayWindow*> m_overlayWindows;
    QList<quint64> m_shownWindowIDs;
    QList<quint64> m_backdropWindows;
    bool m_keyMonitor = false;
    Completion m_completion;
    bool m_didFinish = false;
    int m_previousPolicy = OverlayDesktop::accessory;

    QPointer<CaptureOverlayWindow> m_preferred;
    QTimer m_grabRetry;
    int m_grabAttempts = 0;
    bool m_hasInput = false;
    std::function<bool(const QKeyEvent&)> m_retriggerMatches;
    std::function<void()> m_onRetrigger;
};
