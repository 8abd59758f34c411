#pragma once
// Bringing another application's window to the front with the keyboard focus,
// and asking which window has that focus. Main thread only.
#include <QtGlobal>
#include <optional>

class WindowActivation {
public:
    virtual ~WindowActivation() = default;
    // Asks the window manager to raise and focus the window (the client window
    // as the window list names it).
    virtual void activate(quint32 window) = 0;
    // The window that has the keyboard focus; none when nothing has it or it
    // cannot be read.
    virtual std::optional<quint32> activeWindow() = 0;
};
