#include "Screenshot/ColumnColour.h"

#include <QHash>

QRgb commonColour(const QImage& image, int x, int from, int to)
{
    QHash<QRgb, int> counts;
    QRgb best = image.pixel(x, qBound(0, from, image.height() - 1));
    int bestCount = 0;
    for (int y = qMax(0, from); y < qMin(to, image.height()); ++y) {
        const QRgb p = image.pixel(x, y);
        const int n = ++counts[p];
        if (n > bestCount) {
            best = p;
            bestCount = n;
        }
    }
    return best;
}
