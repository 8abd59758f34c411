#pragma once
// The coordinator's two direct capture roads (interactive and full screen)
// and the common end of every capture: stamp, copy, store, edit, announce.
// The screen is read through the capture source once the stage is clear; the
// picture goes to the destinations and the outcome to the announcer.
#include "App/CaptureDestinations.h"
#include "Models/CoreTypes.h"
#include "Platform/AtomicFile.h"
#include "Screenshot/CapturedScreenshot.h"

#include <QDateTime>
#include <QObject>
#include <functional>
#include <optional>

class Announcer;
class CaptureIntroPresenter;
class CaptureSource;
class CaptureStage;
class DelayScheduler;
class SettingsManager;

class CaptureFlows : public QObject {
    Q_OBJECT
public:
    using PngData = CaptureDestinations::PngData;
    // The time of day a stamp shows and the repaint wait measures.
    using Clock = QDateTime (*)();

    CaptureFlows(SettingsManager& settings, CaptureStage& stage, CaptureSource& source, CaptureIntroPresenter& intro,
                 CaptureDestinations& destinations, Announcer& announcer, DelayScheduler& delays,
                 Clock clock = &QDateTime::currentDateTime, QObject* parent = nullptr);

    // Both log and return at once; the flow runs on a later turn of the event loop.
    void captureInteractive();
    void captureFullScreen();

    // The end of every capture road; none (cancelled or failed) does nothing.
    void handleCaptured(std::optional<CapturedScreenshot> captured);

    // Runs the action once the program's toast, tooltips, menus and popups
    // are off the screen and what lay beneath them, and beneath any window of
    // ours that just went away, has painted itself again (or the wait's bound
    // has passed): the moment the screen may be read. At once when nothing
    // went away.
    void runWithoutTransientUi(std::function<void()> action);

    static constexpr int maxCountdownSteps = 30;
    // Time for the windows beneath a just-hidden tooltip or menu to paint
    // themselves again before the screen is read.
    static constexpr int transientUiSettleMs = 80;
    // The longest wait for that repaint: a program beneath that never paints
    // must not hold the capture.
    static constexpr int transientUiRepaintBoundMs = 500;

private:
    void runInteractive();
    void runFullScreen();
    void runAfterCaptureDelay(std::function<void()> action);
    void waitForRepaint(QDateTime since, std::function<void()> action);
    void countdown(int remaining, std::function<void()> action);
    void showCountdown(int seconds);
    // What the end of one capture learnt, told in one toast once all is known.
    struct Ending {
        bool incomplete = false;
        bool copy = false;
        std::optional<bool> copied;
        std::optional<FileWriteOutcome> stored;
        bool told = false;
    };
    void announce(const Ending& ending);

    SettingsManager& m_settings;
    CaptureStage& m_stage;
    CaptureSource& m_source;
    CaptureIntroPresenter& m_intro;
    CaptureDestinations& m_destinations;
    Announcer& m_announcer;
    DelayScheduler& m_delays;
    Clock m_clock;
};
