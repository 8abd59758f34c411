#include "Screenshot/ScrolledView.h"

#include "Platform/AccessibilityTree.h"
#include "Screenshot/MostCounted.h"

#include <QHash>
#include <QStringList>
#include <cmath>

namespace {

bool rowChanged(const FrameRows& a, const FrameRows& b, int y, const CellMask* ignore)
{
    if (a.edge(y) != b.edge(y))
        return true;
    if (a.body(y) == b.body(y))
        return false;
    for (int c = 0; c < a.cells(); ++c)
        if (!(ignore && ignore->contains(y, c)) && !a.cellAlike(y, c, b, y))
            return true;
    return false;
}

// Rows at the top of the moving rows that no content passes through
// unaltered: a shadow a browser's bar casts over the page. Content at the top
// of the later frame was lower down in the earlier one; a shaded row was
// nowhere. They are counted to the band above, so the bar is taken whole and
// its shadow never compared as content.
int shadedRows(const FrameRows& before, const FrameRows& after, const ScrolledView::Rows& rows)
{
    const int limit = qMin(ScrolledView::shadowRowsMax, (rows.bottom - rows.top) / 8);
    for (int y = rows.top; y < rows.top + limit; ++y)
        for (int earlier = y + 1; earlier < rows.bottom; ++earlier)
            if (after.body(y) == before.body(earlier))
                return y - rows.top;
    return 0;
}

} // namespace

std::optional<ScrolledView::Rows> ScrolledView::movingRows(const FrameRows& before, const FrameRows& after,
                                                          const CellMask* ignore)
{
    if (before.isNull() || after.isNull() || before.width() != after.width() || before.height() != after.height())
        return std::nullopt;
    const int h = before.height();
    if (ignore && (ignore->rows() != h || ignore->cells() != before.cells()))
        ignore = nullptr;
    Rows rows{-1, -1};
    for (int y = 0; y < h && rows.top < 0; ++y)
        if (rowChanged(before, after, y, ignore))
            rows.top = y;
    for (int y = h - 1; y >= 0 && rows.bottom < 0; --y)
        if (rowChanged(before, after, y, ignore))
            rows.bottom = y + 1;
    if (rows.top < 0 || rows.bottom - rows.top < h / 2 || (rows.top == 0 && rows.bottom == h))
        return std::nullopt;
    rows.top += shadedRows(before, after, rows);
    return rows;
}

int ScrolledView::unmeasuredBarColumns(double scale)
{
    constexpr int widestBar = 20; // points, track included
    return int(std::ceil(widestBar * qMax(1.0, scale)));
}

int ScrolledView::scrollbarWithTrack(const QImage& frame, int bar, int top, int bottom)
{
    const int w = frame.width();
    top = qMax(0, top);
    bottom = qMin(frame.height(), bottom);
    if (bar <= 0 || bar >= w || bottom - top < 1)
        return bar;
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    // The track's colour: the one the bar shows most.
    QHash<QRgb, int> counts;
    for (int y = top; y < bottom; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = w - bar; x < w; ++x)
            ++counts[line[x] | 0xff000000u];
    }
    const QRgb track = mostCounted(counts).first;
    int width = bar;
    for (int x = w - bar - 1; x >= 0 && width < bar + trackMax; --x) {
        bool whole = true;
        for (int y = top; y < bottom && whole; ++y)
            whole = (reinterpret_cast<const QRgb*>(image.constScanLine(y))[x] | 0xff000000u) == track;
        if (!whole)
            break;
        ++width;
    }
    return width;
}

std::optional<QRectF> ScrolledView::fromAccessibility(AccessibilityTree& tree, const QPointF& point,
                                                      const QRectF& window, qint32 pid)
{
    if (!tree.isAvailable())
        return std::nullopt;
    // A page's document (the outermost: frames inside a page are documents
    // too), else the first text view, terminal or scroll pane around the point.
    static const QStringList views = {QStringLiteral("AXTextArea"), QStringLiteral("terminal"),
                                      QStringLiteral("AXScrollArea")};
    std::optional<QRectF> found;
    bool page = false;
    std::shared_ptr<AccessibleElement> element = tree.elementAt(pid, point);
    for (int visited = 0; element && visited < 50; ++visited) {
        const QString role = element->role();
        const bool document = role == QLatin1String("AXWebArea");
        if (document || (!found && !page && views.contains(role))) {
            const auto position = element->position();
            const auto size = element->size();
            if (position && size) {
                const QRectF frame = QRectF(*position, *size) & window;
                if (frame.width() > 80 && frame.height() > 80 && frame.contains(point)) {
                    found = frame;
                    page = page || document;
                }
            }
        }
        element = element->parent();
    }
    if (!found || *found == window)
        return std::nullopt;
    return found;
}
