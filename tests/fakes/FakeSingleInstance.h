#pragma once
#include "Platform/SingleInstance.h"

#include <QStringList>

class FakeSingleInstance final : public SingleInstance {
public:
    Claim claim() override { return Claim::claimed; }
    QString failure() const override { return {}; }
    bool handOverTo(const QString& program, int) override
    {
        handOvers << program;
        return handOverWorks;
    }

    bool handOverWorks = true;
    QStringList handOvers;
};
