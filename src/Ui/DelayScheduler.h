#pragma once
// Short one-shot delays of the interface (hover closes, tooltip shows), behind
// an interface so tests can step time by hand instead of waiting.
#include <QtGlobal>
#include <functional>

class DelayScheduler {
public:
    using Token = quint64;
    virtual ~DelayScheduler() = default;

    // Runs action once, on the main thread, ms milliseconds from now, unless
    // cancelled first. Tokens are never 0.
    virtual Token schedule(int ms, std::function<void()> action) = 0;
    // Forgets a pending action; unknown or spent tokens are ignored.
    virtual void cancel(Token token) = 0;
};

// One cancellable pending action at a time: starting again replaces the
// pending one, and nothing runs once the holder is gone.
class DelayedAction {
public:
    explicit DelayedAction(DelayScheduler& scheduler) : m_scheduler(scheduler) {}
    ~DelayedAction() { cancel(); }
    DelayedAction(const DelayedAction&) = delete;
    DelayedAction& operator=(const DelayedAction&) = delete;

    void start(int ms, std::function<void()> action);
    void cancel();
    bool isPending() const { return m_token != 0; }

private:
    DelayScheduler& m_scheduler;
    DelayScheduler::Token m_token = 0;
};
