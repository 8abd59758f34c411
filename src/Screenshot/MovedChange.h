#pragma once
// Whether what changed between two frames is content that moved up or down
// as a whole: on a page of long plain stretches with a few labels or a
// picture in them, a scroll still gliding changes only those few cells, and
// the change looks as small and as local as a ticking clock. Unlike a clock,
// a spinner or a blinking dot, each changed cell of either frame shows in
// the other one a few rows away, all at the same distance.
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameRows.h"

class MovedChange {
public:
    MovedChange() = delete;

    // `changed` (cells of `a` and `b` that differ in place) is explained by
    // the content moving by one distance, both ways: each changed cell of
    // `b` shows what `a` shows that many rows further down, and each of `a`
    // what `b` shows that many rows further up, apart from a few (where
    // content comes out from under something fixed).
    static bool explains(const FrameRows& a, const FrameRows& b, const CellMask& changed);
};
