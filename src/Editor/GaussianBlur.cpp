#include "Editor/GaussianBlur.h"

#include "Editor/BlockResampler.h"
#include "Editor/ParallelChunks.h"
#include "Editor/WideKernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// Up to this sigma the sampled kernel is cheap enough; above it five box
// passes of exactly the same variance stay within about one percent of the
// Gaussian's curve at a cost that does not grow with sigma.
constexpr double ExactSigmaLimit = 3.0;
constexpr int BoxPasses = 5;
// On a shrunk picture passes are cheap; more of them bring the curve closer.
constexpr int ShrunkBoxPasses = 8;
// From these sigmas on the picture is shrunk by 2 and by 4 first: what the
// blur leaves of its finest detail is then far below a level, and the
// interpolation's ripple stays well under one.
constexpr double ShrinkFrom = 12.0;
constexpr double ShrinkMoreFrom = 24.0;
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
    for (int c = 0; c < SlabLanes; ++c) {
        const qint32 s = sum[c];
        out[c] = qint32(float(s) * full + float(lo[c] + hi[c]) * partial + 0.5f);
        sum[c] = s + hi[c] - leaving[c];
    }
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
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (int k = 0; k < Rows; ++k) {
        qint32 bytes;
        std::memcpy(&bytes, rows[k] + x * 4, 4);
        // Bytes into the high half of 16-bit words: times Fraction for free.
        const __m128i words = _mm_unpacklo_epi8(zero, _mm_cvtsi32_si128(bytes));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes + k * 4), _mm_unpacklo_epi16(words, zero));
    }
#else
    for (int k = 0; k < Rows; ++k)
        for (int c = 0; c < 4; ++c)
            lanes[k * 4 + c] = qint32(rows[k][x * 4 + c]) * Fraction;
#endif
}

// One element of lines side by side back into sixteen rows at pixel x.
// Values never exceed 255 * Fraction.
ZENTU_WIDE void scatterPixels(const qint32* __restrict lanes, quint16* const* rows, int x)
{
#if defined(__SSE2__)
    // Signed packing is exact once the values are shifted into its range.
    const __m128i offset = _mm_set1_epi32(32768), flip = _mm_set1_epi16(qint16(0x8000));
    for (int k = 0; k < Rows; k += 2) {
        const __m128i a = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + k * 4)), offset);
        const __m128i b = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + k * 4 + 4)), offset);
        const __m128i words = _mm_xor_si128(_mm_packs_epi32(a, b), flip);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[k] + x * 4), words);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[k + 1] + x * 4), _mm_unpackhi_epi64(words, words));
    }
#else
    for (int k = 0; k < Rows; ++k)
        for (int c = 0; c < 4; ++c)
            rows[k][x * 4 + c] = quint16(lanes[k * 4 + c]);
#endif
}

// Fixed point back to premultiplied pixels, rounded; no colour above its alpha.
ZENTU_WIDE void packPixels(const qint32* __restrict lanes, uchar* __restrict bytes)
{
#if defined(__SSE2__)
    const __m128i half = _mm_set1_epi32(Fraction / 2);
    const auto rounded = [&](int p) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + p * 4));
        return _mm_srai_epi32(_mm_add_epi32(v, half), 8);
    };
    const auto capped = [](__m128i words) { // two pixels: every channel at most its alpha
        __m128i alpha = _mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 3, 3, 3));
        alpha = _mm_shufflehi_epi16(alpha, _MM_SHUFFLE(3, 3, 3, 3));
        return _mm_min_epi16(words, alpha);
    };
    for (int p = 0; p < SlabPixels; p += 4) {
        const __m128i lo = capped(_mm_packs_epi32(rounded(p), rounded(p + 1)));
        const __m128i hi = capped(_mm_packs_epi32(rounded(p + 2), rounded(p + 3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + p * 4), _mm_packus_epi16(lo, hi));
    }
#else
    for (int p = 0; p < SlabPixels; ++p) {
        const int a = std::min((lanes[p * 4 + 3] + Fraction / 2) >> 8, 255);
        for (int c = 0; c < 3; ++c)
            bytes[p * 4 + c] = uchar(std::min((lanes[p * 4 + c] + Fraction / 2) >> 8, a));
        bytes[p * 4 + 3] = uchar(a);
    }
#endif
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
    : GaussianBlur(sigma, true)
{
}

GaussianBlur::GaussianBlur(double sigma, bool mayShrink)
{
    if (mayShrink && sigma > ShrinkFrom) {
        // Averaging f x f blocks adds the variance (f^2 - 1) / 12, linear
        // interpolation at the f pixel phases f^2 / 6 + 1 / 12: f^2 / 4 in
        // all. The shrunk blur provides the rest, in units of shrunk pixels.
        m_factor = sigma > ShrinkMoreFrom ? 4 : 2;
        const double f2 = double(m_factor) * m_factor;
        m_shrunk.reset(new GaussianBlur(std::sqrt((sigma * sigma - f2 / 4) / f2), false));
        m_reach = m_factor * (m_shrunk->reach() + 2);
        return;
    }
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
    const int passes = mayShrink ? BoxPasses : ShrunkBoxPasses;
    const double v = sigma * sigma / passes;
    const int r = int(std::floor((std::sqrt(1 + 12 * v) - 1) / 2));
    const double alpha =
        std::clamp((2 * r + 1) * (v - r * (r + 1) / 3.0) / (2 * ((r + 1.0) * (r + 1.0) - v)), 0.0, 1.0);
    const double full = 1.0 / (2 * r + 1 + 2 * alpha);
    m_boxes.assign(size_t(passes), BoxPass{r, float(full), float(alpha * full)});
    m_margin = r + 1;
    m_reach = passes * m_margin;
}

QImage GaussianBlur::apply(const QImage& source, const QRect& area) const
{
    if (m_shrunk)
        return applyShrunk(source, area);
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

QImage GaussianBlur::applyShrunk(const QImage& source, const QRect& area) const
{
    const int f = m_factor;
    const QRect shrunkBounds(0, 0, (source.width() + f - 1) / f, (source.height() + f - 1) / f);
    // The cells the interpolation reads, then the cells their blur reads.
    const QRect cells = BlockResampler::cellsFor(area, f).intersected(shrunkBounds);
    const int r = m_shrunk->reach();
    const QRect read = cells.adjusted(-r, -r, r, r).intersected(shrunkBounds);
    const QImage small = BlockResampler::shrink(source, read, f);
    const QImage blurred = m_shrunk->apply(small, cells.translated(-read.topLeft()));
    return BlockResampler::enlarge(blurred, cells.topLeft(), area, f, shrunkBounds.size());
}
