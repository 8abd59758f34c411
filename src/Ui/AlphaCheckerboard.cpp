#include "Ui/AlphaCheckerboard.h"

#include <QPainter>

namespace AlphaCheckerboard {

void paint(QPainter& p, const QRectF& rect)
{
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    const QColor even = QColor::fromRgbF(0.8f, 0.8f, 0.8f);
    const QColor odd = QColor::fromRgbF(0.96f, 0.96f, 0.96f);
    int row = 0;
    for (qreal y = rect.top(); y < rect.bottom(); y += squareSide, ++row) {
        int column = 0;
        for (qreal x = rect.left(); x < rect.right(); x += squareSide, ++column)
            p.fillRect(QRectF(x, y, squareSide, squareSide), (row + column) % 2 == 0 ? even : odd);
    }
    p.restore();
}

} // namespace AlphaCheckerboard
