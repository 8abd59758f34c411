#pragma once
// The screenshot history: full-size PNGs in Screenshots/, thumbnails in
// Thumbnails/, one record per capture in screenshots.json (with the journal
// of the latest changes beside it, see HistoryJournal). Memory is the master
// after loading. Main thread only; every file is written by the store's
// HistoryDisk, in order, so the history on disk never names a picture that is
// not whole on disk and a kill loses at most the newest changes. An edited
// picture gets a new name: written first, then the record switches to it,
// then the old one goes, so a kill leaves the old or the new state whole.
//
// A write that fails (a full disk, a folder that may not be written) keeps
// the records and pictures in memory and writes them once retryWrites()
// succeeds. A history file that may not be read is left alone: nothing is
// written over it and nothing is deleted because of it until it can be read.
#include "Models/AnnotationObject.h"
#include "Models/CoreTypes.h"
#include "Models/ScreenshotItem.h"
#include "Storage/AppFolders.h"
#include "Storage/HistoryDisk.h"
#include "Storage/ImageOps.h"

#include <QDateTime>
#include <QFuture>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <functional>
#include <memory>

class SettingsManager;

class ScreenshotHistoryStore : public QObject {
    Q_OBJECT
public:
    using PngData = QFuture<std::optional<QByteArray>>;
    using Stored = std::function<void(const FileWriteOutcome&)>;

    // Loads screenshots.json from the folders at once.
    ScreenshotHistoryStore(SettingsManager& settings, AppFolders folders, QObject* parent = nullptr);
    // Finishes every queued write.
    ~ScreenshotHistoryStore() override;

    const QList<ScreenshotItem>& items() const { return m_items; }

    // Stores a new capture and returns its record at once. Thumbnail, picture
    // and record reach the disk in that order in the background; image() and
    // thumbnail() serve them from memory meanwhile. `png`: the picture's PNG
    // data when it is being made anyway (for the clipboard), so it is encoded
    // once. `stored` hears once, on the main thread, whether thumbnail and
    // picture were written.
    ScreenshotItem add(const QImage& image, CaptureKind kind, const QList<AnnotationObject>& annotations = {},
                       std::optional<PngData> png = std::nullopt, Stored stored = {});
    // Null image when there is none; readImage() says why.
    QImage image(const ScreenshotItem& item) const;
    ImageOps::Read readImage(const ScreenshotItem& item) const;
    QImage thumbnail(const ScreenshotItem& item) const;
    void updateImage(const QImage& image, const QList<AnnotationObject>& annotations, const ScreenshotItem& item);
    void updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item);
    void toggleFavorite(const ScreenshotItem& item);
    void remove(const ScreenshotItem& item);
    void clearAll(bool keepFavorites);

    // Writes again what could not be written, and reads the history file
    // again when it could not be read (merging what was added meanwhile).
    void retryWrites();
    // Records or pictures that are not on disk yet.
    bool hasUnwrittenChanges() const;
    // Why the history file could not be read (0: it was, or there is none).
    int unreadableError() const { return m_disk.unreadableError(); }

    // Test seams: the clock used for new records, waiting for background
    // writes, and the writer itself.
    void setClock(std::function<QDateTime()> clock);
    void waitForPendingWrites();
    bool hasPendingImage(const QUuid& id) const { return m_pendingImageCache.contains(id); }
    HistoryWriter& writer() { return m_disk.writer(); }

    QString historyFilePath() const;
    // The folder the full-size pictures are in.
    QString picturesFolder() const { return m_folders.screenshotsDirectory(); }

Q_SIGNALS:
    void itemsChanged();
    // Every write's outcome (failures and successes alike).
    void writeOutcome(const FileWriteOutcome& outcome);
    // The history file could not be read; it is left as it is.
    void historyUnreadable(const QString& path, int error);

private:
    struct Announcement {
        int awaiting = 0;
        FileWriteOutcome first;
        Stored stored;
    };
    void load();
    // The records of the files, those added meanwhile (while the file could
    // not be read) joined to them.
    void loadFiles(HistoryDisk::Files& files, QList<ScreenshotItem> added);
    void recoverPictures(const QSet<QString>& letGo);
    void removeStaleFiles();
    void removeOrphanedThumbnails();
    QList<ScreenshotItem> trim();
    void recordChange(const ScreenshotItem& item, bool front, QList<HistoryJournal::Drop> drops = {});
    void dropRecord(const ScreenshotItem& item, bool toTrash);
    void writePicture(const QUuid& id, const QString& path, HistoryDisk::Data data);
    void writeThumbnail(const QUuid& id, const QImage& thumbnail, const QString& path);
    void fileWritten(const FileWriteOutcome& outcome);
    void cancelPendingWrite(const QUuid& id);
    void releaseEmptyTables();
    bool namedByAnyRecord(const QString& fileName) const;
    QString uniqueStem(const QString& base) const;
    QString fullPath(const QString& name) const;
    QString thumbPath(const std::optional<QString>& name) const;
    QStringList needs(const ScreenshotItem& item) const;

    SettingsManager& m_settings;
    const AppFolders m_folders;
    QList<ScreenshotItem> m_items;
    QHash<QUuid, QImage> m_pendingImageCache;
    QHash<QUuid, QImage> m_pendingThumbnails;
    // The files not written yet, and whose they are.
    QHash<QString, QUuid> m_pendingPaths;
    struct PendingPicture {
        QString path;
        HistoryDisk::CancelFlag cancelled;
    };
    QHash<QUuid, PendingPicture> m_pendingPictures;
    QHash<QUuid, Announcement> m_announcements;
    std::function<QDateTime()> m_clock;
    HistoryDisk m_disk;
};
