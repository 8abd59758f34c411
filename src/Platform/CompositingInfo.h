#pragma once
// Whether a compositing manager runs, so that windows may be really
// translucent. Without one, translucent-looking windows paint over a still of
// what lies beneath them.
class CompositingInfo {
public:
    virtual ~CompositingInfo() = default;
    virtual bool isCompositing() const = 0;
};
