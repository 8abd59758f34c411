#include "Screenshot/SecondPass.h"

#include <algorithm>

bool SecondPass::worthwhile(const QList<ScrollStop>& stops)
{
    if (stops.isEmpty() || (stops.first() != ScrollStop::contentEnd && stops.first() != ScrollStop::blankEnd))
        return false;
    auto grew = [](ScrollStop stop) { return stop == ScrollStop::grewAbove || stop == ScrollStop::contentMoved; };
    // Only growth: anything else the result may lack would stay.
    return std::any_of(stops.cbegin(), stops.cend(), grew)
        && std::all_of(stops.cbegin(), stops.cend(),
                       [&](ScrollStop stop) { return grew(stop) || !ScrollStops::incomplete(stop); });
}
