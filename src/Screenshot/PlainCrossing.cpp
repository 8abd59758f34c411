#include "Screenshot/PlainCrossing.h"

#include "Screenshot/KnownShift.h"
#include "Screenshot/MostCounted.h"

#include <QHash>

#include <cmath>

std::optional<int> PlainCrossing::stepClicks(int band, double perClick)
{
    if (band <= 0 || perClick <= 0 || perClick > band / 2.0)
        return std::nullopt;
    return int(std::floor(band / 2.0 / perClick));
}

std::optional<int> PlainCrossing::rows(int clicks, double perClick)
{
    if (clicks <= 0 || perClick <= 0)
        return std::nullopt;
    // (The measured size of a click averages whole-row shifts: a hundredth of
    // a row off is rounding, more is a click of some fraction of rows.)
    const double whole = std::round(perClick);
    if (std::abs(perClick - whole) > 0.01 || whole < 1)
        return std::nullopt;
    return clicks * int(whole);
}

bool PlainCrossing::stepFits(const FrameRows& a, const FrameRows& b, int rows, const FrameMatcher::Bands& bands,
                             const CellMask* ignore, const FrameMatcher::Match& measured)
{
    if (rows <= 0 || FrameMatcher::sameContent(a, b, ignore))
        return false;
    // (A few cells that tell rows apart: a label's edge, not a lone dot.)
    constexpr int textured = 8;
    FrameMatcher::Match moved = measured;
    moved.moved = true;
    return KnownShift::fitAt(a, b, rows, bands, ignore).textured >= textured
        && KnownShift::pixelsAllow(a, b, rows, bands, ignore, moved);
}

std::optional<CellMask> PlainCrossing::standingOver(const FrameRows& frame, const FrameMatcher::Bands& bands,
                                                    const CellMask* ignore)
{
    const int end = frame.height() - bands.bottom;
    if (frame.isNull() || bands.top >= end)
        return std::nullopt;
    const QImage& image = frame.image();
    auto colourOf = [&](int y, int c) { return image.pixel(frame.cellLeft(c), y) | 0xff000000; };
    auto left = [&](int y, int c) { return ignore && ignore->contains(y, c); };
    QHash<QRgb, int> counts;
    int cells = 0;
    for (int y = bands.top; y < end; ++y)
        for (int c = 0; c < frame.cells(); ++c)
            if (!left(y, c)) {
                ++cells;
                if (frame.uniform(y, c))
                    ++counts[colourOf(y, c)];
            }
    if (counts.isEmpty())
        return std::nullopt;
    const QRgb stretch = mostCounted(counts).first;
    CellMask over(frame.height(), frame.cells());
    for (int y = bands.top; y < end; ++y)
        for (int c = 0; c < frame.cells(); ++c)
            if (!left(y, c) && (!frame.uniform(y, c) || colourOf(y, c) != stretch))
                over.insert(y, c);
    if (over.isEmpty() || qint64(over.count()) * 8 > qint64(cells))
        return std::nullopt;
    // (The cells' columns cover the body only: the right edge, where a thumb
    // may show, is no part of the stretch either way.)
    return over;
}

bool PlainCrossing::alikeIn(const FrameRows& a, const FrameRows& b, const CellMask& cells)
{
    if (a.isNull() || b.isNull() || a.width() != b.width() || a.height() != b.height() || cells.rows() != a.height()
        || cells.cells() != a.cells())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int c = 0; c < a.cells(); ++c)
            if (cells.contains(y, c) && !a.cellAlike(y, c, b, y))
                return false;
    return true;
}
