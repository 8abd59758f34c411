#include "Screenshot/WindowShot.h"

#include "Localization/Localizer.h"
#include "Screenshot/CaptureError.h"

#include <QPainter>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Frames are compared on their raw 32-bit pixels. Grabs arrive as RGB32 or
// ARGB32_Premultiplied; anything else is converted once.
QImage as32(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool sameSize(const QImage& a, const QImage& b)
{
    return !a.isNull() && !b.isNull() && a.width() == b.width() && a.height() == b.height();
}

// Read access to one frame. The value of a pixel is the sum of its three
// colour bytes (0...765); its gray value is the usual luma of those bytes.
class Pixels {
public:
    explicit Pixels(const QImage& image)
        : m_image(as32(image))
        , m_bits(m_image.constBits())
        , m_bpl(m_image.bytesPerLine())
    {
    }
    bool readable() const { return m_bits != nullptr; }
    int value(int x, int y) const
    {
        const uchar* p = m_bits + qsizetype(y) * m_bpl + qsizetype(x) * 4;
        return p[0] + p[1] + p[2];
    }
    int gray(int x, int y) const
    {
        const uchar* p = m_bits + qsizetype(y) * m_bpl + qsizetype(x) * 4;
        // Bytes are B, G, R (little-endian 0xAARRGGBB).
        return (p[2] * 11 + p[1] * 16 + p[0] * 5) / 32;
    }

private:
    QImage m_image;
    const uchar* m_bits;
    qsizetype m_bpl;
};

// The sampled columns of every row of a frame as compact 16-bit values, each
// row padded with zeros to a multiple of 8 (the padding differs by nothing), so
// the shift search runs over contiguous memory in vector steps.
int paddedColumns(int columns)
{
    return (columns + 7) / 8 * 8;
}

// Rows first, first + rowStep, ... below end; row k of the result is row
// first + k * rowStep of the frame.
std::vector<qint16> sampledRows(const Pixels& pixels, int first, int end, int rowStep, int step, int columns)
{
    const int stride = paddedColumns(columns);
    const int rows = end > first ? (end - first + rowStep - 1) / rowStep : 0;
    std::vector<qint16> out(size_t(rows) * size_t(stride), 0);
    for (int k = 0; k < rows; ++k) {
        const int y = first + k * rowStep;
        qint16* row = out.data() + size_t(k) * size_t(stride);
        for (int i = 0, x = 0; i < columns; ++i, x += step)
            row[i] = qint16(pixels.value(x, y));
    }
    return out;
}

// Sum of absolute differences between `rows` sampled rows of a (advancing two
// rows at a time) and of b (advancing one row), rows padded to `stride` (a
// multiple of 8): the hot loop of the shift search.
qint64 bandDifference(const qint16* a, const qint16* b, int rows, int stride)
{
    qint64 total = 0;
#ifdef __SSE2__
    const __m128i ones = _mm_set1_epi16(1);
    const __m128i zero = _mm_setzero_si128();
    for (int done = 0; done < rows;) {
        // 32-bit lanes hold at most 1530 per vector and row; flush in blocks
        // small enough never to overflow.
        const int block = qMin(rows - done, 512);
        __m128i acc = zero;
        for (int r = 0; r < block; ++r, a += 2 * stride, b += stride) {
            for (int i = 0; i < stride; i += 8) {
                const __m128i d = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
                acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_max_epi16(d, _mm_sub_epi16(zero, d)), ones));
            }
        }
        alignas(16) qint32 lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
        total += qint64(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
        done += block;
    }
#else
    for (int r = 0; r < rows; ++r, a += 2 * stride, b += stride)
        for (int i = 0; i < stride; ++i)
            total += std::abs(a[i] - b[i]);
#endif
    return total;
}

} // namespace

WindowShot::Edges WindowShot::fixedEdges(const QImage& a, const QImage& b)
{
    if (!sameSize(a, b))
        return {};
    const int w = a.width();
    const int h = a.height();
    const Pixels pa(a);
    const Pixels pb(b);
    if (!pa.readable() || !pb.readable() || h < 3)
        return {};
    const int step = w >= 40 ? w / 40 : 1;
    const int limit = h / 3;
    auto matches = [&](int y) {
        qint64 sum = 0;
        qint64 count = 0;
        for (int x = 0; x < w; x += step) {
            sum += std::abs(pa.value(x, y) - pb.value(x, y));
            ++count;
        }
        return sum / (3 * count) < 8;
    };
    Edges edges;
    int misses = 0;
    for (int y = 0; y < limit; ++y) {
        if (matches(y)) {
            edges.top = y + 1;
            misses = 0;
        } else if (++misses > 24) {
            break;
        }
    }
    misses = 0;
    for (int k = 0; k < limit; ++k) {
        if (matches(h - 1 - k)) {
            edges.bottom = k + 1;
            misses = 0;
        } else if (++misses > 24) {
            break;
        }
    }
    return edges;
}

int WindowShot::contentShift(const QImage& a, const QImage& b, int fixedTop, int fixedBottom, int maxShift,
                             int expected)
{
    if (!sameSize(a, b))
        return 0;
    const int w = a.width();
    const int h = a.height();
    const Pixels pa(a);
    const Pixels pb(b);
    if (!pa.readable() || !pb.readable())
        return 0;
    // Negative bands would address rows above the frame.
    const int y0 = qMax(fixedTop, 0) + 12;
    const int yEnd = h - qMax(fixedBottom, 0) - 12;
    const int span = yEnd - y0;
    if (span < 41)
        return 0;
    const int step = w >= 60 ? w / 60 : 1;
    const int columns = (w + step - 1) / step;
    const int maxS = qMin(maxShift, span - 1);
    // Below 2 there is nothing to search: no reliable shift.
    if (maxS < 2)
        return 0;

    const int stride = paddedColumns(columns);
    // a is read at every row of the band, b only at every second one.
    const std::vector<qint16> rowsA = sampledRows(pa, y0, yEnd, 1, step, columns);
    const std::vector<qint16> rowsB = sampledRows(pb, y0, yEnd, 2, step, columns);
    constexpr int noRows = 999;
    auto score = [&](int s) {
        // Rows y = y0, y0 + 2, ... while y + s < yEnd.
        const int rows = yEnd - s > y0 ? (yEnd - s - y0 + 1) / 2 : 0;
        if (rows == 0)
            return noRows;
        const qint64 sum = bandDifference(rowsA.data() + size_t(s) * size_t(stride), rowsB.data(), rows, stride);
        return int(sum / (3 * qint64(rows) * columns));
    };

    struct Entry {
        int shift;
        int score;
    };
    QList<Entry> coarse;
    int best = INT_MAX;
    int bestShift = 0;
    if (maxS >= 4) {
        for (int s = 4; s <= maxS; s += 4) {
            const int sc = score(s);
            coarse.append({s, sc});
            if (sc < best) {
                best = sc;
                bestShift = s;
            }
        }
    }
    auto refine = [&](int centre, int& bestScore, int& bestAt) {
        for (int s = qMax(centre - 3, 2); s <= qMin(centre + 3, maxS); ++s) {
            const int sc = score(s);
            if (sc < bestScore) {
                bestScore = sc;
                bestAt = s;
            }
        }
    };
    refine(bestShift, best, bestShift);
    if (best > 21)
        return 0;

    const int margin = best + best / 4 + 2;
    const Entry* nearest = nullptr;
    for (const Entry& e : coarse) {
        if (e.score > margin)
            continue;
        if (!nearest || std::abs(e.shift - expected) < std::abs(nearest->shift - expected))
            nearest = &e;
    }
    if (!nearest || nearest->shift == bestShift)
        return bestShift;
    int candidateScore = nearest->score;
    int candidateShift = nearest->shift;
    refine(nearest->shift, candidateScore, candidateShift);
    return candidateShift;
}

int WindowShot::scrollbarWidth(const QImage& a, const QImage& b, int shift)
{
    if (shift < 9 || !sameSize(a, b))
        return 0;
    const int w = a.width();
    const int h = a.height();
    const Pixels pa(a);
    const Pixels pb(b);
    if (!pa.readable() || !pb.readable())
        return 0;
    const int yEnd = h - shift - 12;
    if (h - shift - 24 < 41)
        return 0;
    const int band = qMin(w / 6, 48);
    int edge = w;
    int misses = 0;
    for (int x = w - 1; x >= w - band; --x) {
        qint64 sum = 0;
        qint64 rows = 0;
        for (int y = 12; y < yEnd; y += 2) {
            sum += std::abs(pa.value(x, y + shift) - pb.value(x, y));
            ++rows;
        }
        if (sum / (3 * rows) > 16) {
            edge = x;
            misses = 0;
        } else if (++misses > 6) {
            break;
        }
    }
    const int width = w - edge;
    return width >= 3 && width <= 40 ? width : 0;
}

QImage stitchStrips(const QList<StitchStrip>& strips, int width, int totalHeight)
{
    auto tooLarge = [] { return Localizer::t(QStringLiteral("Zu großes Bild für den Bildspeicher.")); };
    if (width < 1 || totalHeight < 1 || qint64(width) * qint64(totalHeight) * 4 > maxStitchBytes)
        throw CaptureError(tooLarge());
    QImage result;
    try {
        result = QImage(width, totalHeight, QImage::Format_ARGB32_Premultiplied);
    } catch (const std::bad_alloc&) {
        throw CaptureError(tooLarge());
    }
    if (result.isNull())
        throw CaptureError(tooLarge());
    result.fill(Qt::transparent);

    int y = 0;
    for (const StitchStrip& strip : strips) {
        if (strip.height <= 0)
            continue;
        if (!strip.image.isNull() && y < totalHeight) {
            if (strip.image.height() == strip.height) {
                // The common case: an unscaled copy of the strip's rows.
                const QImage src = strip.image.format() == QImage::Format_ARGB32_Premultiplied
                    ? strip.image
                    : strip.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
                const int rows = qMin(strip.height, totalHeight - y);
                const size_t bytes = size_t(qMin(src.width(), width)) * 4;
                for (int r = 0; r < rows; ++r)
                    std::memcpy(result.scanLine(y + r), src.constScanLine(r), bytes);
            } else {
                // A strip whose image has another height is fitted to its rows.
                QPainter painter(&result);
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(QRect(0, y, strip.image.width(), strip.height), strip.image);
            }
        }
        y += strip.height;
    }
    return result;
}
