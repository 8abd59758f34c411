#pragma once

class KeyboardInfo {
public:
    virtual ~KeyboardInfo() = default;
    // True for an ISO keyboard, which has the extra key left of Z.
    virtual bool isISO() const = 0;
};
