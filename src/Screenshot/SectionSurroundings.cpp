#include "Screenshot/SectionSurroundings.h"

#include "Screenshot/FrameMatcher.h"

#include <QHash>
#include <QPainter>
#include <cmath>
#include <limits>

SectionSurroundings::SectionSurroundings(QRectF window, QRectF section, qreal scale)
    : m_window(window)
    , m_section(section)
    , m_scale(scale)
{
}

QRect SectionSurroundings::sectionPixels() const
{
    const QRectF r = m_section.translated(-m_window.topLeft());
    return QRect(int(std::lround(r.left() * m_scale)), int(std::lround(r.top() * m_scale)),
                 int(std::lround(r.width() * m_scale)), int(std::lround(r.height() * m_scale)));
}

QImage SectionSurroundings::blanked(QImage window) const
{
    if (window.isNull())
        return window;
    window = window.convertToFormat(QImage::Format_RGB32);
    QPainter(&window).fillRect(sectionPixels(), Qt::black);
    return window;
}

// Rows that changed and show now what another row showed before: the window
// around moved, rather than changed in place (a picture loaded, a video).
bool SectionSurroundings::displaced(const FrameRows& before, const FrameRows& after)
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

std::optional<QPointF> SectionSurroundings::moved(const QImage& before, const QImage& after) const
{
    if (before.isNull() || after.isNull() || before.size() != after.size())
        return std::nullopt;
    const FrameRows a(before);
    const FrameRows b(after);
    const FrameMatcher::Change change = FrameMatcher::change(a, b);
    if (change.cells <= 0 || FrameMatcher::localChange(change) || !displaced(a, b))
        return std::nullopt;
    // The changed cell nearest to the section's centre, clear of the
    // section's frame (the border of a box belongs to the box).
    const QPointF centre = QRectF(sectionPixels()).center();
    const QRect clear = sectionPixels().adjusted(-clearance - 1, -clearance - 1, clearance + 1, clearance + 1);
    std::optional<QPointF> best;
    double bestDistance = std::numeric_limits<double>::max();
    for (int y = 0; y < change.changed.rows(); ++y)
        for (int c = 0; c < change.changed.cells(); ++c) {
            if (!change.changed.contains(y, c))
                continue;
            const QPointF p((a.cellLeft(c) + a.cellRight(c)) / 2.0, y);
            const double d = std::hypot(p.x() - centre.x(), p.y() - centre.y());
            if (!clear.contains(p.toPoint()) && d < bestDistance) {
                bestDistance = d;
                best = p;
            }
        }
    if (!best)
        return std::nullopt;
    return m_window.topLeft() + *best / m_scale;
}
