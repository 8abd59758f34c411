#pragma once
#include "Platform/KeyboardInfo.h"

class FakeKeyboardInfo final : public KeyboardInfo {
public:
    bool isISO() const override { return iso; }
    bool iso = false;
};
