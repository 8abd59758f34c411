#include "Screenshot/MovedChange.h"

#include <QList>
#include <QPoint>

bool MovedChange::explains(const FrameRows& a, const FrameRows& b, const CellMask& changed)
{
    if (a.isNull() || b.isNull() || a.width() != b.width() || a.height() != b.height() || changed.isEmpty()
        || changed.rows() != a.height() || changed.cells() != a.cells())
        return false;
    const int h = a.height();
    QList<QPoint> cells; // x: cell, y: row
    cells.reserve(changed.count());
    const QRect box = changed.boundingBox();
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int c = box.left(); c <= box.right(); ++c)
            if (changed.contains(y, c))
                cells.append(QPoint(c, y));
    // Cells where content comes out from under something standing still
    // (or goes under it) cannot show elsewhere.
    const int allowed = int(cells.size()) / 10;
    for (int shift = -h / 2; shift <= h / 2; ++shift) {
        if (shift == 0)
            continue;
        int misses = 0;
        for (const QPoint& p : cells) {
            const int y = p.y();
            const int c = p.x();
            const bool fromA = y + shift >= 0 && y + shift < h && a.cellAlike(y + shift, c, b, y);
            const bool toB = y - shift >= 0 && y - shift < h && a.cellAlike(y, c, b, y - shift);
            misses += !fromA;
            misses += !toB;
            if (misses > 2 * allowed)
                break;
        }
        if (misses <= 2 * allowed)
            return true;
    }
    return false;
}
