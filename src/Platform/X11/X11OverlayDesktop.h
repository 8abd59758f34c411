#pragma once
// The overlay's desktop services on X11. Grabs go through Qt's own connection
// (an active grab reports events to the connection that made it); screen reads
// through a private one.
#include "Platform/OverlayDesktop.h"
#include "Platform/X11/XcbConnection.h"

#include <functional>

class X11OverlayDesktop final : public OverlayDesktop {
public:
    // Without the two hooks the policy is only kept here (accessory at first):
    // X11 has no Dock; the shell's own policy service can be plugged in.
    explicit X11OverlayDesktop(std::function<int()> readPolicy = {}, std::function<void(int)> writePolicy = {});

    int activationPolicy() const override;
    void setActivationPolicy(int policy) override;
    bool grabInput(quint64 window) override;
    void releaseInput() override;
    bool isOffScreen(quint64 window) override;
    QImage grabScreenArea(const QRect& pixels) override;

private:
    std::function<int()> m_readPolicy;
    std::function<void(int)> m_writePolicy;
    int m_policy = accessory;
    XcbConnection m_x;
};
