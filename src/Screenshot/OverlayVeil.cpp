#include "Screenshot/OverlayVeil.h"

#include <QColorSpace>
#include <QtMath>

namespace {
// Each byte of the two lanes (0x00ff00ff) times keep / 255, rounded as
// QPainter rounds, so the result matches a painted veil to the bit.
inline quint32 scaleLanes(quint32 lanes, quint32 keep)
{
    quint32 x = lanes * keep + 0x00800080u;
    x = (x + ((x >> 8) & 0x00ff00ffu)) >> 8;
    return x & 0x00ff00ffu;
}
}

QImage OverlayVeil::dimmed(const QImage& still, qreal opacity, QImage canvas)
{
    if (still.isNull())
        return {};
    const QImage source = still.format() == QImage::Format_RGB32 || still.format() == QImage::Format_ARGB32_Premultiplied
        ? still
        : still.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out = canvas.size() == source.size() && canvas.format() == source.format()
        ? std::move(canvas)
        : QImage(source.size(), source.format());
    if (out.isNull())
        return {};
    out.setColorSpace(source.colorSpace());
    const quint32 veil = quint32(qRound(qBound<qreal>(0, opacity, 1) * 255));
    const quint32 keep = 255 - veil;
    const bool opaque = source.format() == QImage::Format_RGB32;
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const quint32*>(source.constScanLine(y));
        auto* row = reinterpret_cast<quint32*>(out.scanLine(y));
        const int width = source.width();
        if (opaque) {
            for (int x = 0; x < width; ++x) {
                const quint32 p = in[x];
                row[x] = 0xff000000u | scaleLanes(p & 0x00ff00ffu, keep) | (scaleLanes((p >> 8) & 0xffu, keep) << 8);
            }
        } else {
            // Premultiplied: the colour scales, the veil adds to the alpha.
            for (int x = 0; x < width; ++x) {
                const quint32 p = in[x];
                const quint32 ag = scaleLanes((p >> 8) & 0x00ff00ffu, keep) + (veil << 16);
                row[x] = scaleLanes(p & 0x00ff00ffu, keep) | (ag << 8);
            }
        }
    }
    return out;
}
