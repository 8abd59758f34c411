#include "Ui/TimerDelayScheduler.h"

DelayScheduler::Token TimerDelayScheduler::schedule(int ms, std::function<void()> action)
{
    const Token token = m_next++;
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    connect(timer.get(), &QTimer::timeout, this, [this, token, action = std::move(action)] {
        // The timer goes first: the action may schedule or cancel others.
        const auto it = m_pending.find(token);
        if (it == m_pending.end())
            return;
        std::unique_ptr<QTimer> spent = std::move(it->second);
        m_pending.erase(it);
        spent.release()->deleteLater();
        action();
    });
    timer->start(ms);
    m_pending.emplace(token, std::move(timer));
    return token;
}

void TimerDelayScheduler::cancel(Token token)
{
    const auto it = m_pending.find(token);
    if (it == m_pending.end())
        return;
    it->second->stop();
    it->second.release()->deleteLater();
    m_pending.erase(it);
}
