#pragma once
// What the scrolling capture's road reaches, in the order it goes: the
// program's windows that step aside, the intro card, the repainted screen,
// both permissions, the engine, and the common end of every capture.
#include "Screenshot/CapturedScreenshot.h"

#include <QCoroTask>
#include <QList>
#include <functional>
#include <optional>

class QWidget;

class ScrollCaptureSteps {
public:
    virtual ~ScrollCaptureSteps() = default;

    // The program's content windows in hiding order: settings, first run,
    // clipboard history, editors, pinned images (absent ones left out).
    virtual QList<QWidget*> contentWindows() = 0;
    // Shows the scroll intro card (or proceeds at once when the user turned
    // it off).
    virtual void showIntro(std::function<void()> proceed, std::function<void()> cancel) = 0;
    // Runs the action once the screen beneath the windows that stepped aside
    // (and the card) has painted again, so the picker's still shows what lies
    // there.
    virtual void whenScreenRepainted(std::function<void()> action) = 0;
    virtual QCoro::Task<bool> ensureScreenRecordingPermission() = 0;
    virtual bool ensureAccessibilityPermission() = 0;
    // The engine: the capture (maybe marked incomplete), nothing when the
    // picker was cancelled; throws.
    virtual QCoro::Task<std::optional<CapturedScreenshot>> runEngine() = 0;
    // The common end of every capture: stamp, clipboard, history, editor, toast.
    virtual void handleCaptured(const CapturedScreenshot& captured) = 0;
};
