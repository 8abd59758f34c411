#pragma once
// The clipboard history: texts and images newest first, mirrored into
// clipboard.json, images as PNG files in ClipboardImages/. Records whatever it
// is given; whether the history is on is the callers' decision. Main thread
// only; the files are written by the store's HistoryWriter, in order (an
// image before the record naming it), so a large history never holds up the
// main thread.
#include "Models/ClipboardItem.h"
#include "Storage/AppFolders.h"
#include "Storage/HistoryWriter.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class SettingsManager;
class ClipboardService;
struct ClipboardWrite;

class ClipboardHistoryStore : public QObject {
    Q_OBJECT
public:
    // clipboard: where copyToPasteboard writes. Loads clipboard.json from the folders at once.
    ClipboardHistoryStore(SettingsManager& settings, ClipboardService& clipboard, AppFolders folders,
                          QObject* parent = nullptr);
    // Finishes every queued write.
    ~ClipboardHistoryStore() override;

    // A new entry's content made ready: hash, preview and, for an image, its
    // PNG data. Costly for large content, and safe on any thread.
    struct NewEntry {
        ClipboardItem item;
        QImage image;
        QByteArray png;
    };
    static std::optional<NewEntry> prepareText(const QString& text);
    static std::optional<NewEntry> prepareImage(const QImage& image);
    // Records a prepared entry (or moves its duplicate to the top).
    void add(const NewEntry& entry, const std::optional<QString>& sourceAppBundleID);

    const QList<ClipboardItem>& items() const { return m_items; }
    // The entry last put back on the clipboard; kept when that entry goes.
    std::optional<QUuid> lastCopiedID() const { return m_lastCopiedID; }

    // Run after the store itself wrote the clipboard, with what the write left.
    std::function<void(const ClipboardWrite&)> onInternalWrite;

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

    // Test seams: waiting for the background writes, and the writer itself.
    void waitForPendingWrites();
    HistoryWriter& writer() { return m_writer; }

Q_SIGNALS:
    void itemsChanged();
    void lastCopiedIDChanged();

private:
    void load();
    QList<ClipboardItem> trim();
    void save();
    void moveToFront(qsizetype index);
    // With duplicate avoidance on, an entry of the same content moves to the top instead.
    bool moveDuplicateToFront(const QString& hash);
    // A new entry of this type and content, on top, with a fresh id and time.
    void insertNew(ClipboardItem item, const std::optional<QString>& sourceAppBundleID);
    void writeImageLater(const QString& fileName, const QByteArray& png);
    void imageWriteFinished(const QString& fileName, bool written);
    // After the rewrite that dropped the entries.
    void deleteImagesLater(const QList<ClipboardItem>& items);
    QString imagePath(const ClipboardItem& item) const; // empty for a missing or unsafe name

    SettingsManager& m_settings;
    ClipboardService& m_clipboard;
    const AppFolders m_folders;
    QList<ClipboardItem> m_items;
    std::optional<QUuid> m_lastCopiedID;
    // Pictures not yet on disk, by file name.
    QHash<QString, QImage> m_pendingImages;
    // Pictures whose write failed: left out of the file. Writer thread only.
    std::shared_ptr<QSet<QString>> m_unwritten = std::make_shared<QSet<QString>>();
    HistoryWriter m_writer;
};
