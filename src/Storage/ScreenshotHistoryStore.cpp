#include "Storage/ScreenshotHistoryStore.h"

#include "Debug/DebugLog.h"
#include "Storage/SettingsManager.h"
#include "Storage/HistoryFile.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString logArea = QStringLiteral("ScreenshotHistory");

// Names from the history file are used only when they cannot point elsewhere.
QString pathIn(const QString& folder, const QString& name)
{
    if (!Storage::isPlainFileName(name)) {
        DebugLog::write(QStringLiteral("ScreenshotHistory: unzulässiger Dateiname ignoriert: %1").arg(name));
        return {};
    }
    return folder + QLatin1Char('/') + name;
}

} // namespace

ScreenshotHistoryStore::ScreenshotHistoryStore(SettingsManager& settings, AppFolders folders, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_folders(std::move(folders))
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    load();
}

ScreenshotHistoryStore::~ScreenshotHistoryStore()
{
    // A capture taken just before quitting still reaches the disk.
    waitForPendingWrites();
}

QString ScreenshotHistoryStore::historyFilePath() const
{
    return m_folders.baseDirectory() + QStringLiteral("/screenshots.json");
}

QString ScreenshotHistoryStore::fullPath(const QString& name) const
{
    return pathIn(m_folders.screenshotsDirectory(), name);
}

QString ScreenshotHistoryStore::thumbPath(const std::optional<QString>& name) const
{
    return name ? pathIn(m_folders.thumbnailsDirectory(), *name) : QString();
}

void ScreenshotHistoryStore::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void ScreenshotHistoryStore::waitForPendingWrites()
{
    m_writer.waitUntilIdle();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void ScreenshotHistoryStore::load()
{
    m_writer.waitUntilIdle();
    m_folders.ensureDirectories();
    const QString path = historyFilePath();
    Storage::makePrivate(path);
    Storage::makeFilesPrivate(m_folders.screenshotsDirectory());
    Storage::makeFilesPrivate(m_folders.thumbnailsDirectory());
    bool skipped = false;
    // A record without its picture would show a tile whose Copy and Edit do nothing.
    m_items = HistoryFile::read<ScreenshotItem>(path, logArea, [this](const ScreenshotItem& item) {
        const QString full = fullPath(item.fileName);
        if (!full.isEmpty() && QFileInfo::exists(full))
            return true;
        DebugLog::write(QStringLiteral("ScreenshotHistory: Bild fehlt, Eintrag übersprungen: %1").arg(item.fileName));
        return false;
    }, &skipped);
    if (skipped)
        save();
    removeOrphanedThumbnails();
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::removeOrphanedThumbnails()
{
    // A kill between a capture's thumbnail and its record leaves the
    // thumbnail behind; nothing else would ever remove it. (A full-size
    // picture without its record stays: it may be the only copy of a capture.)
    QSet<QString> named;
    for (const ScreenshotItem& item : std::as_const(m_items))
        if (item.thumbnailFileName)
            named.insert(*item.thumbnailFileName);
    int removed = 0;
    const QDir thumbnails(m_folders.thumbnailsDirectory());
    for (const QString& name : thumbnails.entryList({QStringLiteral("*_thumb.png")}, QDir::Files | QDir::System))
        if (!named.contains(name) && QFile::remove(thumbnails.filePath(name)))
            ++removed;
    if (removed)
        DebugLog::write(QStringLiteral("ScreenshotHistory: %1 verwaiste Vorschauen entfernt").arg(removed));
}

bool ScreenshotHistoryStore::namedByAnyRecord(const QString& fileName) const
{
    return std::any_of(m_items.cbegin(), m_items.cend(), [&](const ScreenshotItem& i) {
        return i.fileName == fileName || i.thumbnailFileName == fileName;
    });
}

QString ScreenshotHistoryStore::uniqueStem(const QDateTime& date) const
{
    const QString base = Storage::screenshotStem(date, true);
    const auto taken = [this](const QString& stem) {
        const QString file = stem + QStringLiteral(".png");
        const QString thumb = stem + QStringLiteral("_thumb.png");
        if (QFileInfo::exists(m_folders.screenshotsDirectory() + QLatin1Char('/') + file)
            || QFileInfo::exists(m_folders.thumbnailsDirectory() + QLatin1Char('/') + thumb))
            return true;
        return std::any_of(m_items.begin(), m_items.end(), [&](const ScreenshotItem& i) {
            return i.fileName == file || i.thumbnailFileName == thumb;
        });
    };
    QString stem = base;
    for (int n = 2; taken(stem); ++n)
        stem = base + QLatin1Char('-') + QString::number(n);
    return stem;
}

ScreenshotItem ScreenshotHistoryStore::add(const QImage& image, CaptureKind kind,
                                           const QList<AnnotationObject>& annotations)
{
    m_folders.ensureDirectories();
    ScreenshotItem item;
    item.id = QUuid::createUuid();
    const QString stem = uniqueStem(m_clock());
    item.fileName = stem + QStringLiteral(".png");
    item.thumbnailFileName = stem + QStringLiteral("_thumb.png");
    item.width = image.width();
    item.height = image.height();
    item.captureKind = kind;
    item.isFavorite = false;
    item.annotations = annotations;

    const QImage thumb = kind == CaptureKind::scrolling ? ImageOps::topThumbnail(image, 320, 96.0 / 70.0)
                                                        : ImageOps::thumbnail(image, 320);
    m_pendingThumbnails.insert(item.id, thumb);
    writeThumbnailLater(item.id, thumb, m_folders.thumbnailsDirectory() + QLatin1Char('/') + *item.thumbnailFileName);
    m_pendingImageCache.insert(item.id, image);
    writePictureLater(item.id, image, m_folders.screenshotsDirectory() + QLatin1Char('/') + item.fileName);

    item.createdAt = m_clock();
    m_items.prepend(item);
    const QList<ScreenshotItem> dropped = trim();
    save();
    for (const ScreenshotItem& gone : dropped)
        dropFilesLater(gone, false);
    Q_EMIT itemsChanged();
    return item;
}

void ScreenshotHistoryStore::writePictureLater(const QUuid& id, const QImage& image, const QString& path)
{
    cancelPendingWrite(id);
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_pendingWrites.insert(id, cancelled);
    const qint64 key = image.cacheKey();
    m_writer.add([this, id, image, path, key, cancelled, unwritten = m_unwritten] {
        // A later edit or removal is queued behind this job and wins anyway;
        // the flag only saves the encoding.
        if (*cancelled)
            return;
        const QString name = QFileInfo(path).fileName();
        const auto png = ImageOps::pngData(image);
        if (!png)
            DebugLog::write(QStringLiteral("ScreenshotHistory: PNG-Kodierung fehlgeschlagen für %1").arg(path));
        else if (!Storage::writeFileAtomically(path, *png))
            DebugLog::write(QStringLiteral("ScreenshotHistory: PNG konnte nicht geschrieben werden: %1").arg(path));
        if (!png || !QFileInfo::exists(path)) {
            // Served from memory until quit; the file never names it.
            unwritten->insert(name);
            return;
        }
        unwritten->remove(name);
        // Delivered only while the store lives (its destructor waits for this job).
        QMetaObject::invokeMethod(this, [this, id, key] { pictureWritten(id, key); }, Qt::QueuedConnection);
    });
}

void ScreenshotHistoryStore::writeThumbnailLater(const QUuid& id, const QImage& thumbnail, const QString& path)
{
    const qint64 key = thumbnail.cacheKey();
    m_writer.add([this, id, thumbnail, path, key] {
        const auto png = ImageOps::pngData(thumbnail);
        if (png && !Storage::writeFileAtomically(path, *png))
            DebugLog::write(QStringLiteral("ScreenshotHistory: Vorschau konnte nicht geschrieben werden: %1").arg(path));
        // Written or not, from now on the file or the full image stands in.
        QMetaObject::invokeMethod(this, [this, id, key] { thumbnailWritten(id, key); }, Qt::QueuedConnection);
    });
}

void ScreenshotHistoryStore::pictureWritten(const QUuid& id, qint64 imageKey)
{
    // An edit made meanwhile keeps its own copy until its own write.
    if (m_pendingImageCache.value(id).cacheKey() != imageKey)
        return;
    m_pendingImageCache.remove(id);
    m_pendingWrites.remove(id);
}

void ScreenshotHistoryStore::thumbnailWritten(const QUuid& id, qint64 imageKey)
{
    if (m_pendingThumbnails.value(id).cacheKey() == imageKey)
        m_pendingThumbnails.remove(id);
}

void ScreenshotHistoryStore::cancelPendingWrite(const QUuid& id)
{
    if (const CancelFlag flag = m_pendingWrites.take(id))
        *flag = true;
}

QImage ScreenshotHistoryStore::image(const ScreenshotItem& item) const
{
    const auto cached = m_pendingImageCache.constFind(item.id);
    if (cached != m_pendingImageCache.constEnd())
        return *cached;
    const QString path = fullPath(item.fileName);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    return QImage(path);
}

QImage ScreenshotHistoryStore::thumbnail(const ScreenshotItem& item) const
{
    const auto pending = m_pendingThumbnails.constFind(item.id);
    if (pending != m_pendingThumbnails.constEnd() && !pending->isNull())
        return *pending;
    const QString path = thumbPath(item.thumbnailFileName);
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        const QImage thumb(path);
        if (!thumb.isNull())
            return thumb;
    }
    return image(item);
}

void ScreenshotHistoryStore::updateImage(const QImage& image, const QList<AnnotationObject>& annotations,
                                         const ScreenshotItem& item)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const ScreenshotItem& i) { return i.id == item.id; });
    if (it == m_items.end())
        return;
    const QString path = fullPath(it->fileName);
    if (!image.isNull() && !path.isEmpty()) {
        // Served at once; queued behind the first write, so the edit lands last.
        m_pendingImageCache.insert(it->id, image);
        writePictureLater(it->id, image, path);
    }
    if (const QString thumb = thumbPath(it->thumbnailFileName); !thumb.isEmpty()) {
        const QImage small = ImageOps::thumbnail(image, 320);
        m_pendingThumbnails.insert(it->id, small);
        writeThumbnailLater(it->id, small, thumb);
    }
    it->width = image.width();
    it->height = image.height();
    it->annotations = annotations;
    save();
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const ScreenshotItem& i) { return i.id == item.id; });
    if (it == m_items.end())
        return;
    it->annotations = annotations;
    save();
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::toggleFavorite(const ScreenshotItem& item)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const ScreenshotItem& i) { return i.id == item.id; });
    if (it == m_items.end())
        return;
    it->isFavorite = !it->isFavorite;
    save();
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::dropFilesLater(const ScreenshotItem& item, bool toTrash)
{
    cancelPendingWrite(item.id);
    m_pendingImageCache.remove(item.id);
    m_pendingThumbnails.remove(item.id);
    // A file another record still names stays (two records of one picture,
    // say after an edit by hand).
    const QString full = namedByAnyRecord(item.fileName) ? QString() : fullPath(item.fileName);
    const QString thumb = item.thumbnailFileName && namedByAnyRecord(*item.thumbnailFileName)
        ? QString() : thumbPath(item.thumbnailFileName);
    m_writer.add([full, thumb, toTrash, folders = m_folders] {
        if (toTrash)
            Storage::trashFile(folders.paths(), full);
        else
            Storage::deleteFile(full);
        Storage::deleteFile(thumb);
    });
}

void ScreenshotHistoryStore::remove(const ScreenshotItem& item)
{
    m_items.removeIf([&](const ScreenshotItem& i) { return i.id == item.id; });
    save();
    dropFilesLater(item, true);
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::clearAll(bool keepFavorites)
{
    QList<ScreenshotItem> kept;
    QList<ScreenshotItem> dropped;
    for (const ScreenshotItem& item : std::as_const(m_items))
        (keepFavorites && item.isFavorite ? kept : dropped).append(item);
    m_items = kept;
    save();
    for (const ScreenshotItem& item : std::as_const(dropped))
        dropFilesLater(item, false);
    Q_EMIT itemsChanged();
}

QList<ScreenshotItem> ScreenshotHistoryStore::trim()
{
    QList<ScreenshotItem> dropped;
    HistoryFile::trim(m_items, m_settings.settings().maxScreenshotItems,
                      [&dropped](const ScreenshotItem& item) { dropped.append(item); });
    return dropped;
}

void ScreenshotHistoryStore::save()
{
    m_writer.addRewrite([items = m_items, path = historyFilePath(), unwritten = m_unwritten] {
        QList<ScreenshotItem> onDisk = items;
        onDisk.removeIf([&](const ScreenshotItem& i) { return unwritten->contains(i.fileName); });
        HistoryFile::write(onDisk, path, logArea);
    });
}
