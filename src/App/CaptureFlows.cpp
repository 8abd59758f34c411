#include "App/CaptureFlows.h"

#include "App/CaptureStage.h"
#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "Screenshot/CaptureSource.h"
#include "Screenshot/TimestampStamper.h"
#include "Storage/ImageOps.h"
#include "Storage/SettingsManager.h"
#include "Storage/StorageHealth.h"
#include "Toasts/Announcer.h"
#include "Ui/DelayScheduler.h"

#include <QPointer>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

CaptureFlows::CaptureFlows(SettingsManager& settings, CaptureStage& stage, CaptureSource& source,
                           CaptureIntroPresenter& intro, CaptureDestinations& destinations, Announcer& announcer,
                           DelayScheduler& delays, Clock clock, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_stage(stage)
    , m_source(source)
    , m_intro(intro)
    , m_destinations(destinations)
    , m_announcer(announcer)
    , m_delays(delays)
    , m_clock(clock)
{
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
    if (!m_stage.ensureScreenRecordingPermission()) {
        DebugLog::write(QStringLiteral("CAPTURE captureInteractive ABBRUCH: keine Berechtigung"));
        return;
    }
    QPointer<CaptureFlows> self(this);
    CaptureIntroPresenter* presenter = &m_intro;
    CaptureSource::Intro intro = [presenter](std::function<void(bool)> resume) {
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
        self->m_source.beginInteractiveCapture(true, intro, [self](std::optional<CapturedScreenshot> captured) {
            if (self)
                self->handleCaptured(std::move(captured));
        });
    });
}

void CaptureFlows::runWithoutTransientUi(std::function<void()> action)
{
    // A toast of the previous capture is ours: it goes first, without its
    // fade, and only the screen beneath it has to be painted again.
    m_announcer.hideNow();
    if (!m_stage.dismissTransientUi())
        action();
    else if (!m_stage.transientUiRepainted())
        m_delays.schedule(transientUiSettleMs, std::move(action));
    else
        waitForRepaint(m_clock(), std::move(action));
}

void CaptureFlows::waitForRepaint(QDateTime since, std::function<void()> action)
{
    const qint64 waited = since.msecsTo(m_clock());
    const std::optional<bool> done = m_stage.transientUiRepainted();
    if (!done || *done || waited >= transientUiRepaintBoundMs) {
        DebugLog::write(QStringLiteral("CAPTURE Bildschirm unter Popups neu gezeichnet nach %1 ms%2")
                            .arg(waited)
                            .arg(done && !*done ? QStringLiteral(" (Obergrenze)") : QString()));
        action();
        return;
    }
    QPointer<CaptureFlows> self(this);
    m_delays.schedule(2, [self, since, action = std::move(action)]() mutable {
        if (self)
            self->waitForRepaint(since, std::move(action));
    });
}

void CaptureFlows::runFullScreen()
{
    if (!m_stage.ensureScreenRecordingPermission()) {
        DebugLog::write(QStringLiteral("CAPTURE captureFullScreen ABBRUCH: keine Berechtigung"));
        return;
    }
    QPointer<CaptureFlows> self(this);
    runAfterCaptureDelay([self] {
        if (!self)
            return;
        self->runWithoutTransientUi([self] {
            if (!self)
                return;
            const bool showsCursor = self->m_settings.settings().showCursorInScreenshot;
            self->m_source.captureFullScreenImmediately(showsCursor, [self](std::optional<CapturedScreenshot> captured) {
                if (self)
                    self->handleCaptured(std::move(captured));
            });
        });
    });
}

void CaptureFlows::showCountdown(int seconds)
{
    m_announcer.show(Localizer::t(QStringLiteral("Auslösen in %d s")).replace(QLatin1String("%d"), QString::number(seconds)),
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
    m_delays.schedule(1000, [self, remaining, action] {
        if (!self)
            return;
        const int r = remaining - 1;
        if (r < 1) {
            self->m_announcer.dismiss();
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
    if (m_settings.settings().stampTimestamp)
        image = TimestampStamper::stamp(image, m_clock());

    // One PNG for the clipboard and the history, made off the main thread:
    // the editor opens meanwhile.
    const PngData png = QtConcurrent::run([image] { return ImageOps::pngData(image); });
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
    if (ending->copy) {
        m_destinations.copyToClipboard(image, png, [ending, settle](bool copied) {
            ending->copied = copied;
            settle();
        });
    }
    m_destinations.store(image, png, captured->kind, m_settings.settings().openEditorAfterCapture,
                         [ending, settle](const FileWriteOutcome& stored) {
                             ending->stored = stored;
                             settle();
                         });
}

void CaptureFlows::announce(const Ending& ending)
{
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
        m_destinations.storageProblemAnnounced();
        m_announcer.show(text, warning, false, 4.0);
        return;
    }
    // An image that may lack content is kept, but never announced as a success.
    if (ending.incomplete)
        m_announcer.show(Localizer::t(QStringLiteral("Scroll-Aufnahme möglicherweise unvollständig")), warning, false, 3.0);
    else if (ending.copy && !copied)
        // Another program's copy came after the capture began and stays.
        m_announcer.show(Localizer::t(QStringLiteral("Screenshot aufgenommen – nicht kopiert, Zwischenablage inzwischen neu belegt")),
                         warning, false, 3.0);
    else
        m_announcer.show(ending.copy ? Localizer::t(QStringLiteral("In Zwischenablage kopiert"))
                                     : Localizer::t(QStringLiteral("Screenshot aufgenommen")),
                         QStringLiteral("checkmark.circle.fill"), false, 1.6);
}
