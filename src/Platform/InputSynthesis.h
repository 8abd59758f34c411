#pragma once
// Synthetic input for driving another application, as if the user typed or
// turned the wheel, and control of the pointer the user sees. Coordinates are
// global points, top-left origin. Main thread only.
#include <QPointF>
#include <optional>

class InputSynthesis {
public:
    enum class Key { pageUp, pageDown, home };

    virtual ~InputSynthesis() = default;
    // Whether input can be synthesised at all.
    virtual bool isAvailable() = 0;
    // Presses and releases a key (with Control held when asked); it goes to
    // the window that has the keyboard focus.
    virtual void pressKey(Key key, bool control) = 0;
    // Turns the wheel under the pointer by whole clicks: positive towards the
    // top of the content, negative towards its end.
    virtual void scrollWheel(int clicks) = 0;
    virtual void warpPointer(const QPointF& point) = 0;
    // None when the pointer cannot be read.
    virtual std::optional<QPointF> pointerPosition() = 0;
    // Hides the pointer on every screen until showPointer().
    virtual void hidePointer() = 0;
    virtual void showPointer() = 0;
};
