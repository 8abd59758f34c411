#pragma once
// The coordinator's two direct capture roads (interactive and full screen)
// and the common end of every capture: stamp, copy, announce, store, edit.
// The screenshot service, the stores and the toast are reached through the
// hooks the coordinator binds, so every step can be watched in tests.
#include "Models/CoreTypes.h"
#include "Platform/AtomicFile.h"
#include "Screenshot/CapturedScreenshot.h"

#include <QDateTime>
#include <QFuture>
#include <QImage>
#include <QObject>
#include <functional>
#include <optional>

class CaptureIntroPresenter;
class SettingsManager;

class CaptureFlows : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(std::optional<CapturedScreenshot>)>;
    // The capture's PNG data, made once off the main thread for the clipboard
    // and the history alike.
    using PngData = QFuture<std::optional<QByteArray>>;
    // The intro step receives a continuation: true goes on to the overlay.
    using IntroStep = std::function<void(std::function<void(bool)>)>;

    struct Hooks {
        // Every capture road first makes sure the screen may be recorded.
        std::function<bool()> ensureScreenRecordingPermission;
        // Takes the app's own toast off the screen at once (no fade) before
        // the screen is read.
        std::function<void()> hideToast;
        // Hides the program's tooltips, menus and popups right before the
        // screen is read; true when anything was shown.
        std::function<bool()> dismissTransientUi;
        // Whether the windows beneath them painted over where they were; none
        // where that cannot be watched (then a fixed settle time is waited).
        std::function<std::optional<bool>()> transientUiRepainted;
        // The screenshot service. It owns the busy guard of the interactive
        // capture (re-trigger closes an open overlay, a running freeze ignores it).
        std::function<void(bool detectWindows, IntroStep intro, Completion completion)> beginInteractiveCapture;
        std::function<void(bool showsCursor, Completion completion)> captureFullScreenImmediately;
        // Burns date and time into the image.
        std::function<QImage(const QImage&, const QDateTime&)> stamp;
        // Makes the PNG data (off the main thread by default).
        std::function<PngData(const QImage&)> encode;
        // Puts the image on the clipboard and tells the clipboard monitor to
        // skip that change, then calls back (at once or a moment later) with
        // false when another program's newer copy won.
        std::function<void(const QImage&, PngData, std::function<void(bool copied)>)> copyToPasteboard;
        // The toast presenter.
        std::function<void(const QString& text, const QString& symbol, bool sticky, double seconds)> showToast;
        std::function<void()> dismissToast;
        // Adds the image to the screenshot history and then, when asked, opens
        // the editor on the new history item; calls back once thumbnail and
        // picture were written, or with why they were not.
        std::function<void(const QImage&, PngData, CaptureKind, bool openEditor,
                           std::function<void(const FileWriteOutcome&)> stored)>
            store;
        // A capture's own toast told of a problem with the disk: the
        // problem's toast need not come too.
        std::function<void()> storageProblemAnnounced;
        // Runs work on the main thread after a delay (QTimer by default).
        std::function<void(int ms, std::function<void()>)> after;
        std::function<QDateTime()> now;
        // The intro cards; required.
        CaptureIntroPresenter* intro = nullptr;
    };

    CaptureFlows(SettingsManager& settings, Hooks hooks, QObject* parent = nullptr);

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
    Hooks m_hooks;
};
