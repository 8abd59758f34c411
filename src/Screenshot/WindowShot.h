#pragma once
// The image work of the scrolling capture: one frame grab of a screen rectangle
// that leaves the program's own windows out, comparisons of two frames (equal?,
// unchanging header and footer bands, scroll distance, scrollbar band) and the
// stacking of the collected strips into one tall image.
//
// Every analysis samples a sparse grid and uses integer arithmetic only (means
// are integer quotients), so a comparison of two full-HD frames stays far below
// a millisecond and the capture is bound by scrolling, not by analysis. All of
// them answer the negative result (not equal, (0, 0), 0) for frames of
// different sizes or null frames; none of them throws.
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSet>
#include <memory>

class ScreenSource;
class WindowRedirector;
class WindowServer;

class WindowShot {
public:
    WindowShot() = delete;

    // Window numbers of our own windows on screen during a scrolling capture
    // (cover, progress panel). Written on the main thread only; grabs running on
    // worker threads read a snapshot.
    static QSet<quint32> excludeWindowIDs();
    static void excludeWindow(quint32 windowID);
    static void includeWindow(quint32 windowID);

    // The backends every grab goes through; set once at start-up. The
    // redirector (optional) keeps the grabbed window's own picture while our
    // windows may lie on top of it.
    static void setBackends(std::shared_ptr<WindowServer> windows, std::shared_ptr<ScreenSource> screens,
                            std::shared_ptr<WindowRedirector> redirector = nullptr);

    // A picture of region (global points, top-left origin) at scale pixels per
    // point, without the pointer and without the windows of excludeWindowIDs():
    // cut from the own picture of the window showing the region (the
    // front-most one under its centre that is not ours), or from a grab of the
    // display when the region is not inside one window. Null on any failure.
    // Any thread.
    static QImage image(const QRectF& region, qreal scale);

    struct Edges {
        int top = 0;
        int bottom = 0;
        bool operator==(const Edges&) const = default;
    };

    static bool framesEqual(const QImage& a, const QImage& b);
    // Rows at the top and at the bottom that are unchanged between a and b;
    // each at most h / 3.
    static Edges fixedEdges(const QImage& a, const QImage& b);
    // How many rows the content moved up from a to b (row y of b shows row
    // y + shift of a); 0 when no reliable shift was found.
    static int contentShift(const QImage& a, const QImage& b, int fixedTop, int fixedBottom, int maxShift,
                            int expected);
    // Width of a band at the right edge that does not move with the content
    // (a scrollbar); 0 when there is none.
    static int scrollbarWidth(const QImage& a, const QImage& b, int shift);
};

// One piece of a stitched image: the image and how many of its rows it gives.
struct StitchStrip {
    QImage image;
    int height = 0;
};

// Stacks the strips top to bottom into a width x totalHeight image (ARGB32
// premultiplied, rows not covered by a strip stay transparent). Each strip is
// drawn at its own pixel width, so what lies right of `width` (a scrollbar
// band) falls outside. Throws CaptureError when the image cannot be allocated.
QImage stitchStrips(const QList<StitchStrip>& strips, int width, int totalHeight);

// Upper bound for one stitched image; larger results are refused with a
// CaptureError instead of risking the process.
inline constexpr qint64 maxStitchBytes = qint64(4) * 1024 * 1024 * 1024;
