#pragma once
// Beeper through the X server's bell (QApplication::beep).
#include "Platform/Beeper.h"

class ApplicationBeeper final : public Beeper {
public:
    void beep() override;
};
