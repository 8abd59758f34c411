#pragma once
#include "Platform/WindowRedirector.h"

#include <QList>

class FakeWindowRedirector final : public WindowRedirector {
public:
    void keep(quint32 window) override
    {
        if (!kept.contains(window))
            kept.append(window);
    }
    void releaseAll() override
    {
        kept.clear();
        ++releases;
    }
    QList<quint32> kept;
    int releases = 0;
};
