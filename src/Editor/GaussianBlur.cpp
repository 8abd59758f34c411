#include "Editor/GaussianBlur.h"

#include "Editor/ParallelChunks.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

// Up to this sigma the sampled kernel is cheap enough; above it five box
// passes of exactly the same variance stay within about one percent of the
// Gaussian's curve at a cost that does not grow with sigma.
constexpr double ExactSigmaLimit = 3.0;
constexpr int BoxPasses = 5;
// The horizontal result is cut into bands of rows so a tall capture never
// needs more than this much extra memory at once.
constexpr qsizetype BandBudgetBytes = qsizetype(128) * 1024 * 1024;
// Channel values are fixed point with 8 fractional bits: integer running sums
// are exact, so a window's result does not depend on where its line started.
constexpr int Fraction = 256;
// Horizontal passes filter sixteen rows side by side (one lane per channel),
// so each step is a few wide vector operations.
constexpr int Rows = 16;
constexpr int Lanes = Rows * 4;
// Vertical passes run down slabs of this many columns, one row at a time. A
// slab at the right edge computes its unused lanes too: fixed trip counts
// let the compiler vectorise every row loop.
constexpr int SlabPixels = 128;
constexpr int SlabLanes = SlabPixels * 4;

#define ZENTU_WIDE __attribute__((target_clones("avx2", "default")))

ZENTU_WIDE void boxLine(const qint32* __restrict in, qint32* __restrict out, int len, int r, float full, float partial)
{
    alignas(32) qint32 sum[Lanes] = {};
    for (int j = -r; j <= r; ++j)
        for (int c = 0; c < Lanes; ++c)
            sum[c] += in[j * Lanes + c];
    for (int i = 0; i < len; ++i) {
        const qint32* __restrict lo = in + (i - r - 1) * Lanes;
        const qint32* __restrict hi = in + (i + r + 1) * Lanes;
        const qint32* __restrict leaving = in + (i - r) * Lanes;
        qint32* __restrict o = out + i * Lanes;
        for (int c = 0; c < Lanes; ++c)
            o[c] = qint32(float(sum[c]) * full + float(lo[c] + hi[c]) * partial + 0.5f);
        for (int c = 0; c < Lanes; ++c)
            sum[c] += hi[c] - leaving[c];
    }
}

ZENTU_WIDE void kernelLine(const qint32* __restrict in, qint32* __restrict out, int len, const float* __restrict kernel, int r)
{
    for (int i = 0; i < len; ++i) {
        alignas(32) float acc[Lanes] = {};
        for (int j = -r; j <= r; ++j) {
            const float w = kernel[j + r];
            const qint32* __restrict s = in + (i + j) * Lanes;
            for (int c = 0; c < Lanes; ++c)
                acc[c] += w * float(s[c]);
        }
        qint32* __restrict o = out + i * Lanes;
        for (int c = 0; c < Lanes; ++c)
            o[c] = qint32(acc[c] + 0.5f);
    }
}

ZENTU_WIDE void boxStep(const qint32* __restrict lo, const qint32* __restrict hi, const qint32* __restrict leaving,
                        qint32* __restrict sum, qint32* __restrict out, float full, float partial)
{
    for (int c = 0; c < SlabLanes; ++c)
        out[c] = qint32(float(sum[c]) * full + float(lo[c] + hi[c]) * partial + 0.5f);
    for (int c = 0; c < SlabLanes; ++c)
        sum[c] += hi[c] - leaving[c];
}

ZENTU_WIDE void addRow(qint32* __restrict sum, const qint32* __restrict row)
{
    for (int c = 0; c < SlabLanes; ++c)
        sum[c] += row[c];
}

ZENTU_WIDE void weightedSet(float* __restrict acc, const qint32* __restrict row, float w)
{
    for (int c = 0; c < SlabLanes; ++c)
        acc[c] = w * float(row[c]);
}

ZENTU_WIDE void weightedAdd(float* __restrict acc, const qint32* __restrict row, float w)
{
    for (int c = 0; c < SlabLanes; ++c)
        acc[c] += w * float(row[c]);
}

ZENTU_WIDE void roundRow(const float* __restrict acc, qint32* __restrict out)
{
    for (int c = 0; c < SlabLanes; ++c)
        out[c] = qint32(acc[c] + 0.5f);
}

ZENTU_WIDE void widenWords(const quint16* __restrict words, qint32* __restrict out)
{
    for (int c = 0; c < SlabLanes; ++c)
        out[c] = words[c];
}

// Pixel x of sixteen rows into one element of lines side by side.
ZENTU_WIDE void gatherPixels(const uchar* const* rows, int x, qint32* __restrict lanes)
{
    for (int k = 0; k < Rows; ++k)
        for (int c = 0; c < 4; ++c)
            lanes[k * 4 + c] = qint32(rows[k][x * 4 + c]) * Fraction;
}

// One element of lines side by side back into sixteen rows at pixel x.
ZENTU_WIDE void scatterPixels(const qint32* __restrict lanes, quint16* const* rows, int x)
{
    for (int k = 0; k < Rows; ++k)
        for (int c = 0; c < 4; ++c)
            rows[k][x * 4 + c] = quint16(lanes[k * 4 + c]); // never above 255 * Fraction
}

// Fixed point back to premultiplied pixels, rounded; no colour above its alpha.
ZENTU_WIDE void packPixels(const qint32* __restrict lanes, uchar* __restrict bytes)
{
    for (int p = 0; p < SlabPixels; ++p) {
        const int a = std::min((lanes[p * 4 + 3] + Fraction / 2) >> 8, 255);
        for (int c = 0; c < 3; ++c)
            bytes[p * 4 + c] = uchar(std::min((lanes[p * 4 + c] + Fraction / 2) >> 8, a));
        bytes[p * 4 + 3] = uchar(a);
    }
}

// Sixteen lines side by side; element i holds Lanes values. Indices
// -margin … len + margin - 1 are valid, the margins repeating the ends.
class Lines {
public:
    Lines(int len, int margin)
        : m_len(len), m_margin(margin), m_data(size_t(len + 2 * margin) * Lanes)
    {
    }
    qint32* at(int i) { return m_data.data() + qsizetype(i + m_margin) * Lanes; }
    void extendEnds()
    {
        for (int i = 1; i <= m_margin; ++i) {
            std::copy_n(at(0), Lanes, at(-i));
            std::copy_n(at(m_len - 1), Lanes, at(m_len - 1 + i));
        }
    }

private:
    int m_len, m_margin;
    std::vector<qint32> m_data;
};

// One step of the vertical passes over a slab of columns: hands out rows
// 0 … len - 1 of its result in order (indices beyond repeat the ends),
// keeping only as many as the next step reads at once.
class Stage {
public:
    explicit Stage(int len)
        : m_len(len)
    {
    }
    virtual ~Stage() = default;
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // The next step reads up to `window` consecutive rows at once.
    void keep(int window) { m_capacity = std::max(m_capacity, window); }

    // Valid until `m_capacity` further rows have been made.
    const qint32* row(int i)
    {
        i = std::clamp(i, 0, m_len - 1);
        if (m_ring.empty())
            m_ring.resize(size_t(m_capacity) * SlabLanes);
        while (m_made < i) {
            ++m_made;
            make(m_made, slot(m_made));
        }
        return slot(i);
    }

protected:
    virtual void make(int i, qint32* out) = 0;

private:
    qint32* slot(int i) { return m_ring.data() + size_t(i % m_capacity) * SlabLanes; }

    int m_len, m_capacity = 1, m_made = -1;
    std::vector<qint32> m_ring;
};

// The horizontal result's rows, widened; `lanes` of them are real.
class SourceRows : public Stage {
public:
    SourceRows(int len, int lanes, std::function<const quint16*(int)> rowAt)
        : Stage(len), m_lanes(lanes), m_rowAt(std::move(rowAt))
    {
    }

private:
    void make(int i, qint32* out) override
    {
        // Rows lie further apart than hardware prefetchers look: fetch ahead by hand.
        const auto* ahead = reinterpret_cast<const char*>(m_rowAt(i + 8));
        for (int b = 0; b < m_lanes * 2; b += 64)
            __builtin_prefetch(ahead + b);
        if (m_lanes == SlabLanes) {
            widenWords(m_rowAt(i), out);
            return;
        }
        std::copy_n(m_rowAt(i), m_lanes, out);
        std::fill(out + m_lanes, out + SlabLanes, 0);
    }
    int m_lanes;
    std::function<const quint16*(int)> m_rowAt;
};

class BoxRows : public Stage {
public:
    BoxRows(Stage& in, const GaussianBlur::BoxPass& pass, int len)
        : Stage(len), m_in(in), m_pass(pass), m_sum(SlabLanes)
    {
        in.keep(2 * pass.radius + 3);
    }

private:
    void make(int i, qint32* out) override
    {
        const int r = m_pass.radius;
        if (i == 0) {
            std::fill(m_sum.begin(), m_sum.end(), 0);
            for (int j = -r; j <= r; ++j)
                addRow(m_sum.data(), m_in.row(j));
        }
        const qint32* hi = m_in.row(i + r + 1); // first: it may make new rows
        boxStep(m_in.row(i - r - 1), hi, m_in.row(i - r), m_sum.data(), out, m_pass.full, m_pass.partial);
    }
    Stage& m_in;
    GaussianBlur::BoxPass m_pass;
    std::vector<qint32> m_sum;
};

class KernelRows : public Stage {
public:
    KernelRows(Stage& in, const std::vector<float>& kernel, int len)
        : Stage(len), m_in(in), m_kernel(kernel), m_acc(SlabLanes)
    {
        in.keep(int(kernel.size()));
    }

private:
    void make(int i, qint32* out) override
    {
        const int r = int(m_kernel.size() / 2);
        weightedSet(m_acc.data(), m_in.row(i - r), m_kernel[0]);
        for (int j = -r + 1; j <= r; ++j)
            weightedAdd(m_acc.data(), m_in.row(i + j), m_kernel[size_t(j + r)]);
        roundRow(m_acc.data(), out);
    }
    Stage& m_in;
    const std::vector<float>& m_kernel;
    std::vector<float> m_acc;
};

} // namespace

GaussianBlur::GaussianBlur(double sigma)
{
    if (sigma <= ExactSigmaLimit) {
        m_reach = m_margin = std::max(1, int(std::ceil(3 * sigma)));
        m_kernel.resize(size_t(2 * m_reach + 1));
        double total = 0;
        for (int k = -m_reach; k <= m_reach; ++k)
            total += std::exp(-double(k) * k / (2 * sigma * sigma));
        for (int k = -m_reach; k <= m_reach; ++k)
            m_kernel[size_t(k + m_reach)] = float(std::exp(-double(k) * k / (2 * sigma * sigma)) / total);
        return;
    }
    // An extended box: 2r + 1 taps plus a fraction alpha of one more on each
    // side, so its variance (r(r+1)(2r+1)/3 + 2 alpha (r+1)^2) / (2r+1+2 alpha)
    // meets sigma^2 / passes exactly.
    const double v = sigma * sigma / BoxPasses;
    const int r = int(std::floor((std::sqrt(1 + 12 * v) - 1) / 2));
    const double alpha =
        std::clamp((2 * r + 1) * (v - r * (r + 1) / 3.0) / (2 * ((r + 1.0) * (r + 1.0) - v)), 0.0, 1.0);
    const double full = 1.0 / (2 * r + 1 + 2 * alpha);
    m_boxes.assign(BoxPasses, BoxPass{r, float(full), float(alpha * full)});
    m_margin = r + 1;
    m_reach = BoxPasses * m_margin;
}

QImage GaussianBlur::apply(const QImage& source, const QRect& area) const
{
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return out;
    const qsizetype rowBytes = qsizetype(area.width()) * 8;
    const int bandRows = std::max(256, int(BandBudgetBytes / rowBytes) - 2 * m_reach);
    for (int y = area.top(); y <= area.bottom(); y += bandRows)
        band(source, area, y, std::min(area.bottom() + 1, y + bandRows), out);
    return out;
}

// Output rows [y0, y1) of `area` into `out`, whose row 0 is area.top().
void GaussianBlur::band(const QImage& source, const QRect& area, int y0, int y1, QImage& out) const
{
    const int W = source.width(), H = source.height();
    const int R = m_reach, n = area.width();

    // Horizontal passes over every row the vertical passes read, kept as
    // 16-bit fixed point.
    const int ry0 = std::max(0, y0 - R), ry1 = std::min(H, y1 + R), rows = ry1 - ry0;
    std::unique_ptr<quint16[]> mid(new quint16[size_t(rows) * size_t(n) * 4]);
    const int hlen = n + 2 * R;
    ParallelChunks::run((rows + Rows - 1) / Rows, qsizetype(rows) * hlen, [&](int begin, int end) {
        Lines a(hlen, m_margin), b(hlen, m_margin);
        std::vector<quint16> spareRow(size_t(n) * 4);
        for (int block = begin; block < end; ++block) {
            // A last block of fewer rows repeats its first row in the spare lanes.
            const int first = block * Rows, count = std::min(Rows, rows - first);
            const uchar* lines[Rows];
            for (int k = 0; k < Rows; ++k)
                lines[k] = source.constScanLine(ry0 + first + (k < count ? k : 0));
            for (int i = 0; i < hlen; ++i)
                gatherPixels(lines, std::clamp(area.left() - R + i, 0, W - 1), a.at(i));
            Lines* res = &a;
            Lines* spare = &b;
            if (!m_kernel.empty()) {
                a.extendEnds();
                kernelLine(a.at(0), b.at(0), hlen, m_kernel.data(), m_margin);
                res = &b;
            } else {
                for (const BoxPass& p : m_boxes) {
                    res->extendEnds();
                    boxLine(res->at(0), spare->at(0), hlen, p.radius, p.full, p.partial);
                    std::swap(res, spare);
                }
            }
            quint16* dst[Rows];
            for (int k = 0; k < Rows; ++k)
                dst[k] = k < count ? mid.get() + size_t(first + k) * size_t(n) * 4 : spareRow.data();
            for (int i = 0; i < n; ++i)
                scatterPixels(res->at(R + i), dst, i);
        }
    });

    // Vertical passes down slabs of columns, row by row.
    const int m = y1 - y0, vlen = m + 2 * R;
    const int slabs = (n + SlabPixels - 1) / SlabPixels;
    uchar* outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    ParallelChunks::run(slabs, qsizetype(vlen) * n, [&](int begin, int end) {
        for (int slab = begin; slab < end; ++slab) {
            const int c0 = slab * SlabPixels, cols = std::min(SlabPixels, n - c0), lanes = cols * 4;
            SourceRows input(vlen, lanes, [&](int i) {
                // The same as clamping to the picture for rows of the band.
                const int y = std::clamp(y0 - R + i, ry0, ry1 - 1);
                return mid.get() + (size_t(y - ry0) * size_t(n) + size_t(c0)) * 4;
            });
            std::vector<std::unique_ptr<Stage>> stages;
            Stage* last = &input;
            if (!m_kernel.empty())
                stages.push_back(std::make_unique<KernelRows>(*last, m_kernel, vlen));
            else
                for (const BoxPass& p : m_boxes) {
                    stages.push_back(std::make_unique<BoxRows>(*last, p, vlen));
                    last = stages.back().get();
                }
            last = stages.back().get();
            alignas(32) uchar bytes[SlabLanes];
            for (int i = 0; i < m; ++i) {
                packPixels(last->row(R + i), bytes);
                std::copy_n(bytes, cols * 4, outBits + (y0 - area.top() + i) * outStride + c0 * 4);
            }
        }
    });
}
