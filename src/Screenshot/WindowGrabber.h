#pragma once
// The frame grab of the scrolling capture: a picture of a screen rectangle
// that leaves our own windows (GrabExclusions) out. A value holding shared
// backends only, so a grab running on a worker thread keeps them alive.
#include <QImage>
#include <QRectF>
#include <memory>

class GrabExclusions;
class ScreenSource;
class WindowRedirector;
class WindowServer;

class WindowGrabber {
public:
    // The redirector (may be null) keeps the grabbed window's own picture
    // while our windows lie on top of it.
    WindowGrabber(std::shared_ptr<WindowServer> windows, std::shared_ptr<ScreenSource> screens,
                  std::shared_ptr<WindowRedirector> redirector, std::shared_ptr<const GrabExclusions> exclusions);

    // A picture of region (global points, top-left origin) at scale pixels per
    // point, without the pointer and without our excluded windows: cut from
    // the own picture of the window showing the region (the front-most one
    // under its centre that is not ours), or from a grab of the display when
    // the region is not inside one window. While any window of ours is
    // excluded the display, which would show it, is not grabbed for a region
    // under a window: that window's part of it, transparent beyond. Null on
    // any failure. Any thread.
    QImage image(const QRectF& region, qreal scale) const;

private:
    std::shared_ptr<WindowServer> m_windows;
    std::shared_ptr<ScreenSource> m_screens;
    std::shared_ptr<WindowRedirector> m_redirector;
    std::shared_ptr<const GrabExclusions> m_exclusions;
};
