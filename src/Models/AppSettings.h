#pragma once
// Everything the user sets. Persisted as JSON under SettingsKeys::settings;
// reading is all or nothing.
#include "Models/HotkeyCombo.h"
#include "Models/RawEnum.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <optional>

enum class ImageFileFormat { png, jpeg };
template <> struct RawEnumTable<ImageFileFormat> {
    static constexpr std::array<std::pair<ImageFileFormat, const char*>, 2> cases{{
        {ImageFileFormat::png, "png"}, {ImageFileFormat::jpeg, "jpeg"}}};
};

struct AppSettings {
    std::optional<QString> saveDirectoryPath;
    bool autoCopyToPasteboard = true;
    bool openEditorAfterCapture = true;
    qint64 captureDelaySeconds = 0;   // read back held to 0 … maxCaptureDelaySeconds
    bool showCursorInScreenshot = false;
    bool stampTimestamp = false;
    bool clipboardHistoryEnabled = true;
    qint64 maxClipboardItems = 200;   // below 1: unlimited
    qint64 maxScreenshotItems = 200;  // below 1: unlimited
    bool avoidDuplicates = true;
    bool ignoreSensitiveContent = true;
    bool launchAtLogin = false;
    ImageFileFormat imageFormat = ImageFileFormat::png;
    QMap<QString, HotkeyCombo> hotkeys; // keyed by HotkeyAction raw value

    bool operator==(const AppSettings&) const = default;

    // Far beyond the countdown the settings offer (30 s); a value between is
    // kept as stored and shown at the nearest end.
    static constexpr qint64 maxCaptureDelaySeconds = 3600;
    // History limits are read back held to the range the limit field takes
    // (a whole number of 32 bits).

    QJsonObject toJson() const;
    static std::optional<AppSettings> fromJson(const QJsonValue& value);
    QByteArray encoded() const; // compact JSON
    static std::optional<AppSettings> decode(const QByteArray& data);
};
