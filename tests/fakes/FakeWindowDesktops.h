#pragma once
#include "Platform/WindowDesktops.h"

class FakeWindowDesktops final : public WindowDesktops {
public:
    void showOnAllDesktops(quint64) override {}
};
