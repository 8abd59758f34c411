#pragma once
// The clipboard history: texts and images newest first, mirrored into
// clipboard.json, images as PNG files in ClipboardImages/. Records whatever it
// is given; whether the history is on is the callers' decision. Main thread only.
#include "Models/ClipboardItem.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QUuid>
#include <functional>
#include <optional>

class SettingsManager;
class ClipboardService;

class ClipboardHistoryStore : public QObject {
    Q_OBJECT
public:
    // clipboard: where copyToPasteboard writes (Pasteboard::service() when null).
    explicit ClipboardHistoryStore(SettingsManager& settings, ClipboardService* clipboard = nullptr,
                                   QObject* parent = nullptr);

    const QList<ClipboardItem>& items() const { return m_items; }
    // The entry last put back on the clipboard; kept when that entry goes.
    std::optional<QUuid> lastCopiedID() const { return m_lastCopiedID; }

    // Run after the store itself wrote the clipboard.
    std::function<void()> onInternalWrite;

    void addText(const QString& text, const std::optional<QString>& sourceAppBundleID);
    void addImage(const QImage& image, const std::optional<QString>& sourceAppBundleID);
    void copyToPasteboard(const ClipboardItem& item);
    void toggleFavorite(const ClipboardItem& item);
    void remove(const ClipboardItem& item);
    void clearAll(bool keepFavorites);
    // Null image when the entry has no readable picture.
    QImage image(const ClipboardItem& item) const;

    QString historyFilePath() const;
    static QString sha256Hex(const QByteArray& data);

Q_SIGNALS:
    void itemsChanged();
    void lastCopiedIDChanged();

private:
    void load();
    void trim();
    void save();
    void moveToFront(qsizetype index);
    // With duplicate avoidance on, an entry of the same content moves to the top instead.
    bool moveDuplicateToFront(const QString& hash);
    // A new entry of this type and content, on top, with a fresh id and time.
    void insertNew(ClipboardItem item, const std::optional<QString>& sourceAppBundleID, const QString& contentHash);
    QString imagePath(const ClipboardItem& item) const; // empty for a missing or unsafe name

    SettingsManager& m_settings;
    ClipboardService* m_clipboard;
    QList<ClipboardItem> m_items;
    std::optional<QUuid> m_lastCopiedID;
};
