#pragma once
// The picture of the scrolling tests' content: rows that never repeat (bands
// of 8 rows, each with its own hash, shaded row by row within the band, so
// neighbouring rows look alike as in real content), varying along the row;
// and the fixed header and footer bands around it.
#include <QImage>
#include <QtGlobal>

namespace ScrollPattern {

inline QRgb contentPixel(int x, int y)
{
    quint32 h = quint32(y / 8 + 1) * 2654435761u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    const quint32 block = quint32(x / 6) * 40503u;
    const int shade = (y % 8) * 3;
    return qRgb(int(((h ^ block) & 0xff) * 3 / 4 + shade), int((((h >> 8) + block) & 0xff) * 3 / 4 + shade),
                int((((h >> 16) ^ (block >> 3)) & 0xff) * 3 / 4 + shade));
}

inline QImage content(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = contentPixel(x, y);
    }
    return image;
}

inline QImage band(int width, int height, int seed)
{
    QImage image(width, qMax(1, height), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed * 50) & 0xff, (y * 11 + seed * 3) & 0xff, (x ^ y ^ seed) & 0xff));
    return image;
}

// Header, every content row, footer: what a perfect capture of the list shows.
inline QImage fullRendering(int width, int contentHeight, int header, int footer)
{
    QImage image(width, header + contentHeight + footer, QImage::Format_RGB32);
    const QImage h = band(width, header, 1);
    const QImage c = content(width, contentHeight);
    const QImage f = band(width, footer, 2);
    for (int y = 0; y < header; ++y)
        memcpy(image.scanLine(y), h.constScanLine(y), size_t(width) * 4);
    for (int y = 0; y < contentHeight; ++y)
        memcpy(image.scanLine(header + y), c.constScanLine(y), size_t(width) * 4);
    for (int y = 0; y < footer; ++y)
        memcpy(image.scanLine(header + contentHeight + y), f.constScanLine(y), size_t(width) * 4);
    return image;
}

} // namespace ScrollPattern
