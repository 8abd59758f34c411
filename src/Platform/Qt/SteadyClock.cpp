#include "Platform/Qt/SteadyClock.h"

SteadyClock::SteadyClock()
{
    m_timer.start();
}

qint64 SteadyClock::milliseconds() const
{
    return m_timer.elapsed();
}
