#include "Screenshot/WindowScrollCapture.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Platform/CapturePermissions.h"
#include "Platform/ScreenSource.h"
#include "Platform/WindowServer.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/ScrollGuard.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/ScrollRun.h"
#include "Screenshot/SecondPass.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <QCoroTimer>
#include <chrono>

namespace {

void log(const QString& message)
{
    DebugLog::write(QStringLiteral("SCROLL ") + message);
}

QString screenRecordingMessage()
{
    // Short: it ends as a toast.
    return Localizer::t(QStringLiteral("Der X-Server verweigert das Lesen des Bildschirms."));
}

QString accessibilityMessage()
{
    return Localizer::t(QStringLiteral("Ohne XTEST im X-Server kann Zentu.it das Fenster nicht scrollen."));
}

} // namespace

WindowScrollCapture::WindowScrollCapture(Backends backends)
    : m_b(backends)
    , m_sleep([](int ms) -> QCoro::Task<void> { co_await QCoro::sleepFor(std::chrono::milliseconds(ms)); })
    , m_alive(std::make_shared<const int>(0))
{
}

WindowScrollCapture::~WindowScrollCapture() = default;

std::optional<std::pair<quint32, QRectF>> WindowScrollCapture::largestWindow(WindowServer& windows, qint32 pid)
{
    const std::optional<QList<WindowInfo>> list = windows.windowList();
    if (!list)
        return std::nullopt;
    std::optional<std::pair<quint32, QRectF>> best;
    qreal bestArea = 0;
    for (const WindowInfo& w : *list) {
        if (!w.layer || *w.layer != 0 || !w.ownerPID || *w.ownerPID != pid)
            continue;
        const qreal area = w.bounds.width() * w.bounds.height();
        if (area > bestArea) {
            bestArea = area;
            best = std::make_pair(w.number, w.bounds);
        }
    }
    return best;
}

QCoro::Task<CapturedScreenshot> WindowScrollCapture::captureWindowScrolling(PickedWindow target, QString name)
{
    // Screen recording: a negative answer of the system is not trusted on its
    // own, a small test capture decides. Synthetic input: without it nothing
    // scrolls. Both end the run before anything is shown.
    const ShareableDisplays content = m_b.screens.shareableDisplays();
    bool allowed = content.ok && m_b.permissions.preflightScreenCapture();
    if (!allowed && content.ok && !content.displays.isEmpty())
        allowed = !m_b.screens.captureDisplay(content.displays.first(), QSize(32, 20), false).isNull();
    if (!allowed) {
        m_b.permissions.requestScreenCapture();
        log(QStringLiteral("Bildschirmaufnahme fehlt — Zugriff angefragt"));
        throw CaptureError(screenRecordingMessage());
    }
    if (!m_b.permissions.isAccessibilityTrusted()) {
        log(QStringLiteral("Bedienungshilfen fehlen — Scroll-Events würden verworfen"));
        m_b.permissions.promptAccessibility();
        throw CaptureError(accessibilityMessage());
    }
    // Closed however the run ends: nothing it left pending reaches the
    // desktop afterwards.
    struct Closer {
        ScrollGuard guard;
        ~Closer() { guard.close(); }
    } closer{ScrollGuard(m_b.input, m_b.grabber, m_alive)};
    // However the runs end, the cover and the panel go and the Escape watch
    // ends, after the caller has the result.
    m_b.cancel.begin();
    struct Cleanup {
        QPointer<ScrollCancel> cancel;
        QPointer<ScrollCoverOverlay> cover;
        QPointer<ScrollProgressHUD> panel;
        ~Cleanup()
        {
            QTimer::singleShot(0, QCoreApplication::instance(), [cancel = cancel, cover = cover, panel = panel] {
                if (cover)
                    cover->hide();
                if (panel)
                    panel->hide();
                if (cancel)
                    cancel->end();
            });
        }
    } cleanup{&m_b.cancel, &m_b.cover, &m_b.panel};
    CapturedScreenshot shot;
    for (int pass = 1, first = 0; pass <= SecondPass::runs; ++pass) {
        ScrollRun run(m_b, m_sleep, closer.guard, target, name);
        if (pass > 1)
            run.takeAgain();
        shot = co_await run.run();
        if (pass > 1 && !shot.incomplete && !shot.scrollStops.contains(ScrollStop::cancelled)
            && SecondPass::cameShort(first, shot.image.height())) {
            log(ScrollStops::logLine(ScrollStop::shorterAgain) + QStringLiteral(" (%1 statt %2 px)")
                                                                     .arg(shot.image.height())
                                                                     .arg(first));
            shot.incomplete = true;
            shot.scrollStops.append(ScrollStop::shorterAgain);
        }
        first = shot.image.height();
        if (pass == SecondPass::runs || !closer.guard.isOpen() || !SecondPass::worthwhile(shot.scrollStops))
            break;
        log(QStringLiteral("Seite ist beim Scrollen gewachsen — noch einmal von oben"));
    }
    co_return shot;
}
