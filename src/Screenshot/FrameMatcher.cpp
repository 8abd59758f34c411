#include "Screenshot/FrameMatcher.h"

#include "Screenshot/WindowShot.h"

#include <QHash>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

bool comparable(const FrameRows& a, const FrameRows& b)
{
    return !a.isNull() && !b.isNull() && a.width() == b.width() && a.height() == b.height();
}

// Rows of the overlap at `shift` and how many of them match.
struct Overlap {
    int rows = 0;
    int matched = 0;
    bool holds() const { return rows >= FrameMatcher::minOverlapRows && qint64(matched) * 100 >= qint64(rows) * 97; }
};

Overlap overlapAt(const FrameRows& a, const FrameRows& b, const FrameMatcher::Bands& bands, int shift)
{
    Overlap o;
    const int h = a.height();
    o.rows = qMax(0, h - bands.bottom - shift - bands.top);
    for (int y = bands.top; y < bands.top + o.rows; ++y)
        if (a.bodyAlike(y + shift, b, y))
            ++o.matched;
    return o;
}

// Sum of the colour differences over `rows` rows of the overlap at `shift`
// (fewer where the frame ends first).
qint64 differenceAt(const FrameRows& a, const FrameRows& b, const FrameMatcher::Bands& bands, int shift, int rows)
{
    const int h = a.height();
    const int n = a.bodyWidth();
    qint64 sum = 0;
    for (int y = bands.top; y < bands.top + rows && y + shift < h; ++y) {
        const uchar* pa = a.image().constScanLine(y + shift);
        const uchar* pb = b.image().constScanLine(y);
        for (int x = 0; x < n; ++x, pa += 4, pb += 4)
            sum += std::abs(pa[0] - pb[0]) + std::abs(pa[1] - pb[1]) + std::abs(pa[2] - pb[2]);
    }
    return sum;
}

bool closeTo(int shift, int expected)
{
    return std::abs(shift - expected) <= qMax(3, expected / 50);
}

} // namespace

bool FrameMatcher::sameContent(const FrameRows& a, const FrameRows& b)
{
    if (!comparable(a, b))
        return false;
    const int h = a.height();
    // A caret or a small animation may change; moved content changes far
    // more. The right edge does not count: an overlay scrollbar fades in and
    // out there whether or not the content moves.
    const qint64 allowed = qMax<qint64>(16, qint64(a.bodyWidth()) * h / 5000);
    qint64 differ = 0;
    for (int y = 0; y < h; ++y) {
        if (a.body(y) == b.body(y))
            continue;
        differ += a.differingBodyPixels(y, b, y);
        if (differ > allowed)
            return false;
    }
    return true;
}

bool FrameMatcher::blank(const FrameRows& frame, const Bands& bands)
{
    const int end = frame.height() - bands.bottom;
    if (frame.isNull() || bands.top >= end)
        return false;
    const QImage& image = frame.image();
    const QRgb colour = image.pixel(0, bands.top) | 0xff000000;
    for (int y = bands.top; y < end; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < frame.bodyWidth(); ++x)
            if ((line[x] | 0xff000000) != colour)
                return false;
    }
    return true;
}

int FrameMatcher::scrollbarWidth(const FrameRows& a, const FrameRows& b, int shift, const Bands& bands)
{
    if (!comparable(a, b) || shift < 1)
        return 0;
    const int w = a.width();
    const int rows = a.height() - bands.bottom - shift - bands.top;
    if (rows < minOverlapRows)
        return 0;
    // Columns from the right: one where rows do not match at the shift
    // belongs to the bar; up to ten that do (a window border, the bar's
    // margin beside its thumb) are bridged, content ends it.
    int edge = w;
    int misses = 0;
    for (int x = w - 1; x >= w - FrameRows::edgeWidth(w); --x) {
        int differ = 0;
        for (int y = bands.top; y < bands.top + rows; ++y) {
            const uchar* pa = a.image().constScanLine(y + shift) + qsizetype(x) * 4;
            const uchar* pb = b.image().constScanLine(y) + qsizetype(x) * 4;
            if (std::abs(pa[0] - pb[0]) + std::abs(pa[1] - pb[1]) + std::abs(pa[2] - pb[2]) > 48)
                ++differ;
        }
        if (differ >= 3) {
            edge = x;
            misses = 0;
        } else if (++misses > 10) {
            break;
        }
    }
    const int width = w - edge;
    return width >= 3 && width <= 40 ? width : 0;
}

FrameMatcher::Bands FrameMatcher::bands(const FrameRows& a, const FrameRows& b, int shift)
{
    Bands result;
    if (!comparable(a, b))
        return result;
    const int h = a.height();
    const int limit = h / 3;
    // A band row is equal in both frames and does not fit the movement. A
    // row that fits both (blank, say) belongs to the band only when band
    // rows follow it; a row that moved with the content, or one that cannot
    // be told apart from new content, ends the band; a few rows that changed
    // otherwise (a blinking element, a page number) are bridged.
    int misses = 0;
    for (int y = 0; y < limit; ++y) {
        const bool same = a.bodyAlike(y, b, y);
        const bool known = y + shift < h;
        const bool moved = known && shift > 0 && a.bodyAlike(y + shift, b, y);
        if (same && !moved) {
            result.top = y + 1;
            misses = 0;
        } else if (!same && (moved || !known || ++misses > 24)) {
            break;
        }
    }
    misses = 0;
    for (int k = 0; k < limit; ++k) {
        const int y = h - 1 - k;
        const bool same = a.bodyAlike(y, b, y);
        const bool known = y - shift >= 0;
        const bool moved = known && shift > 0 && b.bodyAlike(y - shift, a, y);
        if (same && !moved) {
            result.bottom = k + 1;
            misses = 0;
        } else if (!same && (moved || !known || ++misses > 24)) {
            break;
        }
    }
    return result;
}

FrameMatcher::Match FrameMatcher::match(const FrameRows& a, const FrameRows& b, const Request& request)
{
    Match m;
    if (!comparable(a, b))
        return m;
    m.moved = !sameContent(a, b);
    if (!m.moved)
        return m;
    const int h = a.height();

    // Evidence per shift: every row of b that changed and shows a row of a
    // further down votes for that distance, with the weight 1 / (how often
    // that row occurs in a): a line of text decides, a blank row hardly counts.
    QHash<quint64, QList<int>> rowsOfA;
    for (int y = 0; y < h; ++y)
        rowsOfA[a.body(y)].append(y);
    std::vector<double> weight(size_t(h), 0.0);
    for (int y = 0; y < h; ++y) {
        if (a.body(y) == b.body(y))
            continue;
        const auto it = rowsOfA.constFind(b.body(y));
        if (it == rowsOfA.cend() || it->size() > 256)
            continue;
        const double w = 1.0 / double(it->size());
        for (int x : *it)
            if (x > y)
                weight[size_t(x - y)] += w;
    }
    // The strongest candidates, a few rows apart at least; each is checked
    // densely over the rows both frames share.
    std::vector<int> candidates;
    {
        std::vector<int> order;
        for (int s = 1; s < h; ++s)
            if (weight[size_t(s)] > 0)
                order.push_back(s);
        std::stable_sort(order.begin(), order.end(),
                         [&](int x, int y) { return weight[size_t(x)] > weight[size_t(y)]; });
        for (int s : order) {
            if (candidates.size() >= 8 || weight[size_t(s)] < 1.0)
                break;
            if (std::none_of(candidates.begin(), candidates.end(), [s](int c) { return std::abs(c - s) <= 2; }))
                candidates.push_back(s);
        }
    }
    struct Holding {
        int shift;
        Bands bands;
        Overlap overlap;
    };
    std::vector<Holding> holding;
    Holding strongest{0, {}, {}};
    for (int s : candidates) {
        const Bands bs = bands(a, b, s);
        const Overlap o = overlapAt(a, b, bs, s);
        if (s == candidates.front())
            strongest = {s, bs, o};
        // Two rows' worth of evidence at least: one text row is no proof.
        if (o.holds() && weight[size_t(s)] >= 2.0)
            holding.push_back({s, bs, o});
    }
    if (!candidates.empty()) {
        if (holding.empty()) {
            m.shift = strongest.shift;
            m.bands = strongest.bands;
            m.overlapRows = strongest.overlap.rows;
            m.matchedRows = strongest.overlap.matched;
            if (weight[size_t(strongest.shift)] >= 2.0)
                return m; // real evidence, but no shift holds: not confirmed
        } else {
            // Several shifts that all hold: repeated content. Only a step
            // size measured before may settle it.
            const Holding* chosen = &holding.front();
            if (holding.size() > 1 && request.expected > 0)
                for (const Holding& h2 : holding)
                    if (std::abs(h2.shift - request.expected) < std::abs(chosen->shift - request.expected))
                        chosen = &h2;
            m.ambiguous = holding.size() > 1 && !(request.trustExpected && closeTo(chosen->shift, request.expected));
            m.shift = chosen->shift;
            m.bands = chosen->bands;
            m.overlapRows = chosen->overlap.rows;
            m.matchedRows = chosen->overlap.matched;
            m.confirmed = !m.ambiguous;
            return m;
        }
    }

    // Nothing reappears elsewhere, but nearly everything is where it was:
    // the content changed in place (an animation) instead of moving.
    const Overlap inPlace = overlapAt(a, b, Bands{}, 0);
    if (inPlace.holds()) {
        m.bands = bands(a, b, 0);
        m.overlapRows = inPlace.rows;
        m.matchedRows = inPlace.matched;
        m.confirmed = true;
        return m;
    }

    // No row reappears exactly (content redrawn with noise, or nothing but
    // blank rows in common): the sparse search proposes, the dense check
    // decides, and a shift must fit clearly better than its neighbours.
    const WindowShot::Edges guess = WindowShot::fixedEdges(a.image(), b.image());
    const int expected = request.expected > 0 ? request.expected : h / 2;
    const int proposed = WindowShot::contentShift(a.image(), b.image(), guess.top, guess.bottom, h * 98 / 100, expected);
    if (proposed <= 0)
        return m;
    m.shift = proposed;
    m.bands = bands(a, b, proposed);
    const Overlap o = overlapAt(a, b, m.bands, proposed);
    m.overlapRows = o.rows;
    m.matchedRows = o.matched;
    if (!o.holds())
        return m;
    const qint64 here = differenceAt(a, b, m.bands, proposed, o.rows);
    for (int neighbour : {proposed - 1, proposed + 1}) {
        if (differenceAt(a, b, m.bands, neighbour, o.rows) <= 2 * here) {
            m.ambiguous = true;
            return m;
        }
    }
    m.confirmed = true;
    return m;
}
