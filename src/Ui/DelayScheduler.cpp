#include "Ui/DelayScheduler.h"

void DelayedAction::start(int ms, std::function<void()> action)
{
    cancel();
    m_token = m_scheduler.schedule(ms, [this, action = std::move(action)] {
        m_token = 0;
        action();
    });
}

void DelayedAction::cancel()
{
    if (m_token != 0)
        m_scheduler.cancel(m_token);
    m_token = 0;
}
