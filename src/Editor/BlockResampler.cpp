#include "Editor/BlockResampler.h"

#include "Editor/ParallelChunks.h"
#include "Editor/WideKernels.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

// floor(a / b) for b > 0.
int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The shrunk picture's cell of a pixel to interpolate from (the left or upper
// of the two), and the weight of the other one in units of 1 / (2f): pixel
// centres lie at (x + 0.5) / f - 0.5 in shrunk cells.
std::pair<int, int> interpolationOf(int x, int f)
{
    const int numerator = 2 * x + 1 - f;
    const int cell = floorDiv(numerator, 2 * f);
    return {cell, numerator - cell * 2 * f};
}

// Rounded means of `cells` whole F x F cells from their column sums.
template <int F>
void averageCells(const quint16* __restrict sums, uchar* __restrict out, int cells)
{
    constexpr quint32 shift = F == 2 ? 2 : 4, half = 1u << (shift - 1);
    for (int i = 0; i < cells; ++i)
        for (int c = 0; c < 4; ++c) {
            quint32 sum = half;
            for (int k = 0; k < F; ++k)
                sum += sums[(i * F + k) * 4 + c];
            out[i * 4 + c] = uchar(sum >> shift);
        }
}

// Two spread rows weighted into one row of bytes; the weights of both
// directions add up to 2^shift.
ZENTU_WIDE void blendRows(const quint32* __restrict upper, const quint32* __restrict lower, quint32 wa, quint32 wb,
                          int shift, uchar* __restrict out, int count)
{
    const quint32 half = 1u << (shift - 1);
    for (int k = 0; k < count; ++k)
        out[k] = uchar((wa * upper[k] + wb * lower[k] + half) >> shift);
}

} // namespace

QRect BlockResampler::cellsFor(const QRect& area, int f)
{
    return QRect(QPoint(interpolationOf(area.left(), f).first, interpolationOf(area.top(), f).first),
                 QPoint(interpolationOf(area.right(), f).first + 1, interpolationOf(area.bottom(), f).first + 1));
}

QImage BlockResampler::shrink(const QImage& source, const QRect& rect, int f)
{
    QImage out(rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return out;
    const int W = source.width(), H = source.height();
    const int px0 = rect.left() * f, px1 = std::min(W, (rect.right() + 1) * f);
    uchar* outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    ParallelChunks::run(rect.height(), qsizetype(rect.width()) * rect.height() * f * f, [&](int begin, int end) {
        std::vector<quint16> columns(size_t(px1 - px0) * 4);
        for (int j = begin; j < end; ++j) {
            // Column sums over the cell's rows, then f of them per cell.
            const int y0 = (rect.top() + j) * f, y1 = std::min(H, y0 + f);
            const uchar* first = source.constScanLine(y0) + px0 * 4;
            std::copy(first, first + columns.size(), columns.begin());
            for (int y = y0 + 1; y < y1; ++y) {
                const uchar* __restrict line = source.constScanLine(y) + px0 * 4;
                quint16* __restrict sums = columns.data();
                for (size_t k = 0; k < columns.size(); ++k)
                    sums[k] = quint16(sums[k] + line[k]);
            }
            uchar* __restrict dst = outBits + j * outStride;
            const quint16* __restrict sums = columns.data();
            // Whole cells divide by a power of two; partial ones at the
            // picture's right and bottom edges by their pixel count.
            int i = 0;
            if (y1 - y0 == f) {
                const int whole = std::min(rect.width(), (W / f) - rect.left());
                if (f == 2)
                    averageCells<2>(sums, dst, whole);
                else
                    averageCells<4>(sums, dst, whole);
                i = std::max(whole, 0);
            }
            for (; i < rect.width(); ++i) {
                const int x0 = (rect.left() + i) * f, x1 = std::min(W, x0 + f);
                const quint32 n = quint32((x1 - x0) * (y1 - y0));
                for (int c = 0; c < 4; ++c) {
                    quint32 sum = 0;
                    for (int x = x0; x < x1; ++x)
                        sum += sums[(x - px0) * 4 + c];
                    dst[i * 4 + c] = uchar((sum + n / 2) / n);
                }
            }
        }
    });
    return out;
}

QImage BlockResampler::enlarge(const QImage& cells, QPoint origin, const QRect& area, int f, QSize shrunkSize)
{
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return out;
    const int n = area.width();
    const int step = 2 * f; // weights count in 1 / (2f)
    std::vector<int> left(static_cast<size_t>(n)), right(static_cast<size_t>(n)), weight(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto [cell, w] = interpolationOf(area.left() + i, f);
        left[size_t(i)] = std::clamp(cell, 0, shrunkSize.width() - 1) - origin.x();
        right[size_t(i)] = std::clamp(cell + 1, 0, shrunkSize.width() - 1) - origin.x();
        weight[size_t(i)] = w;
    }
    // One cell row spread across the area's columns, in units of 1 / (2f).
    const auto spread = [&](int row, std::vector<quint32>& into) {
        const uchar* __restrict line = cells.constScanLine(std::clamp(row, 0, shrunkSize.height() - 1) - origin.y());
        quint32* __restrict to = into.data();
        for (int i = 0; i < n; ++i) {
            const uchar* a = line + left[size_t(i)] * 4;
            const uchar* b = line + right[size_t(i)] * 4;
            const quint32 wb = quint32(weight[size_t(i)]), wa = quint32(step) - wb;
            for (int c = 0; c < 4; ++c)
                to[i * 4 + c] = wa * a[c] + wb * b[c];
        }
    };
    uchar* outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    ParallelChunks::run(area.height(), qsizetype(n) * area.height(), [&](int begin, int end) {
        std::vector<quint32> upper(size_t(n) * 4), lower(size_t(n) * 4);
        int spreadRow = INT_MIN;
        for (int j = begin; j < end; ++j) {
            const auto [cell, w] = interpolationOf(area.top() + j, f);
            if (cell != spreadRow) {
                if (cell == spreadRow + 1)
                    upper.swap(lower);
                else
                    spread(cell, upper);
                spread(cell + 1, lower);
                spreadRow = cell;
            }
            blendRows(upper.data(), lower.data(), quint32(step - w), quint32(w), f == 2 ? 4 : 6,
                      outBits + j * outStride, n * 4);
        }
    });
    return out;
}
