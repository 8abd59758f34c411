#pragma once
// The shell's road of the scrolling capture: the program's own windows step
// aside, the intro card explains, both permissions are confirmed, the engine
// runs (picker, scrolling, stitching or page render), and the image goes the
// common way of every capture as kind "scrolling"; an engine error becomes a
// toast. Whatever happens, the windows that stepped aside come back, exactly
// once, before the result is stored and announced.
#include "Screenshot/CapturedScreenshot.h"

#include <QCoroTask>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class Announcer;
class ScrollCaptureSteps;

class ScrollCaptureFlow : public QObject {
    Q_OBJECT
public:
    ScrollCaptureFlow(ScrollCaptureSteps& steps, Announcer& announcer, QObject* parent = nullptr);

    // Returns at once, after showing the intro card.
    void captureScrollingWindow();

    // Hides every visible, not minimised window of the list and returns the
    // action that shows them again, in the same order, without activating them.
    static std::function<void()> hideOwnContentWindows(const QList<QWidget*>& windows);

private:
    void beginScrollingCaptureFlow(std::function<void()> restoreWindows);
    // Runs on by itself; ends quietly where the flow went away meanwhile.
    QCoro::Task<void> runFlow(std::function<void()> restoreWindows);

    ScrollCaptureSteps& m_steps;
    Announcer& m_announcer;
};
