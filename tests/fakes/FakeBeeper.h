#pragma once
#include "Platform/Beeper.h"

class FakeBeeper final : public Beeper {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};
