#pragma once
// Splits [0, count) into contiguous chunks run on the shared thread pool, so
// each chunk sets up its working buffers once. Small jobs stay on the caller's
// thread, where starting threads would cost more than it saves.
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <numeric>
#include <vector>

namespace ParallelChunks {

constexpr qsizetype MinimumPixels = 64 * 1024;

// Calls f(begin, end) for every chunk; returns when all are done. `pixels` is
// the size of the whole job.
template <typename F>
void run(int count, qsizetype pixels, F f)
{
    const int chunks = pixels < MinimumPixels ? 1 : std::min(count, 2 * std::max(1, QThread::idealThreadCount()));
    if (chunks <= 1) {
        if (count > 0)
            f(0, count);
        return;
    }
    std::vector<int> indices(static_cast<size_t>(chunks));
    std::iota(indices.begin(), indices.end(), 0);
    QtConcurrent::blockingMap(indices, [&](int i) {
        f(int(qint64(count) * i / chunks), int(qint64(count) * (i + 1) / chunks));
    });
}

} // namespace ParallelChunks
