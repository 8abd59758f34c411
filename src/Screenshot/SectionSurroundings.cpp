#include "Screenshot/SectionSurroundings.h"

#include "Screenshot/FrameMatcher.h"
#include "Screenshot/MostCounted.h"

#include <QHash>
#include <algorithm>
#include <QPainter>
#include <cmath>
#include <limits>

SectionSurroundings::SectionSurroundings(QRectF window, QRectF section, qreal scale)
    : m_window(window)
    , m_section(section)
    , m_firstSection(section)
    , m_scale(scale)
{
}

bool SectionSurroundings::mayHoldBox(QRectF window, QRectF section, qreal scale, bool* nearEdge)
{
    const qreal clear = clearance / scale;
    const qreal gap = edgeGap / scale;
    const bool inside = !window.isEmpty() && window.adjusted(gap, clear, -gap, -clear).contains(section);
    if (nearEdge)
        *nearEdge = inside && !window.adjusted(clear, clear, -clear, -clear).contains(section);
    return inside;
}

QRect SectionSurroundings::sectionPixels(const QRectF& section) const
{
    const QRectF r = section.translated(-m_window.topLeft());
    return QRect(int(std::lround(r.left() * m_scale)), int(std::lround(r.top() * m_scale)),
                 int(std::lround(r.width() * m_scale)), int(std::lround(r.height() * m_scale)));
}

QImage SectionSurroundings::blanked(QImage window, bool asAtStart) const
{
    if (window.isNull())
        return window;
    window = window.convertToFormat(QImage::Format_RGB32);
    // A section dragged in points over a box whose edges lie between two
    // points leaves a row or column of the box outside it, which changes
    // with every step of the box: a point's worth around it is blanked too.
    const int margin = int(std::ceil(m_scale));
    QPainter(&window).fillRect(sectionPixels(asAtStart ? m_firstSection : m_section).adjusted(-margin, -margin, margin, margin),
                               Qt::black);
    return window;
}

// The window around moved, rather than changed in place (a picture loaded,
// a video): told by whole rows or, where rows cross the section, by cells.
bool SectionSurroundings::displaced(const FrameRows& before, const FrameRows& after)
{
    return displacedRows(before, after) || displacedCells(before, after);
}

// Rows that changed and show now what another row showed before.
bool SectionSurroundings::displacedRows(const FrameRows& before, const FrameRows& after)
{
    QHash<quint64, int> rowsBefore;
    for (int y = 0; y < before.height(); ++y)
        rowsBefore.insert(before.body(y), y);
    int changed = 0;
    int moved = 0;
    for (int y = 0; y < after.height(); ++y) {
        if (after.body(y) == before.body(y))
            continue;
        ++changed;
        const auto it = rowsBefore.constFind(after.body(y));
        moved += it != rowsBefore.cend() && it.value() != y;
    }
    return moved >= qMax(minimumDisplacedRows, changed / 4);
}

// How far most of the rows that moved went (down positive), where enough did.
std::optional<int> SectionSurroundings::rowShift(const FrameRows& before, const FrameRows& after)
{
    // -1 for a row seen several times (plain, or a repeated line).
    QHash<quint64, int> rowsBefore;
    for (int y = 0; y < before.height(); ++y) {
        const auto it = rowsBefore.find(before.body(y));
        if (it == rowsBefore.end())
            rowsBefore.insert(before.body(y), y);
        else
            *it = -1;
    }
    QHash<int, int> byShift;
    for (int y = 0; y < after.height(); ++y) {
        if (after.body(y) == before.body(y))
            continue;
        const auto it = rowsBefore.constFind(after.body(y));
        if (it != rowsBefore.cend() && it.value() >= 0 && it.value() != y)
            ++byShift[y - it.value()];
    }
    const auto [shift, peak] = mostCounted(byShift);
    if (peak >= minimumDisplacedRows)
        return shift;
    return std::nullopt;
}

// Cells that changed and show now what a cell of the same column showed in
// another row before, many of them by one shift. A row that crosses the
// blanked section (which stays put) never shows again whole. Much of what
// moved may have gone under the section or out of the window, and new rows
// come in, so the shift is not asked to explain every change. One-colour
// cells could have come from anywhere.
std::optional<int> SectionSurroundings::cellShift(const FrameRows& before, const FrameRows& after)
{
    // Per column, the row each cell stood in; -1 for a cell seen in several
    // rows (a letter that recurs), which tells no shift.
    std::vector<QHash<quint64, int>> cellsBefore(size_t(before.cells()));
    for (int y = 0; y < before.height(); ++y)
        for (int c = 0; c < before.cells(); ++c)
            if (!before.uniform(y, c)) {
                QHash<quint64, int>& column = cellsBefore[size_t(c)];
                const auto it = column.find(before.cell(y, c));
                if (it == column.end())
                    column.insert(before.cell(y, c), y);
                else
                    *it = -1;
            }
    QHash<int, int> byShift;
    for (int y = 0; y < after.height(); ++y) {
        if (after.body(y) == before.body(y))
            continue;
        for (int c = 0; c < after.cells(); ++c) {
            if (after.uniform(y, c) || after.cell(y, c) == before.cell(y, c))
                continue;
            const auto it = cellsBefore[size_t(c)].constFind(after.cell(y, c));
            if (it != cellsBefore[size_t(c)].cend() && it.value() >= 0 && it.value() != y)
                ++byShift[y - it.value()];
        }
    }
    const auto [shift, peak] = mostCounted(byShift);
    int matched = 0;
    for (const int cells : std::as_const(byShift))
        matched += cells;
    if (peak >= minimumDisplacedCells && peak * 4 >= matched)
        return shift;
    return std::nullopt;
}

bool SectionSurroundings::displacedCells(const FrameRows& before, const FrameRows& after)
{
    return cellShift(before, after).has_value();
}

std::optional<QPointF> SectionSurroundings::moved(const QImage& before, const QImage& after, int carried) const
{
    return changedAt(before, after, true, carried);
}

std::optional<QPointF> SectionSurroundings::changedAt(const QImage& before, const QImage& after,
                                                      bool displacedOnly, int carried) const
{
    if (before.isNull() || after.isNull() || before.size() != after.size())
        return std::nullopt;
    const FrameRows a(before);
    const FrameRows b(after);
    const FrameMatcher::Change change = FrameMatcher::change(a, b);
    if (change.cells <= 0 || FrameMatcher::localChange(change) || (displacedOnly && !displaced(a, b)))
        return std::nullopt;
    // The changed cell nearest to the section's centre, clear of the
    // section's frame (the border of a box belongs to the box).
    const QPointF centre = QRectF(sectionPixels(m_section)).center();
    const QRect clear = sectionPixels(m_section).adjusted(-clearance - 1, -clearance - 1, clearance + 1, clearance + 1);
    // What lay under the section moved with the page: the box it shows went
    // along, and the wheel over where it went now would scroll the box, not
    // take the page back. Those rows are passed over where others moved too.
    std::optional<int> measured = cellShift(a, b);
    if (!measured)
        measured = rowShift(a, b);
    const int shift = measured.value_or(carried);
    const QRect went = clear.united(clear.translated(0, shift));
    auto nearest = [&](const QRect& avoid) {
        std::optional<QPointF> best;
        double bestDistance = std::numeric_limits<double>::max();
        for (int y = 0; y < change.changed.rows(); ++y)
            for (int c = 0; c < change.changed.cells(); ++c) {
                if (!change.changed.contains(y, c))
                    continue;
                const QPointF p((a.cellLeft(c) + a.cellRight(c)) / 2.0, y);
                const double d = std::hypot(p.x() - centre.x(), p.y() - centre.y());
                if (!avoid.contains(p.toPoint()) && d < bestDistance) {
                    bestDistance = d;
                    best = p;
                }
            }
        return best;
    };
    std::optional<QPointF> best = nearest(went);
    if (!best)
        best = nearest(clear);
    if (!best)
        return std::nullopt;
    return m_window.topLeft() + *best / m_scale;
}

bool SectionSurroundings::changedAlongEdge(const QImage& before, const QImage& after) const
{
    if (before.isNull() || after.isNull() || before.size() != after.size())
        return false;
    const FrameRows a(before);
    const FrameRows b(after);
    const FrameMatcher::Change change = FrameMatcher::change(a, b);
    if (change.cells <= 0)
        return false;
    const QRect section = sectionPixels(m_section);
    // The changed cells' span over the section's columns, in one band, and
    // the rows it changed in: a line redrawn along a box's border is no page.
    auto spans = [&](int from, int to) {
        int left = std::numeric_limits<int>::max();
        int right = std::numeric_limits<int>::min();
        int rows = 0;
        for (int y = qMax(0, from); y < qMin(to, change.changed.rows()); ++y) {
            bool changedRow = false;
            for (int c = 0; c < change.changed.cells(); ++c)
                if (change.changed.contains(y, c)) {
                    const int l = qMax(a.cellLeft(c), section.left());
                    const int r = qMin(a.cellRight(c), section.right() + 1);
                    if (l < r) {
                        left = qMin(left, l);
                        right = qMax(right, r);
                        changedRow = true;
                    }
                }
            rows += changedRow;
        }
        return rows >= minimumDisplacedRows && right > left && (right - left) * 2 >= section.width();
    };
    return spans(section.top() - clearance, section.top()) || spans(section.bottom() + 1, section.bottom() + 1 + clearance);
}

bool SectionSurroundings::followsShift(const QImage& before, const QImage& after, int shift)
{
    if (before.isNull() || after.isNull() || before.size() != after.size() || shift == 0)
        return false;
    const FrameRows a(before);
    const FrameRows b(after);
    int fitting = 0;
    int changed = 0;
    for (int y = 0; y < b.height(); ++y) {
        if (b.body(y) == a.body(y))
            continue;
        for (int c = 0; c < b.cells(); ++c) {
            if (b.uniform(y, c) || b.cell(y, c) == a.cell(y, c))
                continue;
            ++changed;
            const int from = y + shift;
            fitting += from >= 0 && from < a.height() && a.cell(from, c) == b.cell(y, c);
        }
    }
    return fitting >= minimumDisplacedCells && fitting * 2 >= changed;
}

bool SectionSurroundings::standsStill(const QImage& before, const QImage& after, int shift, int from, int to,
                                      const CellMask* skip, const std::vector<bool>* skipRows)
{
    if (before.isNull() || after.isNull() || before.size() != after.size() || shift <= 0)
        return false;
    const QImage a = before.convertToFormat(QImage::Format_RGB32);
    const QImage b = after.convertToFormat(QImage::Format_RGB32);
    const int h = b.height();
    const int w = b.width();
    const int cellWidth = FrameRows::cellWidth;
    auto line = [](const QImage& image, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); };
    auto same = [&](const QRgb* p, const QRgb* q, int x, int n) { return std::equal(p + x, p + x + n, q + x); };
    int cells = 0;
    int rows = 0;
    std::vector<bool> columns(size_t((w + cellWidth - 1) / cellWidth), false);
    auto left = [&](int y, int c) {
        return y < 0 || y >= h || (skipRows && y < int(skipRows->size()) && (*skipRows)[size_t(y)])
            || (skip && skip->contains(y, c));
    };
    for (int y = qMax(0, from); y < qMin(to, h); ++y) {
        const QRgb* now = line(b, y);
        const QRgb* was = line(a, y);
        bool standingRow = false;
        for (int c = 0, x = 0; x < w; ++c, x += cellWidth) {
            const int n = qMin(cellWidth, w - x);
            if (left(y, c) || !same(now, was, x, n)
                || std::all_of(now + x, now + x + n, [v = now[x]](QRgb p) { return p == v; }))
                continue;
            // Content would show here what lay `shift` rows lower before,
            // and show what stood here `shift` rows higher now (unless
            // something left out covers that).
            const bool below = !left(y + shift, c);
            const bool above = !left(y - shift, c);
            if ((below && !same(now, line(a, y + shift), x, n)) || (above && !same(was, line(b, y - shift), x, n))) {
                ++cells;
                standingRow = true;
                columns[size_t(c)] = true;
            }
        }
        rows += standingRow;
    }
    const int spanned = int(std::count(columns.cbegin(), columns.cend(), true));
    return cells >= minimumDisplacedCells && rows >= minimumDisplacedRows && spanned >= minimumStandingColumns;
}
