#pragma once
// The screenshot history: full-size PNGs in Screenshots/, thumbnails in
// Thumbnails/, one record per capture in screenshots.json. Memory is the master
// after loading; every change rewrites the whole file. Main thread only; every
// file is written by the store's HistoryWriter, in order, so the file never
// names a picture that is not on disk and a crash loses at most the newest
// changes.
#include "Models/AnnotationObject.h"
#include "Models/CoreTypes.h"
#include "Models/ScreenshotItem.h"
#include "Storage/AppFolders.h"
#include "Storage/HistoryWriter.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <atomic>
#include <functional>
#include <memory>

class SettingsManager;

class ScreenshotHistoryStore : public QObject {
    Q_OBJECT
public:
    // Loads screenshots.json from the folders at once.
    ScreenshotHistoryStore(SettingsManager& settings, AppFolders folders, QObject* parent = nullptr);
    // Finishes every queued write.
    ~ScreenshotHistoryStore() override;

    const QList<ScreenshotItem>& items() const { return m_items; }

    // Replaces the items with the file's content, newest first. Records whose
    // picture is missing are left out (and the file is cleaned); thumbnails
    // no record names are removed; every file is made private to the user.
    void load();
    // Stores a new capture and returns its record at once. Thumbnail, picture
    // and record reach the disk in that order in the background; image() and
    // thumbnail() serve them from memory meanwhile.
    ScreenshotItem add(const QImage& image, CaptureKind kind, const QList<AnnotationObject>& annotations = {});
    // Null image when there is none.
    QImage image(const ScreenshotItem& item) const;
    QImage thumbnail(const ScreenshotItem& item) const;
    void updateImage(const QImage& image, const QList<AnnotationObject>& annotations, const ScreenshotItem& item);
    void updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item);
    void toggleFavorite(const ScreenshotItem& item);
    void remove(const ScreenshotItem& item);
    void clearAll(bool keepFavorites);

    // Test seams: the clock used for new records, waiting for background
    // writes, and the writer itself.
    void setClock(std::function<QDateTime()> clock);
    void waitForPendingWrites();
    bool hasPendingImage(const QUuid& id) const { return m_pendingImageCache.contains(id); }
    HistoryWriter& writer() { return m_writer; }

    QString historyFilePath() const;
    // The folder the full-size pictures are in.
    QString picturesFolder() const { return m_folders.screenshotsDirectory(); }

Q_SIGNALS:
    void itemsChanged();

private:
    using CancelFlag = std::shared_ptr<std::atomic_bool>;
    QList<ScreenshotItem> trim();
    void save();
    void writePictureLater(const QUuid& id, const QImage& image, const QString& path);
    void writeThumbnailLater(const QUuid& id, const QImage& thumbnail, const QString& path);
    void pictureWritten(const QUuid& id, qint64 imageKey);
    void thumbnailWritten(const QUuid& id, qint64 imageKey);
    void cancelPendingWrite(const QUuid& id);
    // After the rewrite that dropped the record; files other records still
    // name stay.
    void dropFilesLater(const ScreenshotItem& item, bool toTrash);
    bool namedByAnyRecord(const QString& fileName) const;
    void removeOrphanedThumbnails();
    QString uniqueStem(const QDateTime& date) const;
    // Names from the history file are used only when they cannot point elsewhere.
    QString fullPath(const QString& name) const;
    QString thumbPath(const std::optional<QString>& name) const;

    SettingsManager& m_settings;
    const AppFolders m_folders;
    QList<ScreenshotItem> m_items;
    QHash<QUuid, QImage> m_pendingImageCache;
    QHash<QUuid, QImage> m_pendingThumbnails;
    QHash<QUuid, CancelFlag> m_pendingWrites;
    // Pictures whose write failed: left out of the file. Writer thread only.
    std::shared_ptr<QSet<QString>> m_unwritten = std::make_shared<QSet<QString>>();
    std::function<QDateTime()> m_clock;
    HistoryWriter m_writer;
};
