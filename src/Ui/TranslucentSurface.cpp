#include "Ui/TranslucentSurface.h"

#include <QPainter>
#include <QWidget>

void TranslucentSurface::setCompositing(bool compositing, const QImage& still)
{
    m_compositing = compositing;
    m_still = compositing ? QImage() : still;
    reshape();
}

QRegion TranslucentSurface::touchedPixels(const QPainterPath& shape, QSize size)
{
    if (size.isEmpty())
        return {};
    QImage coverage(size, QImage::Format_Alpha8);
    coverage.fill(0);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(shape, Qt::black);
        // The outline drawn along the shape reaches half a pixel beyond it.
        p.strokePath(shape, QPen(Qt::black, 1.5));
    }
    QList<QRect> spans;
    for (int y = 0; y < coverage.height(); ++y) {
        const uchar* row = coverage.constScanLine(y);
        for (int x = 0; x < coverage.width();) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < coverage.width() && row[x])
                ++x;
            spans.append(QRect(start, y, x - start, 1));
        }
    }
    QRegion region;
    region.setRects(spans.constData(), int(spans.size()));
    return region;
}

void TranslucentSurface::reshape()
{
    QWidget& window = surfaceWindow();
    if (m_compositing) {
        window.clearMask();
    } else {
        // Showing reshapes a few times over (size, arrow, compositor): the cut is worked out once.
        const QPainterPath shape = surfaceShape();
        if (shape != m_cutShape || window.size() != m_cutSize) {
            m_cutShape = shape;
            m_cutSize = window.size();
            m_cut = touchedPixels(shape, m_cutSize);
        }
        window.setMask(m_cut);
    }
    window.update();
}

void TranslucentSurface::dropStill()
{
    if (m_still.isNull())
        return;
    m_still = {};
    surfaceWindow().update();
}

void TranslucentSurface::paintBeneath(QPainter& painter, const QColor& fill)
{
    if (m_compositing)
        return;
    const QRect all(QPoint(0, 0), surfaceWindow().size());
    if (m_still.isNull())
        painter.fillRect(all, fill);
    else
        painter.drawImage(all, m_still);
}
