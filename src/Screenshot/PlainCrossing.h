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
// content moved or not), fail one of these.
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
};
