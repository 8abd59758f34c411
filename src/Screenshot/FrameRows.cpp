#include "Screenshot/FrameRows.h"

#include <QByteArrayView>
#include <QHashFunctions>
#include <cstdlib>

namespace {
// Grabs arrive as RGB32 or ARGB32_Premultiplied; anything else is converted once.
QImage as32(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

quint64 fingerprint(const uchar* bytes, int pixels)
{
    if (pixels <= 0)
        return 0;
    return quint64(qHash(QByteArrayView(reinterpret_cast<const char*>(bytes), qsizetype(pixels) * 4), 0x5eed));
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
    m_body.resize(h);
    m_edge.resize(h);
    for (int y = 0; y < h; ++y) {
        const uchar* line = m_image.constScanLine(y);
        m_body[y] = fingerprint(line, m_bodyWidth);
        m_edge[y] = fingerprint(line + qsizetype(m_bodyWidth) * 4, w - m_bodyWidth);
    }
}

namespace {
int differing(const uchar* a, const uchar* b, int pixels)
{
    int differ = 0;
    for (int x = 0; x < pixels; ++x, a += 4, b += 4)
        if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 48)
            ++differ;
    return differ;
}
} // namespace

int FrameRows::differingBodyPixels(int y, const FrameRows& other, int otherY) const
{
    return differing(m_image.constScanLine(y), other.m_image.constScanLine(otherY),
                     qMin(m_bodyWidth, other.m_bodyWidth));
}

bool FrameRows::bodyAlike(int y, const FrameRows& other, int otherY) const
{
    if (m_body[y] == other.m_body[otherY])
        return true;
    return differingBodyPixels(y, other, otherY) <= qMax(1, m_bodyWidth / 200);
}
