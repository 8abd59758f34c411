#pragma once
#include "Platform/ActivationPolicy.h"

#include <QList>

class FakeActivationPolicy final : public ActivationPolicy {
public:
    Policy policy() const override { return current; }
    void setPolicy(Policy policy) override
    {
        current = policy;
        history.append(policy);
    }

    Policy current = Policy::regular;
    QList<Policy> history;
};
