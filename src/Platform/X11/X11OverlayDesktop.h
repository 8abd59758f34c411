#pragma once
// The overlay's desktop services on X11. Grabs go through Qt's own connection
// (an active grab reports events to the connection that made it); screen reads
// and backdrops through a private one.
#include "Platform/OverlayDesktop.h"
#include "Platform/X11/XcbConnection.h"
#include "Platform/X11/XcbImageTransfer.h"

#include <QHash>
#include <functional>
#include <memory>

class X11OverlayDesktop final : public OverlayDesktop {
public:
    // Without the two hooks the policy is only kept here (accessory at first):
    // X11 has no Dock; the shell's own policy service can be plugged in.
    // x: the connection of the main thread's backends; none opens its own.
    explicit X11OverlayDesktop(std::function<int()> readPolicy = {}, std::function<void(int)> writePolicy = {},
                               std::shared_ptr<XcbConnection> x = nullptr);

    int activationPolicy() const override;
    void setActivationPolicy(int policy) override;
    QImage backdropCanvas(QSize pixels) override;
    bool setBackdrop(quint64 window, const QImage& picture) override;
    void clearBackdrop(quint64 window) override;
    bool grabInput(quint64 window) override;
    void releaseInput() override;
    bool isOffScreen(quint64 window) override;
    QImage grabScreenArea(const QRect& pixels) override;

private:
    std::function<int()> m_readPolicy;
    std::function<void(int)> m_writePolicy;
    int m_policy = accessory;
    std::shared_ptr<XcbConnection> m_connection;
    XcbConnection& m_x = *m_connection;
    XcbImageTransfer m_images{m_x};
    // The shared memory each window's backdrop is read from, while it shows.
    QHash<quint64, std::shared_ptr<void>> m_backdrops;
};
