#pragma once
// A clock that moves only when told to: pauses and slow grabs cost exactly
// what a test says.
#include "Platform/MonotonicClock.h"

class FakeClock final : public MonotonicClock {
public:
    qint64 milliseconds() const override { return now; }
    void advance(qint64 ms) { now += ms; }

    qint64 now = 0;
};
