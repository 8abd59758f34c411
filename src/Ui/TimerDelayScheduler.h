#pragma once
// The scheduler of the running program: one single-shot QTimer per pending
// action on the main event loop.
#include "Ui/DelayScheduler.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <unordered_map>

class TimerDelayScheduler final : public QObject, public DelayScheduler {
public:
    explicit TimerDelayScheduler(QObject* parent = nullptr) : QObject(parent) {}

    Token schedule(int ms, std::function<void()> action) override;
    void cancel(Token token) override;

private:
    Token m_next = 1;
    std::unordered_map<Token, std::unique_ptr<QTimer>> m_pending;
};
