#pragma once
// Time that only goes forward, for waits that must end after so long: the
// steady clock of the machine in the program, a virtual one in tests, where
// pauses return at once and a loaded machine must not change the outcome.
#include <QtGlobal>

class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    // Milliseconds since a fixed moment of this clock; never decreases.
    virtual qint64 milliseconds() const = 0;
};
