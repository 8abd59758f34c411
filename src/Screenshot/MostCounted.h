#pragma once
// The key counted most often and its count ({Key{}, 0} for no counts; on a
// tie, the first the hash yields).
#include <QHash>
#include <utility>

template <typename Key>
std::pair<Key, int> mostCounted(const QHash<Key, int>& counts)
{
    std::pair<Key, int> best{Key{}, 0};
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > best.second)
            best = {it.key(), it.value()};
    return best;
}
