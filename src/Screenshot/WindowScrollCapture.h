#pragma once
// The scroll-and-stitch capture of an ordinary window: brings the window to
// the front, scrolls its content to the top, then scrolls it down step by step
// with synthetic input (keys for a whole window, wheel clicks under a parked,
// hidden pointer for a dragged section or where keys do not move the view),
// takes a frame once the view is at rest after each step, measures how far
// the content moved, confirms that shift over every cell the two frames share
// (sticky columns and cells that change by themselves left out) and keeps the
// newly revealed rows; finally stacks everything into one tall image. A seam
// that cannot be confirmed is looked at again, then approached with smaller
// steps; only then the scrolling ends with what is certain, and the result
// says it may be incomplete. Runs on the main thread; the frame grabs and
// their analysis run on worker threads while it waits. Each run is a
// ScrollRun.
#include "Screenshot/CapturedScreenshot.h"
#include "Screenshot/PickedWindow.h"

#include <QCoroTask>
#include <QImage>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class CapturePermissions;
class InputSynthesis;
class MonotonicClock;
class PickedWindowLookup;
class ApplicationIdentity;
class ScreenSource;
class ScrollCancel;
class ScrollCoverOverlay;
class ScrollProgressHUD;
class WindowActivation;
class WindowGrabber;
class WindowServer;

class WindowScrollCapture {
public:
    struct Backends {
        CapturePermissions& permissions;
        ScreenSource& screens;
        WindowServer& windows;
        WindowActivation& activation;
        InputSynthesis& input;
        ApplicationIdentity& applications;
        // The Escape watch of a run.
        ScrollCancel& cancel;
        // Frames are grabbed on worker threads from a copy of it.
        const WindowGrabber& grabber;
        // Shown over the scrolled region during a run.
        ScrollCoverOverlay& cover;
        // Hidden at the end of a run; its progress follows the strips.
        ScrollProgressHUD& panel;
        // Times the waits for a view to come to rest.
        const MonotonicClock& clock;
        // Only for a diagnostic log line; may be absent.
        const PickedWindowLookup* lookup = nullptr;
    };

    // A pause of some milliseconds.
    using Sleep = std::function<QCoro::Task<void>(int milliseconds)>;

    explicit WindowScrollCapture(Backends backends);
    // A run still under way stops at its next step and touches none of the
    // backends again: its input and grabs go through a guard that closes
    // with the capture (and at the end of the run).
    ~WindowScrollCapture();

    // Default: a timer.
    void setSleep(Sleep sleep) { m_sleep = std::move(sleep); }

    // The stitched image (kind "scrolling"): frame width minus the scrollbar
    // band (at least 1) wide. Throws CaptureError when a permission is
    // missing, the first frame cannot be taken or the result is too large to
    // hold. Escape, the end of the content, the limits, a window that loses
    // the focus and a seam that cannot be confirmed all end the scrolling and
    // return what was gathered; all but Escape and the end mark it incomplete.
    QCoro::Task<CapturedScreenshot> captureWindowScrolling(PickedWindow target, QString name);

    // The largest on-screen ordinary window of a process (window number and
    // bounds); the first of equal ones wins, zero-area windows never.
    static std::optional<std::pair<quint32, QRectF>> largestWindow(WindowServer& windows, qint32 pid);

    static constexpr int maxStrips = 400;
    static constexpr int maxHeightPx = 200000;

private:
    Backends m_b;
    Sleep m_sleep;
    // The guards of its runs hold it weakly: gone, the backends are gone too.
    std::shared_ptr<const int> m_alive;
};
