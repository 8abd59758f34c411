#include "Editor/Pixelation.h"

#include "Editor/ParallelChunks.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The picture's columns (or rows) of the cells that touch [from, to), as
// half-open pixel ranges, clipped to the picture. A pixel belongs to the
// cell its centre falls into; the grid has a line through `centre`.
std::vector<std::pair<int, int>> cellRuns(int from, int to, int limit, double centre, double side)
{
    const auto cellOf = [&](int x) { return std::floor((x + 0.5 - centre) / side); };
    const double first = cellOf(from), last = cellOf(to - 1);
    std::vector<std::pair<int, int>> runs;
    int start = from;
    while (start > 0 && cellOf(start - 1) == first)
        --start;
    for (double k = first; k <= last; ++k) {
        int end = std::max(start + 1, int(std::ceil(centre + (k + 1) * side - 0.5)));
        while (end > start + 1 && cellOf(end - 1) > k)
            --end;
        while (end < limit && cellOf(end) <= k)
            ++end;
        end = std::min(end, limit);
        runs.emplace_back(start, end);
        start = end;
        if (start >= limit)
            break;
    }
    return runs;
}

QImage pixelate(const QImage& src, double side, const QRect& area)
{
    const int W = src.width(), H = src.height();
    const auto cols = cellRuns(area.left(), area.right() + 1, W, W / 2.0, side);
    const auto rows = cellRuns(area.top(), area.bottom() + 1, H, H / 2.0, side);
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    uchar* outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    const int colStart = cols.front().first, colEnd = cols.back().second;
    ParallelChunks::run(int(rows.size()), qsizetype(area.width()) * area.height(), [&](int begin, int end) {
        std::vector<quint32> acc(size_t(colEnd - colStart) * 4);
        for (int r = begin; r < end; ++r) {
            const auto [ys, ye] = rows[size_t(r)];
            // Column sums over the cell row first, then one sum per cell.
            std::fill(acc.begin(), acc.end(), 0);
            for (int y = ys; y < ye; ++y) {
                const uchar* px = src.constScanLine(y) + colStart * 4;
                for (size_t k = 0; k < acc.size(); ++k)
                    acc[k] += px[k];
            }
            const int outY0 = std::max(ys, area.top()), outY1 = std::min(ye, area.bottom() + 1);
            for (const auto& [xs, xe] : cols) {
                quint64 sum[4] = {};
                for (int x = xs; x < xe; ++x)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += acc[size_t(x - colStart) * 4 + size_t(c)];
                const quint64 count = quint64(xe - xs) * quint64(ye - ys);
                // Rounded mean. A quotient that is not whole lies at least
                // 1/count (over 1/4000) from the next integer, so the tiny
                // nudge only undoes the reciprocal's rounding; far cheaper than dividing.
                const double inverse = 1.0 / double(count);
                quint32 mean[4];
                for (int c = 0; c < 4; ++c)
                    mean[c] = quint32(double(sum[c] + count / 2) * inverse + 1e-7);
                const QRgb value = (mean[3] << 24) | (mean[2] << 16) | (mean[1] << 8) | mean[0];
                const int outX0 = std::max(xs, area.left()), outX1 = std::min(xe, area.right() + 1);
                for (int y = outY0; y < outY1; ++y) {
                    auto* line = reinterpret_cast<QRgb*>(outBits + (y - area.top()) * outStride);
                    std::fill(line + (outX0 - area.left()), line + (outX1 - area.left()), value);
                }
            }
        }
    });
    return out;
}

} // namespace

int Pixelation::reach() const
{
    return int(std::ceil(m_side));
}

QImage Pixelation::apply(const QImage& source, const QRect& area) const
{
    return pixelate(source, m_side, area);
}
