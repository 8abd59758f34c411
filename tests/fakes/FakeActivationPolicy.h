#pragma once
#include "Platform/ActivationPolicy.h"

#include <QStringList>

class FakeActivationPolicy final : public ActivationPolicy {
public:
    Policy policy() const override { return current; }
    void setPolicy(Policy policy) override
    {
        current = policy;
        history.append(policy == Policy::regular ? QStringLiteral("regular") : QStringLiteral("accessory"));
        if (journal)
            journal->append(QStringLiteral("setPolicy:") + history.last());
    }

    Policy current = Policy::regular;
    QStringList history;
    QStringList* journal = nullptr; // optional shared call log
};
