#pragma once
// Where a window shows the content it scrolls: the view, not the window.
// Above it lie toolbars and whatever bar a program shows under them, below
// it a status bar, a horizontal scrollbar or a banner fixed to the bottom;
// none of it moves with the content, and it belongs once in the result, not
// into the comparison of frames. The view is read from the accessibility
// tree where the program has one (a web document, a text view, a terminal,
// a scroll pane), else from two frames one step apart: the rows from the
// first to the last one that changed. A plain stretch at the edge of the
// view counts to the band beside it; it shows the same in every frame, so
// showing it once is right.
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameRows.h"

#include <QPointF>
#include <QRectF>
#include <optional>

class AccessibilityTree;

class ScrolledView {
public:
    ScrolledView() = delete;

    // Rows [top, bottom) of a frame.
    struct Rows {
        int top = 0;
        int bottom = 0;
        bool operator==(const Rows&) const = default;
    };

    // The rows that changed between two frames of one window a scroll step
    // apart, the cells in `ignore` (that change by themselves) left out, and
    // without the shadow a bar above casts over their first rows. Nothing
    // when they cover less than half the frame (too little moved to tell)
    // or the whole of it (nothing to leave out).
    // The deepest shadow over the top of the view taken for one (in device
    // pixels: a bar's shadow is 6 at scale 1, 12 at scale 2).
    static constexpr int shadowRowsMax = 24;

    static std::optional<Rows> movingRows(const FrameRows& before, const FrameRows& after, const CellMask* ignore);

    // A scrollbar found `bar` columns wide at the right of `frame` (by its
    // moving thumb), widened by the columns of its track beside the thumb's
    // path: whole columns, rows [top, bottom), of the colour the bar shows
    // most. At most trackMax more.
    static int scrollbarWithTrack(const QImage& frame, int bar, int top, int bottom);
    static constexpr int trackMax = 6;
    // Columns at the right a scrollbar not measured yet may take, at device
    // `scale`: the widest bar expected, with its track.
    static int unmeasuredBarColumns(double scale);

    // The view of process `pid` under `point` inside `window` (global
    // points), from its accessibility tree; nothing when the tree does not
    // tell, or the view is the window.
    static std::optional<QRectF> fromAccessibility(AccessibilityTree& tree, const QPointF& point, const QRectF& window,
                                                   qint32 pid);
};
