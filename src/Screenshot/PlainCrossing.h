#pragma once
// Crossing a stretch of one colour taller than the view with the wheel,
// where the frames show nothing of how far the content moved. The run has
// seen content again beyond it, so the stretch is no end; what is left to
// know is its height. The wheel's measured click tells it only where each
// click moves whole rows and the wheel proves steady over the stretch: the
// steps across it, added up, must be one move of the view, the same forwards
// and backwards (the whole way back in one go shows the newest strip's frame
// again, the whole way forward in one go the frame the steps came to). A
// view that stopped at the end of the content, or clicks that moved the
// content otherwise in the stretch (frames there look the same whether the
// content moved or not), fail one of these. Something fixed over the view
// (a box not known as such) makes no frame plain: where it stood alike
// while the rest of the view turned plain, the frames across are plain
// apart from it, and its rows count as covered in them.
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/FrameRows.h"

#include <optional>

class PlainCrossing {
public:
    PlainCrossing() = delete;
    // Clicks per step across the stretch: no more rows than half the band
    // the content scrolls in, at least one click; nothing when even one
    // click moves more than that.
    static std::optional<int> stepClicks(int band, double perClick);
    // Rows `clicks` move the content, where one click is known to move
    // whole rows; nothing where the measured click is a fraction of rows
    // (steps adding up would drift from the content).
    static std::optional<int> rows(int clicks, double perClick);
    // What stands over a view that shows a stretch of one colour and
    // nothing else (a fixed box, its shadow, a badge): the cells between
    // `bands`, apart from `ignore`, that do not show the colour most of them
    // show. Nothing where no cell stands over it, or where those cells make
    // up more than an eighth of the view (no stretch).
    static std::optional<CellMask> standingOver(const FrameRows& frame, const FrameMatcher::Bands& bands,
                                                const CellMask* ignore);
    // Every cell of `cells` shows alike in both frames.
    static bool alikeIn(const FrameRows& a, const FrameRows& b, const CellMask& cells);
    // Whether the step from `a` to `b`, before the stretch, may be taken at
    // the clicks' distance `rows` where the measurement (`measured`) did not
    // pin it: too few rows of content are left above the stretch. The view
    // changed, the rows both frames share at that distance agree with
    // something in them that tells rows apart, and no shift near it (nor
    // what the measurement proposed, nor standing still) fits better.
    static bool stepFits(const FrameRows& a, const FrameRows& b, int rows, const FrameMatcher::Bands& bands,
                         const CellMask* ignore, const FrameMatcher::Match& measured);
};
