#pragma once
// Watches for presses of Escape anywhere on the desktop, also while another
// application has focus, without taking the key away from that application.
#include <functional>

class KeyWatch {
public:
    virtual ~KeyWatch() = default;
    // Calls onEscape on the main thread for every press of Escape until stop().
    // False when the desktop offers no way to watch (the watch is then idle).
    virtual bool start(std::function<void()> onEscape) = 0;
    virtual void stop() = 0;
};
