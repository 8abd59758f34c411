#pragma once
// The Escape watch of the window scroll loop: between begin() and end() a press
// of Escape raises `requested`, which the loop polls between its steps. Escape
// pressed in another application is seen through the desktop-wide KeyWatch (and
// stays with that application); pressed in one of our own windows it is taken
// by us and goes no further.
#include <memory>

class KeyWatch;

class ScrollCancel {
public:
    ScrollCancel() = delete;

    // The desktop-wide watch, installed once at start-up; none means only our
    // own windows see Escape.
    static void setKeyWatch(std::shared_ptr<KeyWatch> watch);

    static void begin();
    static void end();
    static bool requested();
};
