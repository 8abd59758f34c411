#include "Storage/ImageOps.h"

#include "Localization/Localizer.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ImageOps {

long long roundHalfAway(double v)
{
    return static_cast<long long>(std::round(v)); // std::round rounds halves away from zero
}

std::optional<QByteArray> pngData(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return std::nullopt;
    return data;
}

Read readImage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, file.exists() ? ReadProblem::noAccess : ReadProblem::missing};
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (!size.isValid())
        return {{}, ReadProblem::damaged};
    // Decoded at most as 8 bytes a pixel (16-bit channels).
    const int depth = reader.imageFormat() == QImage::Format_RGBA64 || reader.imageFormat() == QImage::Format_Grayscale16 ? 8 : 4;
    const qint64 bytes = qint64(size.width()) * size.height() * depth;
    if (bytes > maxImageBytes)
        return {{}, ReadProblem::tooLarge};
    reader.setAllocationLimit(int(std::max<qint64>(QImageReader::allocationLimit(), bytes / (1 << 20) + 1)));
    Read read{reader.read(), ReadProblem::none};
    if (read.image.isNull())
        read.problem = reader.error() == QImageReader::InvalidDataError && bytes > (qint64(256) << 20)
            ? ReadProblem::tooLarge // no memory for it
            : ReadProblem::damaged;
    return read;
}

QString problemText(ReadProblem problem)
{
    switch (problem) {
    case ReadProblem::none:
        return {};
    case ReadProblem::missing:
        return Localizer::t(QStringLiteral("Bild nicht geöffnet: Datei fehlt"));
    case ReadProblem::noAccess:
        return Localizer::t(QStringLiteral("Bild nicht geöffnet: keine Leseberechtigung"));
    case ReadProblem::tooLarge:
        return Localizer::t(QStringLiteral("Bild nicht geöffnet: zu groß für den Speicher"));
    case ReadProblem::damaged:
        return Localizer::t(QStringLiteral("Bild nicht geöffnet: Datei beschädigt"));
    }
    return {};
}

QImage scalable(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        return image;
    default:
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
}

QImage thumbnail(const QImage& image, double m)
{
    const double w = image.width(), h = image.height();
    if (w <= 0 || h <= 0)
        return image;
    const double scale = std::min(m / std::max(w, h), 1.0);
    const int tw = int(std::max<long long>(roundHalfAway(w * scale), 1));
    const int th = int(std::max<long long>(roundHalfAway(h * scale), 1));
    if (tw == image.width() && th == image.height())
        return image;
    return scalable(image).scaled(tw, th, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage topThumbnail(const QImage& image, double m, double aspect)
{
    if (image.isNull())
        return thumbnail(image, m);
    const int W = image.width(), H = image.height();
    const double a = std::max(aspect, 0.01);
    const long long cutH = std::min<long long>(H, roundHalfAway(W / a));
    if (cutH < 1)
        return thumbnail(image, m);
    const QImage cut = image.copy(0, 0, W, int(cutH));
    if (cut.isNull())
        return thumbnail(image, m);
    return thumbnail(cut, m);
}

QImage filled(const QImage& image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    const QImage scaled = scalable(image).scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - size.width()) / 2, (scaled.height() - size.height()) / 2, size.width(),
                       size.height());
}

} // namespace ImageOps
