#pragma once
// The only way a window scroll capture reaches the desktop: synthetic input
// (keys, wheel clicks, the pointer) and frame grabs. Copies share one state:
// it is open while the capture that made it lives and until its run closes
// it. Closed, every call does nothing and says so (false, a null image, no
// position), so a step, a pause or a grab still under way when the run ended
// or the capture went away sends nothing more to the desktop, whatever
// resumes later.
#include "Platform/InputSynthesis.h"
#include "Screenshot/WindowGrabber.h"

#include <QCoroTask>
#include <QImage>
#include <QRectF>
#include <memory>
#include <optional>

class ScrollGuard {
public:
    // Open while `owner` lives and until close(). `input` is touched only
    // while open; the grabber is copied (grabs run on worker threads).
    ScrollGuard(InputSynthesis& input, const WindowGrabber& grabber, std::weak_ptr<const void> owner);

    bool isOpen() const;
    // Closes every copy, for good.
    void close();

    bool pressKey(InputSynthesis::Key key, bool control);
    bool scrollWheel(int clicks);
    bool warpPointer(const QPointF& point);
    bool hidePointer();
    bool showPointer();
    std::optional<QPointF> pointerPosition();
    // `region` at `scale`, grabbed on a worker thread; null once closed.
    QCoro::Task<QImage> grab(QRectF region, qreal scale) const;

private:
    bool pass() const;

    struct State {
        InputSynthesis& input;
        const WindowGrabber grabber;
        const std::weak_ptr<const void> owner;
        bool closed = false;
        int refused = 0;
    };
    std::shared_ptr<State> m_state;
};
