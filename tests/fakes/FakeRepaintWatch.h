#pragma once
#include "Platform/RepaintWatch.h"

// Drawing is told by the test through draw().
class FakeRepaintWatch : public RepaintWatch {
public:
    bool working = true;
    int restarts = 0;
    QRegion drawn;

    void draw(const QRect& area) { drawn += area; }
    bool works() override { return working; }
    void restart() override
    {
        ++restarts;
        drawn = {};
    }
    QRegion drawnSinceRestart() override { return drawn; }
};
