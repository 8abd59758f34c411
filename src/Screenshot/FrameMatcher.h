#pragma once
// Decides, densely, how two consecutive frames of a scrolling capture relate:
// whether anything moved, how far the content moved, which rows at the top
// and the bottom stayed put (a toolbar, a sticky header, a footer), and
// whether that shift holds over every row the two frames share. Only a
// confirmed shift may be stitched: a step that moved further than the frames
// overlap, content that repeats so that several shifts fit, or content that
// changed while it moved all leave the seam unconfirmed.
//
// The shift is found from rows that changed and reappear elsewhere in the
// previous frame, each weighted by how rare it is there (a blank or repeated
// row says little, a row of text a lot); a sparse search stands in when no row
// reappears exactly (content redrawn with noise).
#include "Screenshot/FrameRows.h"

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
    };

    struct Match {
        bool moved = false;     // the content changed at all
        bool confirmed = false; // the shift holds over the shared rows
        int shift = 0;          // rows the content moved up (row y of b shows row y + shift of a)
        Bands bands;            // unchanging rows above and below the content, for this shift
        int overlapRows = 0;    // content rows both frames show
        int matchedRows = 0;    // of them, rows that match at the shift
        bool ambiguous = false; // other shifts fit as well
    };

    // Rows of content both frames must share for a seam to count.
    static constexpr int minOverlapRows = 16;

    // The bodies of both frames show the same, apart from a few pixels.
    static bool sameContent(const FrameRows& a, const FrameRows& b);
    // The body between the bands is one colour only: nothing in it tells
    // whether it moved.
    static bool blank(const FrameRows& frame, const Bands& bands);
    static Match match(const FrameRows& a, const FrameRows& b, const Request& request);
    // Width of a band at the right edge that does not follow the content
    // over the rows both frames share (a scrollbar whose thumb or arrows
    // moved differently); 0 when there is none or it cannot be seen here.
    static int scrollbarWidth(const FrameRows& a, const FrameRows& b, int shift, const Bands& bands);
    // The unchanging rows at the top and bottom for a given shift: rows equal
    // in both frames, up to a third of the height each; a row that moved with
    // the content ends a band, a few rows that changed otherwise (a blinking
    // element, a page number) are bridged.
    static Bands bands(const FrameRows& a, const FrameRows& b, int shift);
};
