#include "App/CaptureFlows.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "Storage/ImageOps.h"
#include "Storage/SettingsManager.h"
#include "Storage/StorageHealth.h"

#include <QPointer>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

CaptureFlows::CaptureFlows(SettingsManager& settings, Hooks hooks, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_hooks(std::move(hooks))
{
    if (!m_hooks.after) {
        m_hooks.after = [this](int ms, std::function<void()> work) { QTimer::singleShot(ms, this, std::move(work)); };
    }
    if (!m_hooks.now)
        m_hooks.now = [] { return QDateTime::currentDateTime(); };
}

void CaptureFlows::captureInteractive()
{
    DebugLog::write(QStringLiteral("CAPTURE captureInteractive() (Bereich) gestartet"));
    QTimer::singleShot(0, this, &CaptureFlows::runInteractive);
}

void CaptureFlows::captureFullScreen()
{
    DebugLog::write(QStringLiteral("CAPTURE captureFullScreen() (Ganzer Bildschirm) gestartet"));
    QTimer::singleShot(0, this, &CaptureFlows::runFullScreen);
}

void CaptureFlows::runInteractive()
{
    if (m_hooks.ensureScreenRecordingPermission && !m_hooks.ensureScreenRecordingPermission()) {
        DebugLog::write(QStringLiteral("CAPTURE captureInteractive ABBRUCH: keine Berechtigung"));
        return;
    }
    if (!m_hooks.beginInteractiveCapture)
        return;
    QPointer<CaptureFlows> self(this);
    CaptureIntroPresenter* presenter = m_hooks.intro;
    IntroStep intro = [presenter](std::function<void(bool)> resume) {
        presenter->show(
            CaptureIntroConfig::screenshot(), [resume] { resume(true); },
            [resume] {
                DebugLog::write(QStringLiteral("CAPTURE captureInteractive ABBRUCH: Anleitung abgebrochen (Esc)"));
                resume(false);
            });
    };
    runWithoutTransientUi([self, intro = std::move(intro)] {
        if (!self)
            return;
        self->m_hooks.beginInteractiveCapture(true, intro, [self](std::optional<CapturedScreenshot> captured) {
            if (self)
                self->handleCaptured(std::move(captured));
        });
    });
}

void CaptureFlows::runWithoutTransientUi(std::function<void()> action)
{
    // A toast of the previous capture is ours: it goes first, without its
    // fade, and only the screen beneath it has to be painted again.
    if (m_hooks.hideToast)
        m_hooks.hideToast();
    if (!m_hooks.dismissTransientUi || !m_hooks.dismissTransientUi())
        action();
    else if (!m_hooks.transientUiRepainted || !m_hooks.transientUiRepainted())
        m_hooks.after(transientUiSettleMs, std::move(action));
    else
        waitForRepaint(m_hooks.now(), std::move(action));
}

void CaptureFlows::waitForRepaint(QDateTime since, std::function<void()> action)
{
    const qint64 waited = since.msecsTo(m_hooks.now());
    const std::optional<bool> done = m_hooks.transientUiRepainted();
    if (!done || *done || waited >= transientUiRepaintBoundMs) {
        DebugLog::write(QStringLiteral("CAPTURE Bildschirm unter Popups neu gezeichnet nach %1 ms%2")
                            .arg(waited)
                            .arg(done && !*done ? QStringLiteral(" (Obergrenze)") : QString()));
        action();
        return;
    }
    QPointer<CaptureFlows> self(this);
    m_hooks.after(2, [self, since, action = std::move(action)]() mutable {
        if (self)
            self->waitForRepaint(since, std::move(action));
    });
}

void CaptureFlows::runFullScreen()
{
    if (m_hooks.ensureScreenRecordingPermission && !m_hooks.ensureScreenRecordingPermission()) {
        DebugLog::write(QStringLiteral("CAPTURE captureFullScreen ABBRUCH: keine Berechtigung"));
        return;
    }
    QPointer<CaptureFlows> self(this);
    runAfterCaptureDelay([self] {
        if (!self)
            return;
        self->runWithoutTransientUi([self] {
            if (!self || !self->m_hooks.captureFullScreenImmediately)
                return;
            const bool showsCursor = self->m_settings.settings().showCursorInScreenshot;
            self->m_hooks.captureFullScreenImmediately(showsCursor, [self](std::optional<CapturedScreenshot> captured) {
                if (self)
                    self->handleCaptured(std::move(captured));
            });
        });
    });
}

void CaptureFlows::showCountdown(int seconds)
{
    if (m_hooks.showToast)
        m_hooks.showToast(Localizer::t(QStringLiteral("Auslösen in %d s")).replace(QLatin1String("%d"), QString::number(seconds)),
                          QStringLiteral("timer"), true, 0);
}

void CaptureFlows::runAfterCaptureDelay(std::function<void()> action)
{
    const qint64 d = m_settings.settings().captureDelaySeconds;
    if (d < 1) {
        action();
        return;
    }
    const int n = int(std::min<qint64>(d, maxCountdownSteps));
    showCountdown(n);
    countdown(n, std::move(action));
}

void CaptureFlows::countdown(int remaining, std::function<void()> action)
{
    QPointer<CaptureFlows> self(this);
    m_hooks.after(1000, [self, remaining, action] {
        if (!self)
            return;
        const int r = remaining - 1;
        if (r < 1) {
            if (self->m_hooks.dismissToast)
                self->m_hooks.dismissToast();
            action();
            return;
        }
        // Presented again on every step: another countdown or capture may have
        // taken the toast away meanwhile.
        self->showCountdown(r);
        self->countdown(r, action);
    });
}

void CaptureFlows::handleCaptured(std::optional<CapturedScreenshot> captured)
{
    if (!captured)
        return;
    QImage image = captured->image;
    if (m_settings.settings().stampTimestamp && m_hooks.stamp)
        image = m_hooks.stamp(image, m_hooks.now());

    // One PNG for the clipboard and the history, made off the main thread.
    const PngData png = m_hooks.encode ? m_hooks.encode(image)
                                       : QtConcurrent::run([image] { return ImageOps::pngData(image); });
    auto ending = std::make_shared<Ending>();
    ending->incomplete = captured->incomplete;
    ending->copy = m_settings.settings().autoCopyToPasteboard;
    QPointer<CaptureFlows> self(this);
    const auto settle = [self, ending] {
        if (self && !ending->told && (!ending->copy || ending->copied) && ending->stored) {
            ending->told = true;
            self->announce(*ending);
        }
    };
    if (!ending->copy || !m_hooks.copyToPasteboard)
        ending->copy = false;
    if (!m_hooks.store)
        ending->stored = FileWriteOutcome{};

    if (ending->copy) {
        m_hooks.copyToPasteboard(image, png, [ending, settle](bool copied) {
            ending->copied = copied;
            settle();
        });
    }
    if (m_hooks.store)
        m_hooks.store(image, png, captured->kind, m_settings.settings().openEditorAfterCapture,
                      [ending, settle](const FileWriteOutcome& stored) {
                          ending->stored = stored;
                          settle();
                      });
    settle();
}

void CaptureFlows::announce(const Ending& ending)
{
    if (!m_hooks.showToast)
        return;
    const bool copied = ending.copied.value_or(false);
    if (ending.copy && !copied)
        DebugLog::write(QStringLiteral("CAPTURE nicht in die Zwischenablage kopiert: ein anderes Programm hat sie "
                                       "inzwischen neu belegt"));
    const QString warning = QStringLiteral("exclamationmark.triangle.fill");
    // A capture that is not on disk is never announced as stored; what
    // reached the clipboard is said too.
    if (ending.stored && !ending.stored->ok()) {
        const bool full = StorageHealth::problemOf(ending.stored->error) == StorageHealth::Problem::diskFull;
        QString text;
        if (copied)
            text = full ? Localizer::t(QStringLiteral("Kopiert, aber nicht gespeichert – Speicherplatz voll"))
                        : Localizer::t(QStringLiteral("Kopiert, aber nicht gespeichert – Datenordner nicht beschreibbar"));
        else
            text = full ? Localizer::t(QStringLiteral("Nicht gespeichert – Speicherplatz voll"))
                        : Localizer::t(QStringLiteral("Nicht gespeichert – Datenordner nicht beschreibbar"));
        DebugLog::write(QStringLiteral("CAPTURE nicht gespeichert, gemeldet: %1").arg(text));
        if (m_hooks.storageProblemAnnounced)
            m_hooks.storageProblemAnnounced();
        m_hooks.showToast(text, warning, false, 4.0);
        return;
    }
    // An image that may lack content is kept, but never announced as a success.
    if (ending.incomplete)
        m_hooks.showToast(Localizer::t(QStringLiteral("Scroll-Aufnahme möglicherweise unvollständig")), warning, false, 3.0);
    else if (ending.copy && !copied)
        // Another program's copy came after the capture began and stays.
        m_hooks.showToast(Localizer::t(QStringLiteral("Screenshot aufgenommen – nicht kopiert, Zwischenablage inzwischen neu belegt")),
                          warning, false, 3.0);
    else
        m_hooks.showToast(ending.copy ? Localizer::t(QStringLiteral("In Zwischenablage kopiert"))
                                      : Localizer::t(QStringLiteral("Screenshot aufgenommen")),
                          QStringLiteral("checkmark.circle.fill"), false, 1.6);
}
