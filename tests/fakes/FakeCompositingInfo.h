#pragma once
#include "Platform/CompositingInfo.h"

class FakeCompositingInfo final : public CompositingInfo {
public:
    bool isCompositing() const override { return compositing; }
    bool compositing = false;
};
