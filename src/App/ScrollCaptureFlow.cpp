#include "App/ScrollCaptureFlow.h"

#include "App/ScrollCaptureSteps.h"
#include "Debug/DebugLog.h"
#include "Screenshot/CaptureError.h"
#include "Toasts/Announcer.h"

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

ScrollCaptureFlow::ScrollCaptureFlow(ScrollCaptureSteps& steps, Announcer& announcer, QObject* parent)
    : QObject(parent)
    , m_steps(steps)
    , m_announcer(announcer)
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
    const std::function<void()> restore = once(hideOwnContentWindows(m_steps.contentWindows()));
    QPointer<ScrollCaptureFlow> self(this);
    m_steps.showIntro(
        [self, restore] {
            if (self)
                self->beginScrollingCaptureFlow(restore);
            else
                restore();
        },
        [restore] {
            DebugLog::write(QStringLiteral("CAPTURE Scroll ABBRUCH: Anleitung abgebrochen (Esc)"));
            restore();
        });
}

void ScrollCaptureFlow::beginScrollingCaptureFlow(std::function<void()> restoreWindows)
{
    QPointer<ScrollCaptureFlow> self(this);
    m_steps.whenScreenRepainted([self, restoreWindows = std::move(restoreWindows)] {
        if (self)
            self->runFlow(restoreWindows);
        else
            restoreWindows();
    });
}

QCoro::Task<void> ScrollCaptureFlow::runFlow(std::function<void()> restore)
{
    // The flow may go while a step waits: what is left is bringing the
    // windows back.
    QPointer<ScrollCaptureFlow> self(this);
    ScrollCaptureSteps& steps = m_steps;
    try {
        const bool recording = co_await steps.ensureScreenRecordingPermission();
        if (!self || !recording) {
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
        if (!self || !shot) {
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
        if (self)
            m_announcer.show(error.message(), QStringLiteral("exclamationmark.triangle.fill"), false, 1.6);
        DebugLog::write(QStringLiteral("CAPTURE Scroll-Fehler: ") + error.message());
        restore();
    } catch (const std::exception& error) {
        const QString text = QString::fromUtf8(error.what());
        if (self)
            m_announcer.show(text, QStringLiteral("exclamationmark.triangle.fill"), false, 1.6);
        DebugLog::write(QStringLiteral("CAPTURE Scroll-Fehler: ") + text);
        restore();
    }
}
