#pragma once
// The image work of the scrolling capture: comparisons of two frames
// (unchanging header and footer bands, scroll distance, scrollbar band) and the
// stacking of the collected strips into one tall image. (The frame grab
// itself is WindowGrabber.)
//
// Every analysis samples a sparse grid and uses integer arithmetic only (means
// are integer quotients), so a comparison of two full-HD frames stays far below
// a millisecond and the capture is bound by scrolling, not by analysis. All of
// them answer the negative result ((0, 0), 0) for frames of different sizes or
// null frames; none of them throws.
#include <QImage>
#include <QList>

class WindowShot {
public:
    WindowShot() = delete;

    struct Edges {
        int top = 0;
        int bottom = 0;
        bool operator==(const Edges&) const = default;
    };

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
