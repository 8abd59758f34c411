#pragma once
// One entry of the screenshot history (screenshots.json).
#include "Models/AnnotationObject.h"
#include "Models/CoreTypes.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

struct ScreenshotItem {
    QUuid id;
    QDateTime createdAt;
    QString fileName;                         // in Screenshots/
    std::optional<QString> thumbnailFileName; // in Thumbnails/
    qint64 width = 0;  // read back held to 0 … maxPixels
    qint64 height = 0;
    CaptureKind captureKind = CaptureKind::area;
    bool isFavorite = false;
    QList<AnnotationObject> annotations;

    bool operator==(const ScreenshotItem&) const = default;

    // Far beyond the tallest stitched capture.
    static constexpr qint64 maxPixels = 1 << 24;

    QJsonObject toJson() const;
    static std::optional<ScreenshotItem> fromJson(const QJsonValue& value);
};
size_t qHash(const ScreenshotItem& item, size_t seed = 0);
