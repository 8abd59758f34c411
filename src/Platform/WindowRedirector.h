#pragma once
// Keeps the pictures of chosen windows off the screen, so that a grab of such
// a window shows the window itself and not what lies on top of it (our own
// cover during a scrolling capture), also when no compositing manager keeps
// window pictures. Any thread.
#include <QtGlobal>

class WindowRedirector {
public:
    virtual ~WindowRedirector() = default;
    // From now on until releaseAll() the window keeps its own picture. Parts
    // that were covered become right once the window has repainted them.
    virtual void keep(quint32 window) = 0;
    virtual void releaseAll() = 0;
};
