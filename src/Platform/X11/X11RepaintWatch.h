#pragma once
// Watches drawing on the whole screen through a DAMAGE object on the root
// window, which also reports drawing into every window on it and the server
// painting window backgrounds. Reported only once per restart (non-empty
// level), so an idle watch costs the server and us next to nothing. Not
// needed while a compositor runs, which `compositing` tells.
#include "Platform/RepaintWatch.h"
#include "Platform/X11/XcbConnection.h"

#include <memory>

class CompositingInfo;

class X11RepaintWatch : public RepaintWatch {
public:
    explicit X11RepaintWatch(std::shared_ptr<CompositingInfo> compositing);
    ~X11RepaintWatch() override;

    bool works() override;
    void restart() override;
    QRegion drawnSinceRestart() override;

private:
    void dropEvents();

    const std::shared_ptr<CompositingInfo> m_compositing;
    XcbConnection m_x;
    uint32_t m_damage = 0;
    uint32_t m_parts = 0;
    QRegion m_drawn;
};
