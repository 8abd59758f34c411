#pragma once
#include "Platform/CompositingInfo.h"

// A compositing manager runs when some client owns the selection
// _NET_WM_CM_S<screen> of the default screen. Asked anew on every call: a
// compositor can start or stop while we run.
class X11CompositingInfo final : public CompositingInfo {
public:
    bool isCompositing() const override;
};
