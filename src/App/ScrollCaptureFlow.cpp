#include "App/ScrollCaptureFlow.h"

#include "Debug/DebugLog.h"
#include "Screenshot/CaptureError.h"

#include <memory>

namespace {
// The restore action may be reached from several roads; it runs once.
std::function<void()> once(std::function<void()> action)
{
    auto pending = std::make_shared<std::function<void()>>(std::move(action));
    return [pending] {
        if (!*pending)
            return;
        const std::function<void()> run = std::move(*pending);
        *pending = nullptr;
        run();
    };
}
} // namespace

ScrollCaptureFlow::ScrollCaptureFlow(Steps steps)
    : m_steps(std::move(steps))
{
}

std::function<void()> ScrollCaptureFlow::hideOwnContentWindows(const QList<QWidget*>& windows)
{
    QList<QPointer<QWidget>> hidden;
    for (QWidget* w : windows) {
        if (!w || !w->isVisible() || w->isMinimized())
            continue;
        hidden.append(w);
        w->hide();
    }
    return [hidden] {
        for (const QPointer<QWidget>& w : hidden) {
            if (!w)
                continue; // closed meanwhile
            const bool quiet = w->testAttribute(Qt::WA_ShowWithoutActivating);
            w->setAttribute(Qt::WA_ShowWithoutActivating, true);
            w->show();
            w->raise();
            w->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
        }
    };
}

void ScrollCaptureFlow::captureScrollingWindow()
{
    DebugLog::write(QStringLiteral("CAPTURE captureScrollingWindow() (Scroll-Aufnahme) gestartet"));
    const std::function<void()> restore =
        once(hideOwnContentWindows(m_steps.contentWindows ? m_steps.contentWindows() : QList<QWidget*>()));
    if (!m_steps.showIntro) {
        beginScrollingCaptureFlow(restore);
        return;
    }
    m_steps.showIntro([this, restore] { beginScrollingCaptureFlow(restore); },
                      [restore] {
                          DebugLog::write(QStringLiteral("CAPTURE Scroll ABBRUCH: Anleitung abgebrochen (Esc)"));
                          restore();
                      });
}

void ScrollCaptureFlow::beginScrollingCaptureFlow(std::function<void()> restoreWindows)
{
    // Runs on by itself; the task object may go.
    if (!m_steps.whenScreenRepainted) {
        runFlow(m_steps, std::move(restoreWindows));
        return;
    }
    m_steps.whenScreenRepainted([steps = m_steps, restoreWindows = std::move(restoreWindows)] {
        runFlow(steps, restoreWindows);
    });
}

QCoro::Task<void> ScrollCaptureFlow::runFlow(const Steps steps, std::function<void()> restore)
{
    try {
        if (!co_await steps.ensureScreenRecordingPermission()) {
            DebugLog::write(QStringLiteral("CAPTURE Scroll ABBRUCH: keine Bildschirmaufnahme"));
            restore();
            co_return;
        }
        if (!steps.ensureAccessibilityPermission()) {
            DebugLog::write(QStringLiteral("CAPTURE Scroll ABBRUCH: keine Bedienungshilfen"));
            restore();
            co_return;
        }
        const std::optional<CapturedScreenshot> shot = co_await steps.runEngine();
        if (!shot) {
            DebugLog::write(QStringLiteral("CAPTURE Scroll: abgebrochen"));
            restore();
            co_return;
        }
        DebugLog::write(QStringLiteral("CAPTURE Scroll fertig")
                        + (shot->incomplete ? QStringLiteral(" (unvollständig): ") : QStringLiteral(": "))
                        + QString::number(shot->image.width()) + QLatin1Char('x')
                        + QString::number(shot->image.height()));
        restore();
        steps.handleCaptured(CapturedScreenshot::make(shot->image, CaptureKind::scrolling, shot->incomplete));
    } catch (const CaptureError& error) {
        steps.showToast(error.message(), QStringLiteral("exclamationmark.triangle.fill"), false, 1.6);
        DebugLog::write(QStringLiteral("CAPTURE Scroll-Fehler: ") + error.message());
        restore();
    } catch (const std::exception& error) {
        const QString text = QString::fromUtf8(error.what());
        steps.showToast(text, QStringLiteral("exclamationmark.triangle.fill"), false, 1.6);
        DebugLog::write(QStringLiteral("CAPTURE Scroll-Fehler: ") + text);
        restore();
    }
}
