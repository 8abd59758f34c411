#include "Screenshot/PlainCrossing.h"

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
