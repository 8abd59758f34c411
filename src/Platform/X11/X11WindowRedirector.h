#pragma once
#include "Platform/WindowRedirector.h"

#include <QMutex>
#include <QSet>
#include <memory>

class CompositingInfo;
class XcbConnection;

// XComposite automatic redirection of the window's top-level frame: the server
// keeps painting it on the screen and also keeps its picture in a pixmap,
// which the window server backend reads. Not needed (and not done) while a
// compositing manager runs (as `compositing` tells): it redirects every window
// itself. A connection of its own holds the redirections (a client may
// redirect a window once, so it is shared with no other backend): opened for
// the first window kept, closed by releaseAll(), which ends them all.
class X11WindowRedirector final : public WindowRedirector {
public:
    explicit X11WindowRedirector(std::shared_ptr<CompositingInfo> compositing);
    ~X11WindowRedirector() override;

    void keep(quint32 window) override;
    void releaseAll() override;

private:
    const std::shared_ptr<CompositingInfo> m_compositing;
    QMutex m_mutex;
    std::unique_ptr<XcbConnection> m_x; // while windows are kept
    QSet<quint32> m_kept; // top-level frames
};
