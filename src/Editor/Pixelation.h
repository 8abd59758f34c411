#pragma once
// Square cells of one colour each, the mean of the picture under the cell.
// The grid has lines through the picture's middle; cells cut by the border
// average what lies inside. A pixel belongs to the cell its centre falls in.
#include <QImage>
#include <QRect>

class Pixelation {
public:
    // `side` may be fractional.
    explicit Pixelation(double side)
        : m_side(side)
    {
    }

    // How far outside a pixel its cell's mean reads.
    int reach() const;

    // `area` (inside the picture) of the pixelated picture, computed from the
    // cells that touch it only. `source` is premultiplied ARGB32 or RGB32.
    QImage apply(const QImage& source, const QRect& area) const;

private:
    double m_side;
};
