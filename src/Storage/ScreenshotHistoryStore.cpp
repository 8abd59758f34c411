#include "Storage/ScreenshotHistoryStore.h"

#include "Debug/DebugLog.h"
#include "Settings/SettingsManager.h"
#include "Storage/HistoryFile.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QSaveFile>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

// A full-size PNG being written in the background. Whoever removes, trims or
// replaces the record cancels it; the writer checks the flag under the mutex
// right before it puts the file in place, so the later operation always wins.
struct ScreenshotHistoryStore::PendingWrite {
    QMutex mutex;
    bool cancelled = false;
    QFuture<void> future;
};

namespace {

QThreadPool& writerPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        p->setThreadPriority(QThread::LowPriority);
        return p;
    }();
    return *pool;
}

// Names from the history file are used only when they cannot point elsewhere.
QString pathIn(const QString& folder, const QString& name)
{
    if (!Storage::isPlainFileName(name)) {
        DebugLog::write(QStringLiteral("ScreenshotHistory: unzulässiger Dateiname ignoriert: %1").arg(name));
        return {};
    }
    return folder + QLatin1Char('/') + name;
}

QString fullPath(const QString& name) { return pathIn(Storage::screenshotsDirectory(), name); }
QString thumbPath(const std::optional<QString>& name)
{
    return name ? pathIn(Storage::thumbnailsDirectory(), *name) : QString();
}

bool writeAtomically(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void writeThumbnail(const QImage& thumb, const QString& path)
{
    if (path.isEmpty())
        return;
    const auto png = ImageOps::pngData(thumb);
    if (!png)
        return;
    Storage::ensureDirectory(QFileInfo(path).absolutePath());
    if (!writeAtomically(path, *png))
        DebugLog::write(QStringLiteral("ScreenshotHistory: Vorschau konnte nicht geschrieben werden: %1").arg(path));
}

} // namespace

ScreenshotHistoryStore::ScreenshotHistoryStore(SettingsManager& settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
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
    return Storage::baseDirectory() + QStringLiteral("/screenshots.json");
}

void ScreenshotHistoryStore::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void ScreenshotHistoryStore::waitForPendingWrites()
{
    writerPool().waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void ScreenshotHistoryStore::load()
{
    Storage::ensureDirectories();
    m_items = HistoryFile::read<ScreenshotItem>(historyFilePath(), QStringLiteral("ScreenshotHistory"));
    Q_EMIT itemsChanged();
}

QString ScreenshotHistoryStore::uniqueStem(const QDateTime& date) const
{
    const QString base = Storage::screenshotStem(date, true);
    const auto taken = [this](const QString& stem) {
        const QString file = stem + QStringLiteral(".png");
        const QString thumb = stem + QStringLiteral("_thumb.png");
        if (QFileInfo::exists(Storage::screenshotsDirectory() + QLatin1Char('/') + file)
            || QFileInfo::exists(Storage::thumbnailsDirectory() + QLatin1Char('/') + thumb))
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
    Storage::ensureDirectories();
    const QUuid id = QUuid::createUuid();
    const QString stem = uniqueStem(m_clock());
    const QString fileName = stem + QStringLiteral(".png");
    const QString thumbnailFileName = stem + QStringLiteral("_thumb.png");
    const QString filePath = Storage::screenshotsDirectory() + QLatin1Char('/') + fileName;

    const QImage thumb = kind == CaptureKind::scrolling ? ImageOps::topThumbnail(image, 320, 96.0 / 70.0)
                                                        : ImageOps::thumbnail(image, 320);
    writeThumbnail(thumb, Storage::thumbnailsDirectory() + QLatin1Char('/') + thumbnailFileName);

    m_pendingImageCache.insert(id, image);
    auto write = std::make_shared<PendingWrite>();
    m_pendingWrites.insert(id, write);
    write->future = QtConcurrent::run(&writerPool(), [this, write, image, filePath, id] {
        const auto png = ImageOps::pngData(image);
        if (!png) {
            DebugLog::write(QStringLiteral("ScreenshotHistory: PNG-Kodierung fehlgeschlagen für %1").arg(filePath));
            return;
        }
        QSaveFile file(filePath);
        bool ok = file.open(QIODevice::WriteOnly) && file.write(*png) == png->size();
        {
            QMutexLocker lock(&write->mutex);
            if (write->cancelled) {
                file.cancelWriting();
                return;
            }
            ok = ok && file.commit();
        }
        if (!ok) {
            DebugLog::write(QStringLiteral("ScreenshotHistory: PNG konnte nicht geschrieben werden: %1").arg(filePath));
            return;
        }
        // The destructor waits for every write, so the store is alive here;
        // the call is dropped if it goes before it is delivered.
        QMetaObject::invokeMethod(this, [this, id, write] { pendingWriteFinished(id, write); }, Qt::QueuedConnection);
    });

    ScreenshotItem item;
    item.id = id;
    item.createdAt = m_clock();
    item.fileName = fileName;
    item.thumbnailFileName = thumbnailFileName;
    item.width = image.width();
    item.height = image.height();
    item.captureKind = kind;
    item.isFavorite = false;
    item.annotations = annotations;
    m_items.prepend(item);
    trim();
    save();
    Q_EMIT itemsChanged();
    return item;
}

void ScreenshotHistoryStore::pendingWriteFinished(const QUuid& id, const std::shared_ptr<PendingWrite>& write)
{
    if (m_pendingWrites.value(id) != write)
        return;
    m_pendingWrites.remove(id);
    m_pendingImageCache.remove(id);
}

void ScreenshotHistoryStore::cancelPendingWrite(const QUuid& id)
{
    const auto write = m_pendingWrites.take(id);
    if (!write)
        return;
    QMutexLocker lock(&write->mutex);
    write->cancelled = true;
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
    const auto png = ImageOps::pngData(image);
    const QString path = fullPath(it->fileName);
    if (png && !path.isEmpty()) {
        // The first PNG of a fresh capture must not land over the edited one.
        cancelPendingWrite(it->id);
        m_pendingImageCache.remove(it->id);
        Storage::ensureDirectory(Storage::screenshotsDirectory());
        if (!writeAtomically(path, *png)) {
            DebugLog::write(QStringLiteral("ScreenshotHistory: PNG konnte nicht geschrieben werden: %1").arg(path));
            m_pendingImageCache.insert(it->id, image); // keep serving the edit
        }
    }
    if (it->thumbnailFileName)
        writeThumbnail(ImageOps::thumbnail(image, 320), thumbPath(it->thumbnailFileName));
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

void ScreenshotHistoryStore::dropFiles(const ScreenshotItem& item, bool toTrash)
{
    cancelPendingWrite(item.id);
    m_pendingImageCache.remove(item.id);
    const QString full = fullPath(item.fileName);
    if (toTrash)
        Storage::trashFile(full);
    else
        Storage::deleteFile(full);
    Storage::deleteFile(thumbPath(item.thumbnailFileName));
}

void ScreenshotHistoryStore::remove(const ScreenshotItem& item)
{
    dropFiles(item, true);
    m_items.removeIf([&](const ScreenshotItem& i) { return i.id == item.id; });
    save();
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::clearAll(bool keepFavorites)
{
    QList<ScreenshotItem> kept;
    for (const ScreenshotItem& item : std::as_const(m_items)) {
        if (keepFavorites && item.isFavorite)
            kept.append(item);
        else
            dropFiles(item, false);
    }
    m_items = kept;
    save();
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::trim()
{
    HistoryFile::trim(m_items, m_settings.settings().maxScreenshotItems,
                      [this](const ScreenshotItem& item) { dropFiles(item, false); });
}

void ScreenshotHistoryStore::save()
{
    HistoryFile::write(m_items, historyFilePath(), QStringLiteral("ScreenshotHistory"));
}
