#include "Screenshot/FixedBoxes.h"

#include "Screenshot/MostCounted.h"

#include <QHash>
#include <QRect>
#include <QRgb>
#include <cmath>
#include <optional>
#include <vector>

namespace {

QRgb colourOf(const FrameRows& f, int y, int c)
{
    return reinterpret_cast<const QRgb*>(f.image().constScanLine(y))[f.cellLeft(c)] | 0xff000000;
}

// The seam from `from` to `to` holds at exactly `shift` with `mask` left out;
// with `orTooLittle`, also where too little is left in common to tell (no
// other shift fits, and nothing contradicts it).
bool holdsAt(const FrameRows& from, const FrameRows& to, int shift, const CellMask& mask, bool orTooLittle = false)
{
    FrameMatcher::Request request;
    request.expected = shift;
    request.ignore = &mask;
    const FrameMatcher::Match m = FrameMatcher::match(from, to, request);
    if (orTooLittle && !m.confirmed
        && (m.doubt == FrameMatcher::Doubt::noShift || m.doubt == FrameMatcher::Doubt::shortOverlap))
        return true;
    return m.moved && m.confirmed && m.shift == shift;
}

// Rows [from, to) of `dark` show what `clear` shows `by` rows further down,
// darkened as a shadow darkens: never lighter, each pixel's channels by one
// share, and that share in each place the same as where `dark2` shows what
// `clear2` does `by2` rows further down, over other content. What changed
// there instead fits no such share.
bool shadedAlike(const FrameRows& dark, const FrameRows& clear, int by, const FrameRows& dark2,
                 const FrameRows& clear2, int by2, int from, int to, const CellMask* ignore)
{
    const int h = dark.height();
    // The share a pixel is darkened by: -1 where too dark to tell, -2 where
    // no share fits.
    auto share = [](QRgb d, QRgb v) {
        const int dc[3] = {qRed(d), qGreen(d), qBlue(d)};
        const int vc[3] = {qRed(v), qGreen(v), qBlue(v)};
        int brightest = 0;
        for (int k = 0; k < 3; ++k) {
            if (dc[k] > vc[k] + 3)
                return -2.0;
            if (vc[k] > vc[brightest])
                brightest = k;
        }
        if (vc[brightest] < 64)
            return -1.0;
        const double f = double(dc[brightest]) / vc[brightest];
        for (int k = 0; k < 3; ++k)
            if (std::abs(dc[k] - f * vc[k]) > 3 + vc[k] * 0.03)
                return -2.0;
        return f;
    };
    for (int y = from; y < to; ++y) {
        const int vy = y + by, vy2 = y + by2;
        const bool one = vy >= 0 && vy < h, two = vy2 >= 0 && vy2 < h;
        const auto* d1 = reinterpret_cast<const QRgb*>(dark.image().constScanLine(y));
        const auto* d2 = reinterpret_cast<const QRgb*>(dark2.image().constScanLine(y));
        const auto* v1 = one ? reinterpret_cast<const QRgb*>(clear.image().constScanLine(vy)) : nullptr;
        const auto* v2 = two ? reinterpret_cast<const QRgb*>(clear2.image().constScanLine(vy2)) : nullptr;
        for (int c = 0; c < dark.cells(); ++c) {
            if (ignore && (ignore->contains(y, c) || (one && ignore->contains(vy, c)) || (two && ignore->contains(vy2, c))))
                continue;
            for (int x = dark.cellLeft(c); x < dark.cellRight(c); ++x) {
                const double f1 = one ? share(d1[x], v1[x]) : -1.0;
                const double f2 = two ? share(d2[x], v2[x]) : -1.0;
                if (f1 < -1.5 || f2 < -1.5 || (f1 >= 0 && f2 >= 0 && std::abs(f1 - f2) > 0.05))
                    return false;
            }
        }
    }
    return true;
}

} // namespace

CellMask FixedBoxes::confirmed(const FrameRows& a, const FrameRows& b, const FrameRows& c, int first, int second,
                               const FrameMatcher::Bands& bands, const CellMask* ignore)
{
    const int h = b.height();
    const int n = b.cells();
    if (a.isNull() || b.isNull() || c.isNull() || a.height() != h || c.height() != h || a.cells() != n
        || c.cells() != n || first <= 3 || second <= 3)
        return {};
    const int top = bands.top;
    const int end = h - bands.bottom;
    const int body = end - top;
    if (body < 4 * FrameMatcher::minOverlapRows || first + FrameMatcher::minOverlapRows > body
        || second + FrameMatcher::minOverlapRows > body)
        return {};
    auto at = [n, top](int y, int x) { return size_t(y - top) * size_t(n) + size_t(x); };
    auto skipped = [&](int y, int x) { return ignore && ignore->contains(y, x); };

    // Per cell of b: the same in all three views, or content that moved
    // (seen `first` rows lower in a, or `second` rows higher in c).
    std::vector<char> still(size_t(body) * size_t(n), 0), follows(size_t(body) * size_t(n), 0);
    for (int y = top; y < end; ++y)
        for (int x = 0; x < n; ++x) {
            still[at(y, x)] = a.cellAlike(y, x, b, y) && b.cellAlike(y, x, c, y) && a.cellAlike(y, x, c, y);
            follows[at(y, x)] = (y + first < end && a.cellAlike(y + first, x, b, y))
                || (y - second >= top && c.cellAlike(y - second, x, b, y));
        }
    auto isStill = [&](int y, int x) { return still[at(y, x)] != 0; };
    auto misfit = [&](int y, int x) { return !skipped(y, x) && !still[at(y, x)] && !follows[at(y, x)]; };

    // Seeds: something drawn that stands still in all three views and is
    // no content that moved; blocks of them a few rows or two cells apart.
    std::vector<char> seed(size_t(body) * size_t(n), 0);
    for (int y = top; y < end; ++y)
        for (int x = 0; x < n; ++x)
            seed[at(y, x)] = !skipped(y, x) && still[at(y, x)] && !follows[at(y, x)] && !b.uniform(y, x);
    constexpr int rowGap = 3;
    constexpr int cellGap = 2;
    constexpr int minCells = 8;
    QList<QRect> boxes;
    std::vector<std::pair<int, int>> queue;
    for (int y0 = top; y0 < end; ++y0)
        for (int x0 = 0; x0 < n; ++x0) {
            if (seed[at(y0, x0)] != 1)
                continue;
            seed[at(y0, x0)] = 2;
            queue.assign(1, {y0, x0});
            QRect box(x0, y0, 1, 1);
            for (size_t k = 0; k < queue.size(); ++k) {
                const auto [y, x] = queue[k];
                box |= QRect(x, y, 1, 1);
                for (int dy = -rowGap; dy <= rowGap; ++dy)
                    for (int dx = -cellGap; dx <= cellGap; ++dx) {
                        const int yy = y + dy, xx = x + dx;
                        if (yy >= top && yy < end && xx >= 0 && xx < n && seed[at(yy, xx)] == 1) {
                            seed[at(yy, xx)] = 2;
                            queue.push_back({yy, xx});
                        }
                    }
            }
            if (int(queue.size()) >= minCells)
                boxes.append(box);
        }

    // The shadow of something fixed just outside the content (a bar kept
    // out of the view above it, a box below it): its first or last rows
    // darkened in every view, over whatever moves under them. Other views
    // show that content clear, and it is darkened by the same share in
    // each place over two views. (Cells of row y of `shaded` that differ
    // from what `clear` shows of the same content `by` rows further down.)
    auto differing = [&](const FrameRows& shaded, const FrameRows& clear, int y, int by, int x) {
        const int cy = y + by;
        return cy >= top && cy < end && !skipped(y, x) && !skipped(cy, x) && !shaded.cellAlike(y, x, clear, cy);
    };
    auto misfitsIn = [&](int y, bool upper) {
        int count = 0;
        for (int x = 0; x < n; ++x)
            count += upper ? differing(b, a, y, first, x) || differing(c, b, y, second, x)
                           : differing(b, c, y, -second, x) || differing(a, b, y, -first, x);
        return count;
    };
    // Rows from the edge row `from` inwards (`direction`) that hold such cells.
    auto edgeRows = [&](int from, int direction) {
        const bool upper = direction > 0;
        if (misfitsIn(from, upper) < 2 && misfitsIn(from + direction, upper) < 2)
            return 0;
        int rows = 0;
        for (int k = 0, gap = 0; k < shadowRows && from + k * direction >= top && from + k * direction < end && gap <= 2;
             ++k) {
            if (misfitsIn(from + k * direction, upper) > 0) {
                rows = k + 1;
                gap = 0;
            } else {
                ++gap;
            }
        }
        return rows;
    };
    int topRows = edgeRows(top, 1);
    if (topRows && !shadedAlike(b, a, first, c, b, second, top, top + topRows, ignore))
        topRows = 0;
    int bottomRows = edgeRows(end - 1, -1);
    if (bottomRows && !shadedAlike(b, c, -second, a, b, -first, end - bottomRows, end, ignore))
        bottomRows = 0;
    if (boxes.isEmpty() && !topRows && !bottomRows)
        return {};

    CellMask out(h, n);
    // (And two rows more, where the shadow fades into the page.)
    for (int y = top; topRows > 0 && y < qMin(end, top + topRows + 2); ++y)
        for (int x = 0; x < n; ++x)
            out.insert(y, x);
    for (int y = qMax(top, end - bottomRows - 2); bottomRows > 0 && y < end; ++y)
        for (int x = 0; x < n; ++x)
            out.insert(y, x);
    for (QRect box : boxes) {
        // The fill: the colour most plain cells standing still in and next
        // to the block show.
        QHash<QRgb, int> colours;
        for (int y = qMax(top, box.top() - 2); y <= qMin(end - 1, box.bottom() + 2); ++y)
            for (int x = qMax(0, box.left() - 1); x <= qMin(n - 1, box.right() + 1); ++x)
                if (b.uniform(y, x) && isStill(y, x))
                    ++colours[colourOf(b, y, x)];
        std::optional<QRgb> fill;
        if (const auto [colour, most] = mostCounted(colours); most > 0)
            fill = colour;
        if (fill) {
            // The fill: everything standing still in all three views that
            // joins the block through cells of the fill colour or drawn on
            // it. Where the page around shows that colour as well and stands
            // still, it runs on over the page: then box and page cannot be
            // told apart, and the box is not confirmed.
            auto inFill = [&](int y, int x) {
                return !skipped(y, x) && isStill(y, x) && (!b.uniform(y, x) || colourOf(b, y, x) == *fill);
            };
            std::vector<char> seen(size_t(body) * size_t(n), 0);
            std::vector<std::pair<int, int>> flood;
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    if (inFill(y, x)) {
                        seen[at(y, x)] = 1;
                        flood.push_back({y, x});
                    }
            for (size_t k = 0; k < flood.size() && box.height() * 2 <= body; ++k) {
                const auto [y, x] = flood[k];
                box |= QRect(x, y, 1, 1);
                for (const auto& [dy, dx] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
                    const int yy = y + dy, xx = x + dx;
                    if (yy >= top && yy < end && xx >= 0 && xx < n && !seen[at(yy, xx)] && inFill(yy, xx)) {
                        seen[at(yy, xx)] = 1;
                        flood.push_back({yy, xx});
                    }
                }
            }
        }
        // (Taller than half the view: a column standing beside the content
        // or a block of the page, no box; the seams below still have to
        // hold with it in them.)
        if (box.height() * 2 > body)
            continue;
        // Its edge and shadow: cells around it, within a shadow's reach,
        // that fit neither the steps nor standing still.
        const int reachCells = shadowRows / FrameRows::cellWidth + 1;
        const QRect around = QRect(box.left() - reachCells, box.top() - shadowRows, box.width() + 2 * reachCells,
                                   box.height() + 2 * shadowRows)
                                 .intersected(QRect(0, top, n, body));
        QRect whole = box;
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                if (misfit(y, x))
                    whole |= QRect(x, y, 1, 1);
        whole.adjust(-1, -2, 1, 2);
        for (int y = whole.top(); y <= whole.bottom(); ++y)
            for (int x = whole.left(); x <= whole.right(); ++x)
                out.insert(y, x);
    }
    // Most of the view standing still is no box over the content.
    if (out.isEmpty() || qint64(out.count()) * 3 > qint64(body) * n * 2)
        return {};

    CellMask left = out;
    if (ignore && ignore->rows() == h && ignore->cells() == n)
        left.unite(*ignore);
    // (Two long steps may leave a and c no rows in common: then what stood
    // still in all three, over content that moved by both, has to do.)
    const bool farApart = first + second + FrameMatcher::minOverlapRows > body;
    // (Where the boxes leave a and c too little in common to tell, the two
    // seams through b have to do as well.)
    if (!holdsAt(a, b, first, left) || !holdsAt(b, c, second, left)
        || (!farApart && !holdsAt(a, c, first + second, left, true)))
        return {};
    return out;
}
