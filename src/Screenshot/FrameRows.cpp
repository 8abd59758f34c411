#include "Screenshot/FrameRows.h"

#include <cstdlib>
#include <cstring>

namespace {
// Grabs arrive as RGB32 or ARGB32_Premultiplied; anything else is converted once.
QImage as32(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

constexpr quint64 mixer = 0x9e3779b97f4a7c15ull;

quint64 mix(quint64 h, quint64 v)
{
    h ^= v + mixer + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdull;
}

// Colour channels only: the alpha byte of a grab carries nothing.
quint64 fingerprint(const uchar* bytes, int pixels)
{
    quint64 h = quint64(pixels) * mixer;
    for (int x = 0; x < pixels; ++x) {
        quint32 p;
        memcpy(&p, bytes + qsizetype(x) * 4, 4);
        h = mix(h, p & 0x00ffffffu);
    }
    return h;
}

bool oneColour(const uchar* bytes, int pixels)
{
    quint32 first;
    memcpy(&first, bytes, 4);
    for (int x = 1; x < pixels; ++x) {
        quint32 p;
        memcpy(&p, bytes + qsizetype(x) * 4, 4);
        if ((p ^ first) & 0x00ffffffu)
            return false;
    }
    return true;
}

// Pixels that differ by more than `tolerance` (summed over the channels).
int differing(const uchar* a, const uchar* b, int pixels, int tolerance)
{
    int differ = 0;
    for (int x = 0; x < pixels; ++x, a += 4, b += 4)
        if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > tolerance)
            ++differ;
    return differ;
}
} // namespace

FrameRows::FrameRows(const QImage& frame)
    : m_image(as32(frame))
{
    if (m_image.isNull())
        return;
    const int w = m_image.width();
    const int h = m_image.height();
    m_bodyWidth = w - edgeWidth(w);
    m_cells = (m_bodyWidth + cellWidth - 1) / cellWidth;
    m_body.resize(h);
    m_edge.resize(h);
    m_cell.resize(size_t(h) * size_t(m_cells));
    m_uniform.resize(size_t(h) * size_t(m_cells));
    for (int y = 0; y < h; ++y) {
        const uchar* line = m_image.constScanLine(y);
        quint64 row = mixer;
        for (int c = 0; c < m_cells; ++c) {
            const uchar* start = line + qsizetype(cellLeft(c)) * 4;
            const int pixels = cellRight(c) - cellLeft(c);
            const quint64 f = fingerprint(start, pixels);
            m_cell[size_t(y) * size_t(m_cells) + size_t(c)] = f;
            m_uniform[size_t(y) * size_t(m_cells) + size_t(c)] = oneColour(start, pixels);
            row = mix(row, f);
        }
        m_body[y] = row;
        m_edge[y] = fingerprint(line + qsizetype(m_bodyWidth) * 4, w - m_bodyWidth);
    }
}

bool FrameRows::cellAlike(int y, int c, const FrameRows& other, int otherY) const
{
    if (cell(y, c) == other.cell(otherY, c))
        return true;
    const int left = cellLeft(c);
    return differing(m_image.constScanLine(y) + qsizetype(left) * 4,
                     other.m_image.constScanLine(otherY) + qsizetype(left) * 4, cellRight(c) - left, 12)
        == 0;
}
