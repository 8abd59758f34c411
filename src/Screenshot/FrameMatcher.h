#pragma once
// Decides, densely, how two consecutive frames of a scrolling capture relate:
// whether anything moved, how far the content moved, which rows at the top
// and the bottom stayed put (a toolbar, a sticky header, a footer), which
// columns stayed put (a sticky sidebar, a table of contents, a gutter), and
// whether that shift holds over every cell the two frames share. Only a
// confirmed shift may be stitched: a step that moved further than the frames
// overlap, content that repeats so that several shifts fit, or content that
// changed while it moved all leave the seam unconfirmed.
//
// The shift is found from rows that changed and reappear elsewhere in the
// previous frame (over the columns that changed at all, so a sidebar that
// stands still does not hide them), each weighted by how rare it is there (a
// blank or repeated row says little, a row of text a lot); a sparse search
// stands in when no row reappears exactly (content redrawn with noise). Cells
// that change by themselves (a ticking clock) can be left out of everything.
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameRows.h"

#include <QList>
#include <utility>

class FrameMatcher {
public:
    FrameMatcher() = delete;

    struct Bands {
        int top = 0;
        int bottom = 0;
        bool operator==(const Bands&) const = default;
    };

    struct Request {
        // The movement the step should have produced; 0 when unknown.
        int expected = 0;
        // The expected movement was measured on earlier steps of the same
        // kind, so it may settle between shifts that fit equally well.
        bool trustExpected = false;
        // Cells that change by themselves; left out of every comparison.
        const CellMask* ignore = nullptr;
    };

    // Columns [first, second) of the body.
    using Columns = QList<std::pair<int, int>>;

    // Why a seam of frames that changed is not confirmed.
    enum class Doubt {
        none,
        noShift,       // nothing of the new frame shows in the old one: moved past the overlap, or redrawn
        shortOverlap,  // the shift leaves fewer than minOverlapRows rows in common
        littleContent, // the rows in common hold too little that only this shift explains (blank, repeated)
        contradicted,  // cells of the rows in common fit neither the shift nor standing still
        ambiguous,     // other shifts fit as well
    };

    struct Match {
        bool moved = false;     // the content changed at all
        bool confirmed = false; // the shift holds over the shared cells
        Doubt doubt = Doubt::none; // why not, when it moved
        int evidence = 0;       // cells in common that only the shift explains
        int contradicting = 0;  // cells in common that fit neither the shift nor standing still
        int shift = 0;          // rows the content moved up (row y of b shows row y + shift of a)
        Bands bands;            // unchanging rows above and below the content, for this shift
        int overlapRows = 0;    // content rows both frames show
        int matchedRows = 0;    // of them, rows that match at the shift over the moving columns
        bool ambiguous = false; // other shifts fit as well
        // Other shifts fit as well, and only the step size measured before
        // chose this one: a step that fell short (at the page's end) would
        // look the same.
        bool settledByStep = false;
        // Columns that do not move with the content and show something (a
        // sticky sidebar): left out of the strips below the first frame.
        Columns fixedColumns;
        // Blocks standing still over the moving content (a fixed clock, a
        // badge), in frame cells: whatever changes in them later is no
        // movement of the content.
        CellMask badges;
        // Cells of the rows in common that fit neither the shift nor
        // standing still (a shadow over the content, a few changed pixels),
        // in the new frame: its rows there are no clean view of the content.
        CellMask unsettled;
    };

    // How two frames taken one after the other differ in place.
    struct Change {
        int cells = 0;    // cells that differ (the ignored ones left out)
        CellMask changed; // which
        int total = 0;    // cells compared
    };

    // Rows of content both frames must share for a seam to count.
    static constexpr int minOverlapRows = 16;

    static Change change(const FrameRows& a, const FrameRows& b, const CellMask* ignore = nullptr);
    // The bodies of both frames show the same, apart from a few pixels and
    // the ignored cells.
    static bool sameContent(const FrameRows& a, const FrameRows& b, const CellMask* ignore = nullptr);
    // A change that a scroll cannot have made: a few cells close together (a
    // clock, a spinner, a caret), not rows all over the frame.
    static bool localChange(const Change& change);
    // The body between the bands is one colour only, apart from the ignored
    // cells: nothing in it tells whether it moved.
    static bool blank(const FrameRows& frame, const Bands& bands, const CellMask* ignore = nullptr);
    static Match match(const FrameRows& a, const FrameRows& b, const Request& request);
    // Width of a band at the right edge that does not follow the content
    // over the rows both frames share (a scrollbar whose thumb or arrows
    // moved differently); 0 when there is none or it cannot be seen here.
    static int scrollbarWidth(const FrameRows& a, const FrameRows& b, int shift, const Bands& bands);
};
