#pragma once
// The machine's monotonic clock, counted from the moment this object was made.
#include "Platform/MonotonicClock.h"

#include <QElapsedTimer>

class SteadyClock final : public MonotonicClock {
public:
    SteadyClock();
    qint64 milliseconds() const override;

private:
    QElapsedTimer m_timer;
};
