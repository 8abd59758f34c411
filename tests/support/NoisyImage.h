#pragma once
// A picture of random opaque pixels: it encodes to PNG slowly, so a store's
// background write of it is still running when the next step comes.
#include <QImage>
#include <QRandomGenerator>

inline QImage noisyImage(int w, int h, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(w, h, format);
    auto* rng = QRandomGenerator::global();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = rng->generate() | 0xff000000u;
    }
    return image;
}
