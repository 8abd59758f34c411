#pragma once
// Boxes fixed over the moving content (a banner, a cookie notice, a chat
// bubble), told from three views of the page taken one step apart. What
// gives a box away is what stands in it (its text, an icon): in all three
// views it shows the same in the same place, while the content around it
// moved by one step and then by another. Around that lies the box's plain
// fill, which stands still as well, and around that its shadow, which
// darkens whatever moves under it and so fits neither the step nor standing
// still. Two views alone cannot tell a box from a plain block of the page
// that happens to look alike after one step; the third, after a second
// step, can, and the seams between all three views must hold once the
// boxes are left out of them. Something kept out of the view (a bar above
// it, a box below it) may still cast its shadow over the view's first or
// last rows: those count as a box where other views show the content under
// them clear, darkened in two views by the same share in each place.
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/FrameRows.h"

class FixedBoxes {
public:
    FixedBoxes() = delete;

    // Rows a shadow may reach beyond a box (a soft shadow at scale 2).
    static constexpr int shadowRows = 32;

    // The cells of the boxes (fill and shadow, and whole rows of a shadow
    // over the top or bottom of the content) over the content rows of
    // `bands`, in frame cells, where the content moved up `first` rows from
    // view a to view b and `second` rows from b to c; `ignore` (may be null)
    // holds cells that change by themselves. Empty unless something stands
    // still in all three views and, with the boxes left out, the seams a to
    // b, b to c and (where they share rows) a to c hold at exactly those shifts.
    static CellMask confirmed(const FrameRows& a, const FrameRows& b, const FrameRows& c, int first, int second,
                              const FrameMatcher::Bands& bands, const CellMask* ignore);
};
