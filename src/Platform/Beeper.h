#pragma once
// The system's short alert sound for an input that was refused.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};
