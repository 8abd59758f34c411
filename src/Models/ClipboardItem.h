#pragma once
// One entry of the clipboard history (clipboard.json).
#include "Models/RawEnum.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

enum class ClipboardItemType { text, image };
template <> struct RawEnumTable<ClipboardItemType> {
    static constexpr std::array<std::pair<ClipboardItemType, const char*>, 2> cases{{
        {ClipboardItemType::text, "text"}, {ClipboardItemType::image, "image"}}};
};

struct ClipboardItem {
    QUuid id;
    QDateTime createdAt;
    ClipboardItemType type = ClipboardItemType::text;
    std::optional<QString> text;
    std::optional<QString> imageFileName; // in ClipboardImages/
    QString preview;                      // text: first 200 characters; image: "W×H"
    bool isFavorite = false;
    std::optional<QString> sourceAppBundleID;
    QString contentHash; // lower-case hex SHA-256 of the text's UTF-8 or the PNG data

    bool operator==(const ClipboardItem&) const = default;

    // What a list row shows: the preview, or "Bild W×H" for images.
    QString displayPreview() const;

    QJsonObject toJson() const;
    static std::optional<ClipboardItem> fromJson(const QJsonValue& value);
};
size_t qHash(const ClipboardItem& item, size_t seed = 0);
