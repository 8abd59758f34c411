#pragma once
// The screenshot history: full-size PNGs in Screenshots/, thumbnails in
// Thumbnails/, one record per capture in screenshots.json. Memory is the master
// after loading; every change rewrites the whole file. Main thread only; the one
// background step is writing a new capture's full-size PNG.
#include "Models/AnnotationObject.h"
#include "Models/CoreTypes.h"
#include "Models/ScreenshotItem.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QUuid>
#include <functional>
#include <memory>

class SettingsManager;

class ScreenshotHistoryStore : public QObject {
    Q_OBJECT
public:
    // Loads screenshots.json at once.
    explicit ScreenshotHistoryStore(SettingsManager& settings, QObject* parent = nullptr);
    ~ScreenshotHistoryStore() override;

    const QList<ScreenshotItem>& items() const { return m_items; }

    // Replaces the items with the file's content, newest first.
    void load();
    // Stores a new capture: thumbnail and record at once, the full-size PNG in
    // the background (image() serves the image meanwhile).
    ScreenshotItem add(const QImage& image, CaptureKind kind, const QList<AnnotationObject>& annotations = {});
    // Null image when there is none.
    QImage image(const ScreenshotItem& item) const;
    QImage thumbnail(const ScreenshotItem& item) const;
    void updateImage(const QImage& image, const QList<AnnotationObject>& annotations, const ScreenshotItem& item);
    void updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item);
    void toggleFavorite(const ScreenshotItem& item);
    void remove(const ScreenshotItem& item);
    void clearAll(bool keepFavorites);

    // Test seams: the clock used for new records, and waiting for background writes.
    void setClock(std::function<QDateTime()> clock);
    void waitForPendingWrites();
    bool hasPendingImage(const QUuid& id) const { return m_pendingImageCache.contains(id); }

    QString historyFilePath() const;

Q_SIGNALS:
    void itemsChanged();

private:
    struct PendingWrite;
    void trim();
    void save();
    void cancelPendingWrite(const QUuid& id);
    void dropFiles(const ScreenshotItem& item, bool toTrash);
    QString uniqueStem(const QDateTime& date) const;
    void pendingWriteFinished(const QUuid& id, const std::shared_ptr<PendingWrite>& write);

    SettingsManager& m_settings;
    QList<ScreenshotItem> m_items;
    QHash<QUuid, QImage> m_pendingImageCache;
    QHash<QUuid, std::shared_ptr<PendingWrite>> m_pendingWrites;
    std::function<QDateTime()> m_clock;
};
