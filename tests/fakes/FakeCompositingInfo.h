#pragma once
#include "Platform/CompositingInfo.h"

class FakeCompositingInfo final : public CompositingInfo {
public:
    bool isCompositing() const override { return compositing; }
    // A compositor starting or stopping.
    void set(bool on)
    {
        if (on == compositing)
            return;
        compositing = on;
        Q_EMIT compositingChanged(on);
    }
    bool compositing = false;
};
