#include "Models/ClipboardItem.h"

#include "Localization/Localizer.h"
#include "Models/JsonDecoder.h"

#include <QHashFunctions>
#include <QRegularExpression>

QString ClipboardItem::displayPreview() const
{
    if (type == ClipboardItemType::text)
        return preview;
    static const QRegularExpression size(QStringLiteral("\\d+×\\d+"));
    const QRegularExpressionMatch m = size.match(preview);
    return Localizer::t(QStringLiteral("Bild")) + QLatin1Char(' ') + (m.hasMatch() ? m.captured(0) : preview);
}

QJsonObject ClipboardItem::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), JsonDecoder::formatUuid(id));
    o.insert(QStringLiteral("createdAt"), JsonDecoder::formatDate(createdAt));
    o.insert(QStringLiteral("type"), rawValue(type));
    if (text)
        o.insert(QStringLiteral("text"), *text);
    if (imageFileName)
        o.insert(QStringLiteral("imageFileName"), *imageFileName);
    o.insert(QStringLiteral("preview"), preview);
    o.insert(QStringLiteral("isFavorite"), isFavorite);
    if (sourceAppBundleID)
        o.insert(QStringLiteral("sourceAppBundleID"), *sourceAppBundleID);
    o.insert(QStringLiteral("contentHash"), contentHash);
    return o;
}

std::optional<ClipboardItem> ClipboardItem::fromJson(const QJsonValue& value)
{
    JsonDecoder d(value);
    ClipboardItem item;
    item.id = d.uuid("id");
    item.createdAt = d.date("createdAt");
    item.type = d.enumeration<ClipboardItemType>("type");
    item.text = d.optionalString("text");
    item.imageFileName = d.optionalString("imageFileName");
    item.preview = d.string("preview");
    item.isFavorite = d.boolean("isFavorite");
    item.sourceAppBundleID = d.optionalString("sourceAppBundleID");
    item.contentHash = d.string("contentHash");
    if (!d.ok())
        return std::nullopt;
    return item;
}

size_t qHash(const ClipboardItem& item, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, item.id);
    seed = combine(seed, item.contentHash);
    seed = combine(seed, item.preview);
    seed = combine(seed, item.isFavorite);
    return seed;
}
