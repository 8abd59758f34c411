#pragma once
// A scheduler whose time moves only when the test says so: advance() runs the
// actions that fall due, in the order of their due times.
#include "Ui/DelayScheduler.h"

#include <map>
#include <utility>

class ManualDelayScheduler final : public DelayScheduler {
public:
    Token schedule(int ms, std::function<void()> action) override
    {
        const Token token = m_next++;
        m_pending.emplace(token, Entry{m_now + ms, std::move(action)});
        return token;
    }
    void cancel(Token token) override { m_pending.erase(token); }

    void advance(int ms)
    {
        const qint64 end = m_now + ms;
        for (;;) {
            auto due = m_pending.end();
            for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
                if (it->second.at <= end && (due == m_pending.end() || it->second.at < due->second.at))
                    due = it;
            if (due == m_pending.end())
                break;
            m_now = due->second.at;
            auto action = std::move(due->second.action);
            m_pending.erase(due);
            action();
        }
        m_now = end;
    }
    qsizetype pendingCount() const { return qsizetype(m_pending.size()); }

private:
    struct Entry {
        qint64 at;
        std::function<void()> action;
    };
    Token m_next = 1;
    qint64 m_now = 0;
    std::map<Token, Entry> m_pending;
};
