#pragma once
// Activation through the window manager (EWMH _NET_ACTIVE_WINDOW, as a pager
// asks for it, so that focus-stealing prevention lets it through); without a
// window manager the window is raised and given the focus directly.
#include "Platform/WindowActivation.h"
#include "Platform/X11/XcbConnection.h"

class X11WindowActivation final : public WindowActivation {
public:
    // x: the connection of the main thread's backends; none opens its own.
    explicit X11WindowActivation(std::shared_ptr<XcbConnection> x = nullptr)
        : m_connection(XcbConnection::sharedOrOwn(std::move(x)))
    {
    }
    void activate(quint32 window) override;
    std::optional<quint32> activeWindow() override;

private:
    bool hasWindowManager();
    std::shared_ptr<XcbConnection> m_connection;
    XcbConnection& m_x = *m_connection;
};
