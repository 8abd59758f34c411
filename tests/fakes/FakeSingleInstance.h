#pragma once
#include "Platform/SingleInstance.h"

#include <QStringList>

class FakeSingleInstance final : public SingleInstance {
public:
    bool claim() override { return true; }
    bool handOverTo(const QString& program, int) override
    {
        handOvers << program;
        return handOverWorks;
    }

    bool handOverWorks = true;
    QStringList handOvers;
};
