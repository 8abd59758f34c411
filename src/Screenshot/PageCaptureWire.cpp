#include "Screenshot/PageCaptureWire.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

namespace PageCaptureWire {

QByteArray header(Type type, quint64 length)
{
    QByteArray bytes(headerSize, '\0');
    qToBigEndian(length, bytes.data());
    bytes[8] = char(type);
    return bytes;
}

QByteArray message(Type type, const QByteArray& payload)
{
    return header(type, quint64(payload.size())) + payload;
}

std::optional<Header> parseHeader(const char (&bytes)[headerSize])
{
    const quint64 length = qFromBigEndian<quint64>(bytes);
    const auto type = Type(quint8(bytes[8]));
    if (quint8(type) < quint8(Type::request) || quint8(type) > quint8(Type::incomplete))
        return std::nullopt;
    if (type != Type::image && length > maxSmallPayload)
        return std::nullopt;
    return Header{type, length};
}

QByteArray encode(const Request& request)
{
    QJsonObject o;
    o.insert(QStringLiteral("kind"), request.kind == Request::Kind::page ? QStringLiteral("page") : QStringLiteral("document"));
    o.insert(QStringLiteral("url"), request.url.toString(QUrl::FullyEncoded));
    o.insert(QStringLiteral("path"), request.path);
    o.insert(QStringLiteral("language"), request.language);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<Request> decodeRequest(const QByteArray& payload)
{
    const QJsonDocument doc = QJsonDocument::fromJson(payload);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    Request r;
    const QString kind = o.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("page"))
        r.kind = Request::Kind::page;
    else if (kind == QLatin1String("document"))
        r.kind = Request::Kind::document;
    else
        return std::nullopt;
    r.url = QUrl(o.value(QStringLiteral("url")).toString(), QUrl::StrictMode);
    r.path = o.value(QStringLiteral("path")).toString();
    r.language = o.value(QStringLiteral("language")).toString();
    if (r.kind == Request::Kind::page ? !r.url.isValid() : r.path.isEmpty())
        return std::nullopt;
    return r;
}

QByteArray encode(const Progress& progress)
{
    QByteArray bytes(8, '\0');
    qToBigEndian(progress.done, bytes.data());
    qToBigEndian(progress.heightPx, bytes.data() + 4);
    return bytes;
}

std::optional<Progress> decodeProgress(const QByteArray& payload)
{
    if (payload.size() != 8)
        return std::nullopt;
    return Progress{qFromBigEndian<quint32>(payload.constData()), qFromBigEndian<quint32>(payload.constData() + 4)};
}

QByteArray encode(const ImageHeader& header)
{
    QByteArray bytes(imageHeaderSize, '\0');
    qToBigEndian(header.width, bytes.data());
    qToBigEndian(header.height, bytes.data() + 4);
    qToBigEndian(header.format, bytes.data() + 8);
    qToBigEndian(header.bytesPerLine, bytes.data() + 12);
    return bytes;
}

std::optional<ImageHeader> decodeImageHeader(const char (&bytes)[imageHeaderSize], quint64 payloadLength)
{
    ImageHeader h;
    h.width = qFromBigEndian<quint32>(bytes);
    h.height = qFromBigEndian<quint32>(bytes + 4);
    h.format = qFromBigEndian<quint32>(bytes + 8);
    h.bytesPerLine = qFromBigEndian<quint32>(bytes + 12);
    switch (QImage::Format(h.format)) {
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_ARGB32:
    case QImage::Format_RGB32:
        break;
    default:
        return std::nullopt;
    }
    if (h.width == 0 || h.height == 0 || h.width > (1u << 16) || quint64(h.bytesPerLine) != quint64(h.width) * 4)
        return std::nullopt;
    if (payloadLength != imageHeaderSize + quint64(h.bytesPerLine) * h.height)
        return std::nullopt;
    return h;
}

ImageHeader describe(const QImage& image)
{
    return ImageHeader{quint32(image.width()), quint32(image.height()), quint32(image.format()),
                       quint32(image.bytesPerLine())};
}

}
