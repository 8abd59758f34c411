#pragma once
// A picture shrunk by a whole factor f and enlarged back, on a grid anchored
// at the picture's top-left corner, so any part of it comes out exactly as it
// does inside the whole. Cells are the rounded means of their f x f pixels
// (fewer at the right and bottom edges); enlarging interpolates linearly
// between cell centres, repeating the edge cells beyond the shrunk picture.
// Pictures are premultiplied ARGB32 (RGB32 is read as such).
#include <QImage>
#include <QRect>

class BlockResampler {
public:
    // The cells that enlarging `area` reads (before clipping to the shrunk picture).
    static QRect cellsFor(const QRect& area, int f);
    // Cells `cells` of the picture shrunk by f (2 or 4).
    static QImage shrink(const QImage& source, const QRect& cells, int f);
    // `area` of the enlarged picture, from `cells`, whose top-left is cell
    // `origin` of a picture shrunk to `shrunkSize`.
    static QImage enlarge(const QImage& cells, QPoint origin, const QRect& area, int f, QSize shrunkSize);
};
