#pragma once
// A picture of one flat colour.
#include <QColor>
#include <QImage>

inline QImage filledImage(int w, int h, QColor colour, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}
