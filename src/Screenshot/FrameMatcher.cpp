#include "Screenshot/FrameMatcher.h"

#include "Screenshot/MostCounted.h"
#include "Screenshot/WindowShot.h"

#include <QHash>
#include <optional>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

bool comparable(const FrameRows& a, const FrameRows& b)
{
    return !a.isNull() && !b.isNull() && a.width() == b.width() && a.height() == b.height();
}

// The cells a comparison looks at, with the cells that change by themselves
// left out.
struct View {
    const FrameRows& a;
    const FrameRows& b;
    std::vector<int> cells;
    const CellMask* ignore = nullptr;

    bool skip(int y, int c) const { return ignore && ignore->contains(y, c); }
    // Row ya of a and row yb of b show the same over the view's cells.
    bool alike(int ya, int yb) const
    {
        for (int c : cells)
            if (!skip(ya, c) && !skip(yb, c) && !a.cellAlike(ya, c, b, yb))
                return false;
        return true;
    }
};

std::vector<int> allCells(const FrameRows& f)
{
    std::vector<int> cells(size_t(f.cells()));
    for (int c = 0; c < f.cells(); ++c)
        cells[size_t(c)] = c;
    return cells;
}

// Rows of the overlap at `shift` and how many of them match.
struct Overlap {
    int rows = 0;
    int matched = 0;
    bool holds() const { return rows >= FrameMatcher::minOverlapRows && qint64(matched) * 100 >= qint64(rows) * 97; }
};

Overlap overlapAt(const View& v, const FrameMatcher::Bands& bands, int shift)
{
    Overlap o;
    const int h = v.a.height();
    o.rows = qMax(0, h - bands.bottom - shift - bands.top);
    for (int y = bands.top; y < bands.top + o.rows; ++y)
        if (v.alike(y + shift, y))
            ++o.matched;
    return o;
}

// The unchanging rows at the top and bottom for a given shift: rows equal in
// both frames, up to a third of the height each. A band row is equal in both
// frames and does not fit the movement. A row that fits both (blank, say)
// belongs to the band only when band rows follow it; a row that moved with
// the content, or one that cannot be told apart from new content, ends the
// band; a few rows that changed otherwise (a blinking element, a page
// number) are bridged.
FrameMatcher::Bands bandsAt(const View& v, int shift)
{
    FrameMatcher::Bands result;
    const int h = v.a.height();
    const int limit = h / 3;
    int misses = 0;
    for (int y = 0; y < limit; ++y) {
        const bool same = v.alike(y, y);
        const bool known = y + shift < h;
        const bool moved = known && shift > 0 && v.alike(y + shift, y);
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
        const bool same = v.alike(y, y);
        const bool known = y - shift >= 0;
        const bool moved = known && shift > 0 && v.alike(y, y - shift);
        if (same && !moved) {
            result.bottom = k + 1;
            misses = 0;
        } else if (!same && (moved || !known || ++misses > 24)) {
            break;
        }
    }
    return result;
}

// How the columns of the overlap at `shift` behave: each cell column moves
// with the content, stands still (a sticky sidebar), fits both (blank) or
// neither (changed in place, a hovered link). The seam holds when enough
// cells that can only fit the movement do, and hardly any column fits
// neither.
struct ColumnKinds {
    Overlap overlap;
    int evidence = 0;   // cells that fit the movement and not standing still
    int moving = 0;     // cell columns that move only
    int changing = 0;   // cell columns that fit neither
    int mismatched = 0; // cells of columns not standing still that fit neither the movement nor standing still
    int maskedRows = 0; // shared rows with a badge in them
    FrameMatcher::Columns fixed;
    CellMask badges;
    CellMask unsettled;
    // A hovered link or a blinking caret may differ; a wrong shift leaves
    // whole blocks unmatched. Badges may not take nearly all the rows.
    FrameMatcher::Doubt doubt() const
    {
        if (overlap.rows < FrameMatcher::minOverlapRows)
            return FrameMatcher::Doubt::shortOverlap;
        if (maskedRows * 10 > overlap.rows * 9)
            return FrameMatcher::Doubt::contradicted;
        if (moving == 0 || evidence < 32)
            return FrameMatcher::Doubt::littleContent;
        if (mismatched > qMax(12, evidence / 200))
            return FrameMatcher::Doubt::contradicted;
        return FrameMatcher::Doubt::none;
    }
    bool holds() const { return doubt() == FrameMatcher::Doubt::none; }
};

QRgb pixelAt(const QImage& image, int x, int y)
{
    return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x] | 0xff000000u;
}

// The colour the page shows most, over a sparse grid left of the edge that
// may hold a scrollbar.
QRgb pageColour(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); y += 8)
        for (int x = 0; x < image.width() - FrameRows::edgeWidth(image.width()); x += 8)
            ++counts[pixelAt(image, x, y)];
    return mostCounted(counts).first;
}

bool pixelAlike(const uchar* p, const uchar* q)
{
    return std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) <= 48;
}

// What a cell of the rows two frames share at a shift does: moves with the
// content, stays where it was, both (blank) or neither; left out when it
// changes by itself.
enum Fit : signed char { leftOut = -1, neither = 0, moves = 1, stays = 2, both = 3 };

// Badges: compact blocks standing still over the moving content (a fixed
// clock, a badge, a floating button). Cells that show something and only
// stand still, a few rows or two cells apart, make a block; it counts when
// it is shorter than three quarters of the rows and its columns are no
// `sticky` column's (those stand still down the view). It reaches sideways
// over what stands still in its rows (its plain background, digits that
// change by themselves) and up and down by its padding. Whatever changes
// inside a badge or at its edge is no contradiction of a shift, and a badge
// makes no column stand still. `fit` holds `rows` rows of cells from frame
// row `top` (the body), the first `shared` of them in common with the
// frame before; the badges are in frame rows.
CellMask badgesAt(const std::vector<signed char>& fit, const FrameRows& b, int top, int rows, int shared, int shift,
                  const std::vector<bool>& sticky)
{
    constexpr int newRowsBadge = 48;
    const int n = b.cells();
    CellMask out(b.height(), n);
    auto at = [n](int i, int c) { return size_t(i) * size_t(n) + size_t(c); };
    std::vector<char> still(fit.size(), 0);
    std::vector<int> first(size_t(n), rows);
    std::vector<int> last(size_t(n), -1);
    for (int i = 0; i < rows; ++i)
        for (int c = 0; c < n; ++c)
            if (fit[at(i, c)] == stays && !b.uniform(top + i, c)) {
                still[at(i, c)] = 1;
                first[size_t(c)] = qMin(first[size_t(c)], i);
                last[size_t(c)] = qMax(last[size_t(c)], i);
            }
    // A sticky column stands still from top to bottom: no badge.
    for (int c = 0; c < n; ++c)
        if (sticky[size_t(c)])
            for (int i = first[size_t(c)]; i <= last[size_t(c)]; ++i)
                still[at(i, c)] = 0;
    constexpr int rowGap = 3;
    constexpr int cellGap = 2;
    // A block below the rows in common, `shift` rows above: a fixed box
    // covered there in the first frame what the second frame shows moved up
    // (fits neither); a block that only stands where a like line stood is
    // under something standing still there (or left out).
    auto coveredMovedUp = [&](const std::vector<std::pair<int, int>>& cells, const QRect& box) {
        if (cells.size() < 16)
            return false; // a few cells equal in place by chance
        // The lower part of something standing still higher up (the lines
        // of a taller box) is no box of its own.
        for (int i = qMax(0, box.top() - 12); i < box.top(); ++i)
            for (int c = box.left(); c <= box.right(); ++c)
                if (fit[at(i, c)] == stays && !b.uniform(top + i, c))
                    return false;
        int misfits = 0;
        for (const auto& [i, c] : cells) {
            const int g = i - shift;
            if (g < 0 || g >= shared)
                return false;
            const signed char f = fit[at(g, c)];
            if (f == leftOut || (f == stays && !b.uniform(top + g, c)))
                return false;
            misfits += f == neither;
        }
        return misfits * 4 >= int(cells.size());
    };
    auto stands = [&](int i, int c) { return fit[at(i, c)] == leftOut || (fit[at(i, c)] & stays); };
    std::vector<std::pair<int, int>> queue;
    for (int i0 = 0; i0 < rows; ++i0) {
        for (int c0 = 0; c0 < n; ++c0) {
            if (still[at(i0, c0)] != 1)
                continue;
            QRect box(c0, i0, 1, 1);
            queue.assign(1, {i0, c0});
            still[at(i0, c0)] = 2;
            for (size_t k = 0; k < queue.size(); ++k) {
                const auto [i, c] = queue[k];
                box |= QRect(c, i, 1, 1);
                for (int di = -rowGap; di <= rowGap; ++di)
                    for (int dc = -cellGap; dc <= cellGap; ++dc) {
                        const int ii = i + di;
                        const int cc = c + dc;
                        if (ii >= 0 && ii < rows && cc >= 0 && cc < n && still[at(ii, cc)] == 1) {
                            still[at(ii, cc)] = 2;
                            queue.push_back({ii, cc});
                        }
                    }
            }
            // Below the rows in common only standing still is seen, and a
            // line of text may stand where a like one stood: a block there
            // counts when it is taller than a few lines, or when the rows in
            // common show what it covered moving up without it (its cells
            // there fit neither, none stands still).
            if (box.height() >= rows * 3 / 4
                || (box.top() >= shared && box.height() < newRowsBadge && !coveredMovedUp(queue, box)))
                continue;
            auto columnStands = [&](int c) {
                for (int i = box.top(); i <= box.bottom(); ++i)
                    if (!stands(i, c))
                        return false;
                return true;
            };
            // Nothing in it follows the content: a digit that changed now
            // and then (too seldom to be learned as changing by itself).
            auto columnApart = [&](int c) {
                for (int i = box.top(); i <= box.bottom(); ++i)
                    if (fit[at(i, c)] != leftOut && (fit[at(i, c)] & moves))
                        return false;
                return true;
            };
            // Over what stands, and over at most two such cells more.
            for (int side : {-1, 1}) {
                int apart = 2;
                for (;;) {
                    const int c = side < 0 ? box.left() - 1 : box.right() + 1;
                    if (c < 0 || c >= n)
                        break;
                    if (!columnStands(c) && !(apart > 0 && columnApart(c) && apart--))
                        break;
                    if (side < 0)
                        box.setLeft(c);
                    else
                        box.setRight(c);
                }
            }
            for (int y = top + box.top() - 8; y <= top + box.bottom() + 8; ++y)
                for (int c = box.left() - 1; c <= box.right() + 1; ++c)
                    out.insert(y, c);
        }
    }
    return out;
}

// Cell columns that stand still with something in them down most of the
// body (a sticky side column), seen in place over all its rows, not only
// those a step leaves in common: over the few rows a long step shares, a box
// fixed at the side stands still from top to bottom as well, yet it is a
// fixed element over the content, whose rows a later view shows uncovered.
// `fit` holds `rows` rows of cells from frame row `top` (the body). With
// `loosely`, cells that fit the movement as well count, as long as those
// that only stand still reach over an eighth of the body (a column some of
// whose lines repeat at the step is no badge either; a badge over content
// that repeats is one).
std::vector<bool> stickyColumns(const std::vector<signed char>& fit, const FrameRows& b, int top, int rows,
                                bool loosely)
{
    const int n = b.cells();
    std::vector<int> first(size_t(n), rows), last(size_t(n), -1);
    std::vector<int> firstStill(size_t(n), rows), lastStill(size_t(n), -1);
    for (int i = 0; i < rows; ++i)
        for (int c = 0; c < n; ++c) {
            const signed char f = fit[size_t(i) * size_t(n) + size_t(c)];
            if ((f == stays || f == both) && !b.uniform(top + i, c)) {
                first[size_t(c)] = qMin(first[size_t(c)], i);
                last[size_t(c)] = i;
                if (f == stays) {
                    firstStill[size_t(c)] = qMin(firstStill[size_t(c)], i);
                    lastStill[size_t(c)] = i;
                }
            }
        }
    std::vector<bool> out(size_t(n), false);
    for (int c = 0; c < n; ++c) {
        const int still = lastStill[size_t(c)] - firstStill[size_t(c)];
        out[size_t(c)] = loosely ? last[size_t(c)] - first[size_t(c)] >= rows * 3 / 4 && still >= rows / 8
                                 : still >= rows * 3 / 4;
    }
    return out;
}

ColumnKinds columnsAt(const FrameRows& a, const FrameRows& b, const FrameMatcher::Bands& bands, int shift,
                  const CellMask* ignore)
{
    ColumnKinds out;
    const int h = a.height();
    const int n = a.cells();
    const int rows = qMax(0, h - bands.bottom - shift - bands.top);
    out.overlap.rows = rows;
    if (rows < FrameMatcher::minOverlapRows)
        return out;
    auto at = [n](int i, int c) { return size_t(i) * size_t(n) + size_t(c); };
    // The rows in common, and below them the rows the step brought: those
    // only stand still or not (a box fixed lower down than a long step
    // leaves rows in common is found there), unless what the first frame
    // showed there moved up with the content (repeated content, equal in
    // place by chance).
    const int body = h - bands.top - bands.bottom;
    std::vector<signed char> fit(size_t(body) * size_t(n));
    for (int i = 0; i < body; ++i) {
        const int y = bands.top + i;
        for (int c = 0; c < n; ++c) {
            if (ignore && ((i < rows && ignore->contains(y + shift, c)) || ignore->contains(y, c))) {
                fit[at(i, c)] = leftOut;
                continue;
            }
            const bool moved = i < rows ? a.cellAlike(y + shift, c, b, y)
                                        : y - shift >= bands.top && a.cellAlike(y, c, b, y - shift);
            fit[at(i, c)] = Fit((moved ? moves : neither) | (a.cellAlike(y, c, b, y) ? stays : neither));
        }
    }
    // Left out from here on: what changes by itself, and the badges, in
    // both frames (a badge seen lower down in the first frame as well).
    const std::vector<bool> sticky = stickyColumns(fit, b, bands.top, body, false);
    out.badges = badgesAt(fit, b, bands.top, body, rows, shift, stickyColumns(fit, b, bands.top, body, true));
    CellMask skipped = out.badges;
    if (ignore)
        skipped.unite(*ignore);
    auto skip = [&](int i, int c) {
        const int y = bands.top + i;
        return fit[at(i, c)] == leftOut || skipped.contains(y, c) || skipped.contains(y + shift, c);
    };
    for (int i = 0; i < rows; ++i)
        for (int c = 0; c < n; ++c)
            if (out.badges.contains(bands.top + i, c)) {
                ++out.maskedRows;
                break;
            }
    out.unsettled = CellMask(h, n);
    for (int i = 0; i < rows; ++i)
        for (int c = 0; c < n; ++c)
            if (fit[at(i, c)] == neither)
                out.unsettled.insert(bands.top + i, c);
    enum Kind { movesWith, standsStill, blank, changing };
    std::vector<Kind> kind(size_t(n), changing);
    std::vector<bool> fixedColumn(size_t(n), false);
    std::vector<int> movingCells;
    // Where labels in plain columns prove the shift, what the other plain
    // columns show must not stand against it either.
    bool sparse = false;
    int blankMisfits = 0;
    for (int c = 0; c < n; ++c) {
        int counted = 0, moved = 0, stayed = 0, evidence = 0, misfits = 0, stayOnly = 0;
        for (int i = 0; i < rows; ++i) {
            if (skip(i, c))
                continue;
            const signed char f = fit[at(i, c)];
            ++counted;
            moved += (f & moves) != 0;
            stayed += (f & stays) != 0;
            evidence += f == moves;
            misfits += f == neither;
            stayOnly += f == stays;
        }
        const bool movesAlong = qint64(moved) * 100 >= qint64(counted) * 97;
        // Standing still allows more: a table of contents marks the section
        // in view. But a column of a long plain stretch with a few labels
        // in it that all followed the content moved: standing still
        // explains none of them.
        const bool mostlyStill = qint64(stayed) * 100 >= qint64(counted) * 90;
        const bool labelsMoved = movesAlong && mostlyStill && evidence > 2 * (stayOnly + misfits);
        const bool still = mostlyStill && !labelsMoved;
        sparse = sparse || labelsMoved;
        if (movesAlong && still) {
            kind[size_t(c)] = blank;
            blankMisfits += misfits;
        } else if (movesAlong) {
            kind[size_t(c)] = movesWith;
            ++out.moving;
            out.evidence += evidence;
            movingCells.push_back(c);
        } else if (still) {
            kind[size_t(c)] = standsStill;
            // A sticky column shows what stands still down the view.
            fixedColumn[size_t(c)] = sticky[size_t(c)];
        } else {
            ++out.changing;
        }
        // A cell that stands still is no contradiction; one that fits
        // neither is.
        if (!still)
            out.mismatched += misfits;
    }
    if (sparse)
        out.mismatched += blankMisfits;
    // (Rows with no moving cell prove nothing.)
    const View moving{a, b, movingCells, &skipped};
    for (int y = bands.top; y < bands.top + rows && !movingCells.empty(); ++y)
        if (moving.alike(y + shift, y))
            ++out.overlap.matched;

    // Fixed columns: cells of a sticky column, to the pixel where they
    // border moving ones (a column of a bordering cell that follows the
    // content belongs to the content).
    auto pixelColumnMoves = [&](int x) {
        int alike = 0;
        for (int y = bands.top; y < bands.top + rows; ++y)
            alike += pixelAlike(a.image().constScanLine(y + shift) + qsizetype(x) * 4,
                                b.image().constScanLine(y) + qsizetype(x) * 4);
        return qint64(alike) * 100 >= qint64(rows) * 97;
    };
    for (int c = 0; c < n; ++c) {
        if (!fixedColumn[size_t(c)])
            continue;
        const bool borders = (c > 0 && kind[size_t(c - 1)] == movesWith)
            || (c + 1 < n && kind[size_t(c + 1)] == movesWith);
        for (int x = a.cellLeft(c); x < a.cellRight(c); ++x) {
            if (borders && pixelColumnMoves(x))
                continue;
            if (!out.fixed.isEmpty() && out.fixed.last().second == x)
                out.fixed.last().second = x + 1;
            else
                out.fixed.append({x, x + 1});
        }
    }
    return out;
}

// Sum of the colour differences over `rows` rows of the overlap at `shift`
// (fewer where the frame ends first). Cells that change by themselves or
// stand over the content are left out, the same ones for the shifts next to
// `around` (those of the new frame's row and of the old frame's rows a row
// either side of `around`), so that the sums for neighbouring shifts compare.
qint64 differenceAt(const FrameRows& a, const FrameRows& b, const FrameMatcher::Bands& bands, int shift, int rows,
                    const CellMask* ignore, int around)
{
    const int h = a.height();
    const int n = a.bodyWidth();
    auto left = [&](int y, int c) {
        if (!ignore)
            return false;
        if (ignore->contains(y, c))
            return true;
        for (int d = -1; d <= 1; ++d) {
            const int ya = y + around + d;
            if (ya >= 0 && ya < h && ignore->contains(ya, c))
                return true;
        }
        return false;
    };
    qint64 sum = 0;
    for (int y = bands.top; y < bands.top + rows && y + shift < h; ++y) {
        const uchar* la = a.image().constScanLine(y + shift);
        const uchar* lb = b.image().constScanLine(y);
        for (int c = 0; c < a.cells(); ++c) {
            if (left(y, c))
                continue;
            const int x1 = qMin(n, a.cellRight(c));
            for (int x = a.cellLeft(c); x < x1; ++x) {
                const uchar* pa = la + 4 * x;
                const uchar* pb = lb + 4 * x;
                sum += std::abs(pa[0] - pb[0]) + std::abs(pa[1] - pb[1]) + std::abs(pa[2] - pb[2]);
            }
        }
    }
    return sum;
}

// Rows the sparse search's proposal may be moved towards a better fit.
constexpr int maxRefineMoves = 3;

bool closeTo(int shift, int expected)
{
    return std::abs(shift - expected) <= qMax(3, expected / 50);
}

} // namespace

bool FrameMatcher::blank(const FrameRows& frame, const Bands& bands, const CellMask* ignore)
{
    const int end = frame.height() - bands.bottom;
    if (frame.isNull() || bands.top >= end)
        return false;
    const QImage& image = frame.image();
    std::optional<QRgb> colour;
    for (int y = bands.top; y < end; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int c = 0; c < frame.cells(); ++c) {
            if (ignore && ignore->contains(y, c))
                continue;
            if (!colour)
                colour = line[frame.cellLeft(c)] | 0xff000000;
            for (int x = frame.cellLeft(c); x < frame.cellRight(c); ++x)
                if ((line[x] | 0xff000000) != *colour)
                    return false;
        }
    }
    return colour.has_value();
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
    // margin beside its thumb) are bridged, content ends it. A browser
    // drawing its page at twice the size draws its track's margin twice as
    // wide too: columns of one colour all the way down that is not the
    // page's own (a border, a track) are bridged however many.
    const QRgb page = pageColour(b.image());
    int edge = w;
    int misses = 0;
    for (int x = w - 1; x >= w - FrameRows::edgeWidth(w); --x) {
        int differ = 0;
        bool still = true;
        const QRgb first = pixelAt(b.image(), x, bands.top);
        for (int y = bands.top; y < bands.top + rows; ++y) {
            const uchar* pa = a.image().constScanLine(y + shift) + qsizetype(x) * 4;
            const uchar* pb = b.image().constScanLine(y) + qsizetype(x) * 4;
            if (std::abs(pa[0] - pb[0]) + std::abs(pa[1] - pb[1]) + std::abs(pa[2] - pb[2]) > 48)
                ++differ;
            still = still && pixelAt(b.image(), x, y) == first;
        }
        if (differ >= 3) {
            edge = x;
            misses = 0;
        } else if (!(still && first != page) && ++misses > 10) {
            break;
        }
    }
    const int width = w - edge;
    return width >= 3 && width <= 40 ? width : 0;
}


FrameMatcher::Change FrameMatcher::change(const FrameRows& a, const FrameRows& b, const CellMask* ignore)
{
    Change out;
    if (!comparable(a, b))
        return out;
    const int h = a.height();
    out.changed = CellMask(h, a.cells());
    out.total = h * a.cells();
    for (int y = 0; y < h; ++y) {
        if (a.body(y) == b.body(y))
            continue;
        for (int c = 0; c < a.cells(); ++c) {
            if ((ignore && ignore->contains(y, c)) || a.cellAlike(y, c, b, y))
                continue;
            out.changed.insert(y, c);
            ++out.cells;
        }
    }
    return out;
}

bool FrameMatcher::sameContent(const FrameRows& a, const FrameRows& b, const CellMask* ignore)
{
    if (!comparable(a, b))
        return false;
    // A caret or a small animation may change; moved content changes far
    // more. The right edge does not count: an overlay scrollbar fades in and
    // out there whether or not the content moves.
    const Change c = change(a, b, ignore);
    return c.cells <= qMax(8, c.total / 2000);
}

bool FrameMatcher::localChange(const Change& change)
{
    if (change.cells <= 0 || change.total <= 0)
        return false;
    const QRect box = change.changed.boundingBox();
    return qint64(change.cells) * 10 <= change.total && qint64(box.width()) * box.height() * 4 <= change.total;
}

FrameMatcher::Match FrameMatcher::match(const FrameRows& a, const FrameRows& b, const Request& request)
{
    Match m;
    if (!comparable(a, b))
        return m;
    const CellMask* ignore = request.ignore;
    m.moved = !sameContent(a, b, ignore);
    if (!m.moved)
        return m;
    const int h = a.height();
    auto skip = [ignore](int y, int c) { return ignore && ignore->contains(y, c); };

    // The columns that changed at all; a sidebar standing still does not.
    std::vector<int> active;
    {
        std::vector<int> changedRows(size_t(a.cells()), 0);
        for (int y = 0; y < h; ++y) {
            if (a.body(y) == b.body(y))
                continue;
            for (int c = 0; c < a.cells(); ++c)
                if (!skip(y, c) && !a.cellAlike(y, c, b, y))
                    ++changedRows[size_t(c)];
        }
        for (int c = 0; c < a.cells(); ++c)
            if (changedRows[size_t(c)] >= qMax(4, h / 50))
                active.push_back(c);
        if (active.empty())
            for (int c = 0; c < a.cells(); ++c)
                if (changedRows[size_t(c)] > 0)
                    active.push_back(c);
    }
    const View view{a, b, active, ignore};
    // A row's key over the active columns that are not ignored there; which
    // ones were left out goes into the key too, so rows compare only over the
    // same cells. 0 where every active cell is ignored. (A box fixed over
    // the content, left out in every row it covers, would otherwise leave
    // those rows without a key, and a column-wide one every row.)
    auto keys = [&](const FrameRows& f) {
        std::vector<quint64> k(size_t(h), 0);
        for (int y = 0; y < h; ++y) {
            quint64 key = 0x51ed27;
            bool usable = false;
            for (int c : active) {
                if (skip(y, c)) {
                    key = (key ^ 0x9e3779b97f4a7c15ull) * 0x100000001b3ull + quint64(c);
                    continue;
                }
                usable = true;
                key = (key ^ f.cell(y, c)) * 0x100000001b3ull + quint64(c);
            }
            k[size_t(y)] = usable ? (key ? key : 1) : 0;
        }
        return k;
    };
    const std::vector<quint64> ka = keys(a);
    const std::vector<quint64> kb = keys(b);

    // Evidence per shift: every row of b that changed and shows a row of a
    // further down votes for that distance, with the weight 1 / (how often
    // that row occurs in a): a line of text decides, a blank row hardly counts.
    QHash<quint64, QList<int>> rowsOfA;
    for (int y = 0; y < h; ++y)
        if (ka[size_t(y)])
            rowsOfA[ka[size_t(y)]].append(y);
    std::vector<double> weight(size_t(h), 0.0);
    for (int y = 0; y < h; ++y) {
        if (!kb[size_t(y)] || ka[size_t(y)] == kb[size_t(y)])
            continue;
        const auto it = rowsOfA.constFind(kb[size_t(y)]);
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
        // A step measured before is checked as well: over repeated content
        // (the rows of a table) a shift a period off may be the only one
        // the votes propose, and it would hold alone.
        const int e = request.expected;
        if (request.trustExpected && !candidates.empty() && e > 0 && e < h
            && std::none_of(candidates.begin(), candidates.end(), [e](int c) { return std::abs(c - e) <= 2; }))
            candidates.push_back(e);
    }
    struct Holding {
        int shift;
        Bands bands;
        ColumnKinds columns;
    };
    auto take = [&m](const Holding& h2) {
        m.shift = h2.shift;
        m.bands = h2.bands;
        m.overlapRows = h2.columns.overlap.rows;
        m.matchedRows = h2.columns.overlap.matched;
        m.fixedColumns = h2.columns.fixed;
        m.badges = h2.columns.badges;
        m.unsettled = h2.columns.unsettled;
        m.evidence = h2.columns.evidence;
        m.contradicting = h2.columns.mismatched;
        m.doubt = h2.columns.doubt();
    };
    // Nothing found yet.
    m.doubt = Doubt::noShift;
    std::vector<Holding> holding;
    Holding strongest{0, {}, {}};
    for (int s : candidates) {
        const Bands bs = bandsAt(view, s);
        const ColumnKinds cols = columnsAt(a, b, bs, s, ignore);
        if (s == candidates.front())
            strongest = {s, bs, cols};
        // Two rows' worth of evidence at least: one text row is no proof
        // (rows of a coloured block are as common as the block is tall, yet
        // its cells prove the shift).
        if (cols.holds() && (weight[size_t(s)] >= 2.0 || cols.evidence >= 96))
            holding.push_back({s, bs, cols});
    }
    if (!candidates.empty()) {
        if (holding.empty()) {
            take(strongest);
            if (m.doubt == Doubt::none)
                m.doubt = Doubt::littleContent; // it holds, but on a single row's evidence
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
            m.settledByStep = holding.size() > 1 && !m.ambiguous;
            take(*chosen);
            m.confirmed = !m.ambiguous;
            m.doubt = m.ambiguous ? Doubt::ambiguous : Doubt::none;
            return m;
        }
    }

    // Nothing reappears elsewhere, but nearly everything is where it was:
    // the content changed in place (an animation) instead of moving.
    const View everything{a, b, allCells(a), ignore};
    const Overlap inPlace = overlapAt(everything, Bands{}, 0);
    if (inPlace.holds()) {
        m.shift = 0;
        m.bands = bandsAt(everything, 0);
        m.overlapRows = inPlace.rows;
        m.matchedRows = inPlace.matched;
        m.fixedColumns.clear();
        m.confirmed = true;
        m.doubt = Doubt::none;
        return m;
    }

    // No row reappears exactly (content redrawn with noise, or nothing but
    // blank rows in common): the sparse search proposes, the dense check
    // decides, and a shift must fit clearly better than its neighbours.
    const WindowShot::Edges guess = WindowShot::fixedEdges(a.image(), b.image());
    const int expected = request.expected > 0 ? request.expected : h / 2;
    int proposed = WindowShot::contentShift(a.image(), b.image(), guess.top, guess.bottom, h * 98 / 100, expected);
    if (proposed <= 0)
        return m;
    Bands bs = bandsAt(view, proposed);
    ColumnKinds cols = columnsAt(a, b, bs, proposed, ignore);
    // The sparse search may land a row or two beside the shift (it samples
    // the rows): on to a neighbour while it fits clearly better; the dense
    // check decides at the one it comes to.
    {
        const int rows = qMax(0, h - bs.top - bs.bottom - proposed);
        int best = proposed;
        for (int moves = 0; moves < maxRefineMoves && rows > 0; ++moves) {
            const qint64 at = differenceAt(a, b, bs, best, rows, ignore, best);
            int next = best;
            qint64 lowest = at;
            for (int neighbour : {best - 1, best + 1}) {
                const qint64 d = differenceAt(a, b, bs, neighbour, rows, ignore, best);
                if (neighbour > 0 && d * 2 < at && d < lowest) {
                    lowest = d;
                    next = neighbour;
                }
            }
            if (next == best)
                break;
            best = next;
        }
        if (best != proposed) {
            const Bands nbs = bandsAt(view, best);
            const ColumnKinds ncols = columnsAt(a, b, nbs, best, ignore);
            if (ncols.holds() || !cols.holds()) {
                proposed = best;
                bs = nbs;
                cols = ncols;
            }
        }
    }
    take({proposed, bs, cols});
    if (!cols.holds())
        return m;
    const qint64 here = differenceAt(a, b, m.bands, proposed, cols.overlap.rows, ignore, proposed);
    for (int neighbour : {proposed - 1, proposed + 1}) {
        if (differenceAt(a, b, m.bands, neighbour, cols.overlap.rows, ignore, proposed) <= 2 * here) {
            m.ambiguous = true;
            m.doubt = Doubt::ambiguous;
            return m;
        }
    }
    m.confirmed = true;
    return m;
}
