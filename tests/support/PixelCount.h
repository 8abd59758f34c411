#pragma once
// Looking at pixels: colours within a tolerance of each other, and how many
// pixels of a picture pass a test.
#include <QColor>
#include <QImage>
#include <QRect>
#include <functional>

inline bool near(QColor a, QColor b, int tolerance = 12)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

// The pixels of `image` inside `area` (all of it when empty) that pass
// `match`: how many, and where they lie on average.
struct PixelMatches {
    int count = 0;
    QPoint centre;
};
inline PixelMatches matchingPixels(const QImage& image, QRect area, const std::function<bool(QColor)>& match)
{
    const QRect r = area.isEmpty() ? image.rect() : area.intersected(image.rect());
    PixelMatches m;
    qint64 sumX = 0, sumY = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (match(image.pixelColor(x, y))) {
                sumX += x;
                sumY += y;
                ++m.count;
            }
    if (m.count)
        m.centre = QPoint(int(sumX / m.count), int(sumY / m.count));
    return m;
}
inline int countPixels(const QImage& image, QRect area, const std::function<bool(QColor)>& match)
{
    return matchingPixels(image, area, match).count;
}
