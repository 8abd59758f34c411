#pragma once
#include "Platform/Alerts.h"

#include <QList>
#include <functional>

// Answers with the scripted button indexes in turn (0 when the script is used up).
class FakeAlerts final : public Alerts {
public:
    int runModal(const Alert& alert) override
    {
        shown.append(alert);
        if (onShow)
            onShow(alert);
        return answers.isEmpty() ? 0 : answers.takeFirst();
    }
    QList<Alert> shown;
    QList<int> answers;
    std::function<void(const Alert&)> onShow;
};
