#pragma once
// The shell's road of the scrolling capture: the program's own windows step
// aside, the intro card explains, both permissions are confirmed, the engine
// runs (picker, scrolling, stitching or page render), and the image goes the
// common way of every capture as kind "scrolling"; an engine error becomes a
// toast. Whatever happens, the windows that stepped aside come back, exactly
// once, before the result is stored and announced.
#include "Models/CoreTypes.h"
#include "Screenshot/CapturedScreenshot.h"

#include <QCoroTask>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class ScrollCaptureFlow {
public:
    struct Steps {
        // The program's content windows in hiding order: settings, first run,
        // clipboard history, editors, pinned images (absent ones left out).
        std::function<QList<QWidget*>()> contentWindows;
        // Shows the scroll intro card (or proceeds at once when the user
        // turned it off).
        std::function<void(std::function<void()> proceed, std::function<void()> cancel)> showIntro;
        // Runs the action once the screen beneath the windows that stepped
        // aside (and the card) has painted again, so the picker's still shows
        // what lies there; at once when not given.
        std::function<void(std::function<void()> action)> whenScreenRepainted;
        std::function<QCoro::Task<bool>()> ensureScreenRecordingPermission;
        std::function<bool()> ensureAccessibilityPermission;
        // The engine: the capture (maybe marked incomplete), nothing when the
        // picker was cancelled; throws.
        std::function<QCoro::Task<std::optional<CapturedScreenshot>>()> runEngine;
        std::function<void(const CapturedScreenshot& captured)> handleCaptured;
        std::function<void(const QString& text, const QString& systemImage, bool sticky, double duration)> showToast;
    };

    explicit ScrollCaptureFlow(Steps steps);

    // Returns at once, after showing the intro card.
    void captureScrollingWindow();

    // Hides every visible, not minimised window of the list and returns the
    // action that shows them again, in the same order, without activating them.
    static std::function<void()> hideOwnContentWindows(const QList<QWidget*>& windows);

private:
    void beginScrollingCaptureFlow(std::function<void()> restoreWindows);
    // Keeps its own copy of the steps: it outlives the call that started it.
    static QCoro::Task<void> runFlow(const Steps steps, std::function<void()> restoreWindows);

    Steps m_steps;
};
