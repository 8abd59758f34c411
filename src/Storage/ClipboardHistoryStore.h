#pragma once
// The clipboard history: texts and images newest first, mirrored into
// clipboard.json (with the journal of the latest changes beside it, see
// HistoryJournal), images as PNG files in ClipboardImages/. Records whatever
// it is given; whether the history is on is the callers' decision. Main
// thread only; the files are written by the store's HistoryDisk, in order (an
// image before the record naming it), so a large history never holds up the
// main thread and a change costs the same however long the history is.
// What cannot be written (a full disk) stays in memory and is written once
// retryWrites() succeeds; a history file that may not be read is left alone.
#include "Models/ClipboardItem.h"
#include "Storage/AppFolders.h"
#include "Storage/HistoryDisk.h"
#include "Storage/ImageOps.h"

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
    // Null image when the entry has no readable picture; readImage() says why.
    QImage image(const ClipboardItem& item) const;
    ImageOps::Read readImage(const ClipboardItem& item) const;

    // Writes again what could not be written, and reads the history file
    // again when it could not be read (merging what was added meanwhile).
    void retryWrites();
    // Entries or pictures that are not on disk yet.
    bool hasUnwrittenChanges() const { return m_disk.hasUnwrittenChanges(); }
    // Why the history file could not be read (0: it was, or there is none).
    int unreadableError() const { return m_disk.unreadableError(); }

    QString historyFilePath() const;
    static QString sha256Hex(const QByteArray& data);

    // Test seams: waiting for the background writes, and the writer itself.
    void waitForPendingWrites();
    HistoryWriter& writer() { return m_disk.writer(); }

Q_SIGNALS:
    void itemsChanged();
    void lastCopiedIDChanged();
    // Every write's outcome (failures and successes alike).
    void writeOutcome(const FileWriteOutcome& outcome);
    // The history file could not be read; it is left as it is.
    void historyUnreadable(const QString& path, int error);
    // What the user should be told (a picture that could not be opened).
    void problem(const QString& text);

private:
    void load();
    void loadFiles(HistoryDisk::Files& files, QList<ClipboardItem> added);
    QList<ClipboardItem> trim();
    // The entry's state goes to disk: at the top, or in its place.
    void recordChange(const ClipboardItem& item, bool front);
    void moveToFront(qsizetype index);
    // With duplicate avoidance on, an entry of the same content moves to the top instead.
    bool moveDuplicateToFront(const QString& hash);
    // A new entry of this type and content, on top, with a fresh id and time.
    void insertNew(ClipboardItem item, const std::optional<QString>& sourceAppBundleID);
    void imageWritten(const FileWriteOutcome& outcome);
    // An entry left the list.
    void forget(const ClipboardItem& item);
    // The entries are gone: from the file, then their pictures.
    void dropEntries(const QList<ClipboardItem>& items);
    QString imagePath(const ClipboardItem& item) const; // empty for a missing or unsafe name

    SettingsManager& m_settings;
    ClipboardService& m_clipboard;
    const AppFolders m_folders;
    QList<ClipboardItem> m_items;
    std::optional<QUuid> m_lastCopiedID;
    // How many entries hold each content (by hash).
    QHash<QString, int> m_contentCounts;
    // Pictures not yet on disk, by path.
    QHash<QString, QImage> m_pendingImages;
    HistoryDisk m_disk;
};
