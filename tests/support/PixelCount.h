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

// The pixels of `image` inside `area` (all of it when empty) that pass `match`.
inline int countPixels(const QImage& image, QRect area, const std::function<bool(QColor)>& match)
{
    const QRect r = area.isEmpty() ? image.rect() : area.intersected(image.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += match(image.pixelColor(x, y));
    return n;
}
