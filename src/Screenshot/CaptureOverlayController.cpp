#include "Screenshot/CaptureOverlayController.h"

#include "Debug/DebugLog.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "Screenshot/OverlayVeil.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

namespace {
// Override-redirect windows stand above every managed window; logged in the
// numbering of the window list's layers.
constexpr int overlayWindowLevel = 1000;
const char* boolText(bool v) { return v ? "true" : "false"; }

QScreen* screenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    return nullptr;
}
}

CaptureOverlayController::CaptureOverlayController(QList<FrozenScreen> frozenScreens, QList<DetectedWindow> windows,
                                                   OverlayDesktop& desktop, QObject* parent)
    : QObject(parent), m_frozenScreens(std::move(frozenScreens)), m_windows(std::move(windows)), m_desktop(desktop)
{
    m_grabRetry.setInterval(grabRetryIntervalMs);
    connect(&m_grabRetry, &QTimer::timeout, this, &CaptureOverlayController::tryGrab);
}

CaptureOverlayController::~CaptureOverlayController()
{
    // Never leave a grab or a window behind, even when dropped unfinished.
    if (!m_didFinish) {
        m_completion = nullptr;
        finish(std::nullopt);
    }
}

void CaptureOverlayController::setRetriggerKey(std::function<bool(const QKeyEvent&)> matches,
                                               std::function<void()> onPressed)
{
    m_retriggerMatches = std::move(matches);
    m_onRetrigger = std::move(onPressed);
}

void CaptureOverlayController::present(Completion completion)
{
    m_completion = std::move(completion);
    m_previousPolicy = m_desktop.activationPolicy();
    if (m_previousPolicy != OverlayDesktop::accessory)
        m_desktop.setActivationPolicy(OverlayDesktop::accessory);
    DebugLog::write(QStringLiteral("Overlay present: prevPolicy=%1 -> accessory; screens=%2")
                        .arg(m_previousPolicy)
                        .arg(m_frozenScreens.size()));

    QPointer<CaptureOverlayController> weak(this);
    for (const FrozenScreen& frozen : m_frozenScreens) {
        auto* view = new CaptureOverlayView(
            frozen, m_windows,
            [weak](const OverlaySelectionResult& result) {
                if (weak)
                    weak->finish(result);
            },
            [weak] {
                if (weak)
                    weak->finish(std::nullopt);
            });
        auto* window = new CaptureOverlayWindow(frozen.screen.frame.toAlignedRect(), screenNamed(frozen.screen.name));
        window->setContentView(view);
        m_overlayWindows.append(window);
    }

    qApp->installEventFilter(this);
    m_keyMonitor = true;

    const QPoint mouse = QCursor::pos();
    CaptureOverlayWindow* preferred = nullptr;
    for (CaptureOverlayWindow* window : m_overlayWindows)
        if (window->geometry().contains(mouse)) {
            preferred = window;
            break;
        }
    if (!preferred && !m_overlayWindows.isEmpty())
        preferred = m_overlayWindows.first();

    // The veiled still is on the screen the moment each window maps; the
    // first paint, a few milliseconds later, draws the same pixels.
    for (CaptureOverlayWindow* window : m_overlayWindows) {
        CaptureOverlayView* view = window->contentView();
        const QImage& still = view->frozen().cgImage;
        view->setDimmedStill(OverlayVeil::dimmed(still, CaptureOverlayView::dimAlpha,
                                                 m_desktop.backdropCanvas(still.size())));
        if (m_desktop.setBackdrop(quint64(window->winId()), view->dimmedStill()))
            m_backdropWindows.append(quint64(window->winId()));
    }
    for (CaptureOverlayWindow* window : m_overlayWindows) {
        window->show();
        window->raise();
        m_shownWindowIDs.append(quint64(window->winId()));
    }

    if (!preferred) {
        DebugLog::write(QStringLiteral("Overlay präsentiert: KEIN bevorzugtes Fenster"));
        // Nothing to choose from and nothing that could take an Escape.
        finish(std::nullopt);
        return;
    }
    m_preferred = preferred;
    preferred->activateWindow();
    preferred->raise();
    if (preferred->contentView())
        preferred->contentView()->setFocus(Qt::OtherFocusReason);
    tryGrab();
    DebugLog::write(QStringLiteral("Overlay präsentiert: level=%1 visible=%2 key=%3 frame=%4x%5 onActiveSpace=true")
                        .arg(overlayWindowLevel)
                        .arg(QLatin1String(boolText(preferred->isVisible())))
                        .arg(QLatin1String(boolText(m_hasInput)))
                        .arg(int(preferred->width()))
                        .arg(int(preferred->height())));
}

void CaptureOverlayController::tryGrab()
{
    if (m_didFinish || !m_preferred) {
        m_grabRetry.stop();
        return;
    }
    ++m_grabAttempts;
    if (m_desktop.grabInput(quint64(m_preferred->winId()))) {
        m_hasInput = true;
        m_grabRetry.stop();
        if (m_grabAttempts > 1)
            DebugLog::write(QStringLiteral("Overlay: Tastatur und Maus nach %1 Versuchen gegriffen").arg(m_grabAttempts));
        return;
    }
    if (m_grabAttempts * grabRetryIntervalMs >= grabRetryMs) {
        m_grabRetry.stop();
        DebugLog::write(QStringLiteral("Overlay: Tastatur/Maus nicht greifbar (ein anderes Programm haelt sie)"));
        return;
    }
    if (!m_grabRetry.isActive())
        m_grabRetry.start();
}

bool CaptureOverlayController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && !m_didFinish) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            finish(std::nullopt);
            return true;
        }
        if (m_retriggerMatches && m_onRetrigger && m_retriggerMatches(*key)) {
            const std::function<void()> retrigger = m_onRetrigger;
            retrigger();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CaptureOverlayController::finish(std::optional<OverlaySelectionResult> result)
{
    if (m_didFinish)
        return;
    m_didFinish = true;
    m_grabRetry.stop();
    if (m_keyMonitor) {
        qApp->removeEventFilter(this);
        m_keyMonitor = false;
    }
    if (m_hasInput) {
        m_desktop.releaseInput();
        m_hasInput = false;
    }
    for (CaptureOverlayWindow* window : std::as_const(m_overlayWindows)) {
        window->hide();
        window->setContentView(nullptr);
        window->deleteLater();
    }
    m_overlayWindows.clear();
    for (quint64 window : std::exchange(m_backdropWindows, {}))
        m_desktop.clearBackdrop(window);
    if (m_desktop.activationPolicy() != m_previousPolicy)
        m_desktop.setActivationPolicy(m_previousPolicy);
    Completion completion = std::move(m_completion);
    m_completion = nullptr;
    if (completion)
        completion(std::move(result));
}
