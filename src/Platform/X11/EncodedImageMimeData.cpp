#include "Platform/X11/EncodedImageMimeData.h"

#include <QImage>

namespace {
const QString png = QStringLiteral("image/png");
// What Qt itself asks for when a program wants a picture in any other form.
const QString qtImage = QStringLiteral("application/x-qt-image");
} // namespace

EncodedImageMimeData::EncodedImageMimeData(QByteArray bytes)
    : m_png(std::move(bytes))
{
}

QStringList EncodedImageMimeData::formats() const { return {png, qtImage}; }

bool EncodedImageMimeData::hasFormat(const QString& mimeType) const { return mimeType == png || mimeType == qtImage; }

QVariant EncodedImageMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType == png && type.id() != QMetaType::QImage)
        return m_png;
    if (mimeType == png || mimeType == qtImage)
        return QImage::fromData(m_png, "PNG");
    return {};
}
