#pragma once
#include "Platform/Alerts.h"

#include <QList>

// Answers with the scripted button indexes in turn (0 when the script is used up).
class FakeAlerts final : public Alerts {
public:
    int runModal(const Alert& alert) override
    {
        shown.append(alert);
        return answers.isEmpty() ? 0 : answers.takeFirst();
    }
    QList<Alert> shown;
    QList<int> answers;
};
