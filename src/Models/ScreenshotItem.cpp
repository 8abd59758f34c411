#include "Models/ScreenshotItem.h"

#include "Models/JsonDecoder.h"

#include <QHashFunctions>
#include <QJsonArray>

QJsonObject ScreenshotItem::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), JsonDecoder::formatUuid(id));
    o.insert(QStringLiteral("createdAt"), JsonDecoder::formatDate(createdAt));
    o.insert(QStringLiteral("fileName"), fileName);
    if (thumbnailFileName)
        o.insert(QStringLiteral("thumbnailFileName"), *thumbnailFileName);
    o.insert(QStringLiteral("width"), width);
    o.insert(QStringLiteral("height"), height);
    o.insert(QStringLiteral("captureKind"), rawValue(captureKind));
    o.insert(QStringLiteral("isFavorite"), isFavorite);
    QJsonArray list;
    for (const AnnotationObject& a : annotations)
        list.append(a.toJson());
    o.insert(QStringLiteral("annotations"), list);
    return o;
}

std::optional<ScreenshotItem> ScreenshotItem::fromJson(const QJsonValue& value)
{
    JsonDecoder d(value);
    ScreenshotItem item;
    item.id = d.uuid("id");
    item.createdAt = d.date("createdAt");
    item.fileName = d.string("fileName");
    item.thumbnailFileName = d.optionalString("thumbnailFileName");
    item.width = d.integer("width", 0, maxPixels);
    item.height = d.integer("height", 0, maxPixels);
    item.captureKind = d.enumeration<CaptureKind>("captureKind");
    item.isFavorite = d.boolean("isFavorite");
    for (const QJsonValue& v : d.array("annotations")) {
        const auto a = AnnotationObject::fromJson(v);
        if (!a)
            return std::nullopt;
        item.annotations.append(*a);
    }
    if (!d.ok())
        return std::nullopt;
    return item;
}

size_t qHash(const ScreenshotItem& item, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, item.id);
    seed = combine(seed, item.fileName);
    seed = combine(seed, item.width);
    seed = combine(seed, item.height);
    seed = combine(seed, item.isFavorite);
    for (const AnnotationObject& a : item.annotations)
        seed = combine(seed, qHash(a));
    return seed;
}
