#include "Screenshot/StillOverBottom.h"

std::vector<int> StillOverBottom::rows(const FrameRows& before, const FrameRows& after,
                                       const FrameMatcher::Match& match, const std::function<bool(int)>& beside)
{
    std::vector<int> out;
    const int h = after.height();
    const int shift = match.shift;
    if (before.isNull() || after.isNull() || before.height() != h || before.cells() != after.cells() || shift <= 0)
        return out;
    const QImage b = after.image().convertToFormat(QImage::Format_RGB32);
    auto colour = [&b, &after](int y, int c) { return b.pixel(after.cellLeft(c), y) | 0xff000000u; };
    // What stands there in one colour that the view shows a little higher up
    // as well is a stretch of plain rows (a box's background), not a bar.
    auto plain = [&](int y, int c) {
        const int above = y - thinRows;
        return after.uniform(y, c) && above >= 0 && colour(y, c) == colour(above, c);
    };
    const CellMask& unsettled = match.unsettled;
    for (int y = 0; y < unsettled.rows() && y < h; ++y) {
        const int below = y + shift;
        if (below >= h - match.bands.bottom || below < h - shift || below < h * 3 / 4)
            continue;
        int misfits = 0;
        int standing = 0;
        for (int c = 0; c < unsettled.cells(); ++c) {
            if (!unsettled.contains(y, c) || beside(c))
                continue;
            ++misfits;
            standing += before.cellAlike(below, c, after, below) && !plain(below, c);
        }
        if (standing > 0 && standing * 4 >= misfits * 3)
            out.push_back(below);
    }
    // A bar is a few rows tall; a row or two is more likely the edge of
    // something that changed in the next frame.
    std::vector<int> bars;
    for (size_t i = 0; i < out.size();) {
        size_t end = i + 1;
        while (end < out.size() && out[end] == out[end - 1] + 1)
            ++end;
        if (end - i >= size_t(minRows))
            bars.insert(bars.end(), out.begin() + qsizetype(i), out.begin() + qsizetype(end));
        i = end;
    }
    return bars;
}
