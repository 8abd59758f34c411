#include "Models/AppSettings.h"

#include "Models/JsonDecoder.h"
#include "Models/JsonWriter.h"

#include <QJsonDocument>
#include <limits>

QJsonObject AppSettings::toJson() const
{
    QJsonObject hk;
    for (auto it = hotkeys.cbegin(); it != hotkeys.cend(); ++it)
        hk.insert(it.key(), it.value().toJson());
    QJsonObject o{
        {"autoCopyToPasteboard", autoCopyToPasteboard},
        {"openEditorAfterCapture", openEditorAfterCapture},
        {"captureDelaySeconds", captureDelaySeconds},
        {"showCursorInScreenshot", showCursorInScreenshot},
        {"stampTimestamp", stampTimestamp},
        {"clipboardHistoryEnabled", clipboardHistoryEnabled},
        {"maxClipboardItems", maxClipboardItems},
        {"maxScreenshotItems", maxScreenshotItems},
        {"avoidDuplicates", avoidDuplicates},
        {"ignoreSensitiveContent", ignoreSensitiveContent},
        {"launchAtLogin", launchAtLogin},
        {"imageFormat", rawValue(imageFormat)},
        {"hotkeys", hk},
    };
    if (saveDirectoryPath)
        o.insert("saveDirectoryPath", *saveDirectoryPath);
    return o;
}

std::optional<AppSettings> AppSettings::fromJson(const QJsonValue& value)
{
    JsonDecoder d(value);
    AppSettings s;
    s.saveDirectoryPath = d.optionalString("saveDirectoryPath");
    s.autoCopyToPasteboard = d.boolean("autoCopyToPasteboard");
    s.openEditorAfterCapture = d.boolean("openEditorAfterCapture");
    s.captureDelaySeconds = d.integer("captureDelaySeconds", 0, maxCaptureDelaySeconds);
    s.showCursorInScreenshot = d.boolean("showCursorInScreenshot");
    s.stampTimestamp = d.boolean("stampTimestamp");
    s.clipboardHistoryEnabled = d.boolean("clipboardHistoryEnabled");
    s.maxClipboardItems = d.integer("maxClipboardItems", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    s.maxScreenshotItems = d.integer("maxScreenshotItems", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    s.avoidDuplicates = d.boolean("avoidDuplicates");
    s.ignoreSensitiveContent = d.boolean("ignoreSensitiveContent");
    s.launchAtLogin = d.boolean("launchAtLogin");
    s.imageFormat = d.enumeration<ImageFileFormat>("imageFormat");
    const QJsonObject hk = d.object("hotkeys");
    for (auto it = hk.begin(); it != hk.end(); ++it) {
        const auto combo = HotkeyCombo::fromJson(it.value());
        if (!combo)
            return std::nullopt;
        s.hotkeys.insert(it.key(), *combo);
    }
    if (!d.ok())
        return std::nullopt;
    return s;
}

QByteArray AppSettings::encoded() const
{
    return JsonWriter::compact(toJson());
}

std::optional<AppSettings> AppSettings::decode(const QByteArray& data)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return fromJson(doc.object());
}
