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
    if (out.isNull())
        return out;
    uchar* outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    const int colStart = cols.front().first, colEnd = cols.back().second;
    ParallelChunks::run(int(rows.size()), qsizetype(area.width()) * area.height(), [&](int begin, int end) {
        std::vector<quint32> acc(size_t(colEnd - colStart) * 4);
        std::vector<QRgb> line(size_t(area.width()));
        for (int r = begin; r < end; ++r) {
            const auto [ys, ye] = rows[size_t(r)];
            // Column sums over the cell row first, then one sum per cell.
            const uchar* first = src.constScanLine(ys) + colStart * 4;
            std::copy(first, first + acc.size(), acc.begin());
            for (int y = ys + 1; y < ye; ++y) {
                const uchar* px = src.constScanLine(y) + colStart * 4;
                for (size_t k = 0; k < acc.size(); ++k)
                    acc[k] += px[k];
            }
            quint64 count = 0, scale = 0;
            for (const auto& [xs, xe] : cols) {
                quint32 sum[4] = {};
                for (const quint32* a = &acc[size_t(xs - colStart) * 4]; a < &acc[size_t(xe - colStart) * 4]; a += 4)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += a[c];
                // Rounded mean by multiplying with 2^40 / count rounded up:
                // exact for sums below 2^28, far above 61 * 61 * 255.
                if (const quint64 n = quint64(xe - xs) * quint64(ye - ys); n != count) {
                    count = n;
                    scale = ((quint64(1) << 40) + n - 1) / n;
                }
                QRgb value = 0;
                for (int c = 0; c < 4; ++c)
                    value |= QRgb(((sum[c] + count / 2) * scale) >> 40) << (8 * c);
                const int x0 = std::max(xs, area.left()), x1 = std::min(xe, area.right() + 1);
                std::fill(line.begin() + (x0 - area.left()), line.begin() + (x1 - area.left()), value);
            }
            for (int y = std::max(ys, area.top()); y < std::min(ye, area.bottom() + 1); ++y)
                std::copy(line.begin(), line.end(), reinterpret_cast<QRgb*>(outBits + (y - area.top()) * outStride));
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
