#pragma once
// Rows at the bottom of a frame that the next frame shows higher up, and
// otherwise, while at those rows of the view it shows what the frame before
// showed there: something may stand over them in both frames (an overlay
// scrollbar's thumb across the view's bottom edge, shown while the view
// scrolls), or the difference is the next frame's own, over rows of one
// colour that look the same wherever the content stands. Which of the two
// frames shows the content there is not known from them alone.
//
// Only rows the frame before was the first to show (its bottom `shift`
// rows, in the lower quarter of the view) count, and only where most cells
// of the next frame that fit neither the shift nor standing still stand
// still at those rows of the view, showing something thinner than
// `thinRows` (plain rows stand still under anything), over at least
// `minRows` rows in a row.
#include "Screenshot/FrameMatcher.h"

#include <functional>
#include <vector>

class StillOverBottom {
public:
    StillOverBottom() = delete;

    // Frame rows of `before` (and of `after`, the same rows of the view)
    // that something stood over in both; `beside(c)`: cell column c lies in
    // columns standing still beside the content.
    static std::vector<int> rows(const FrameRows& before, const FrameRows& after, const FrameMatcher::Match& match,
                                 const std::function<bool(int)>& beside);

    // Rows a bar across the view is thinner than (a thumb at device scale 2),
    // and at least as tall as.
    static constexpr int thinRows = 16;
    static constexpr int minRows = 3;
};
