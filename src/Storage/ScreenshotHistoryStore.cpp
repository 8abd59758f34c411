#include "Storage/ScreenshotHistoryStore.h"

#include "Debug/DebugLog.h"
#include "Storage/HistoryFile.h"
#include "Storage/SettingsManager.h"
#include "Storage/Storage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>

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

// The stem new names of an edited picture are made from: its capture's stem
// without the number an earlier edit or a same-millisecond capture added.
QString editBase(const QString& fileName)
{
    static const QRegularExpression numbered(
        QStringLiteral("^(Zentu\\.it_Screenshot_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d-\\d{3})(-\\d+)?\\.png$"));
    const QRegularExpressionMatch m = numbered.match(fileName);
    if (m.hasMatch())
        return m.captured(1);
    return fileName.endsWith(QLatin1String(".png")) ? fileName.chopped(4) : fileName;
}

} // namespace

ScreenshotHistoryStore::ScreenshotHistoryStore(SettingsManager& settings, AppFolders folders, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_folders(std::move(folders))
    , m_clock([] { return QDateTime::currentDateTime(); })
    , m_disk(m_folders, m_folders.baseDirectory() + QStringLiteral("/screenshots.json"))
{
    connect(&m_disk, &HistoryDisk::fileWritten, this, &ScreenshotHistoryStore::fileWritten);
    connect(&m_disk, &HistoryDisk::outcome, this, &ScreenshotHistoryStore::writeOutcome);
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

QStringList ScreenshotHistoryStore::needs(const ScreenshotItem& item) const
{
    QStringList paths{fullPath(item.fileName)};
    if (const QString thumb = thumbPath(item.thumbnailFileName); !thumb.isEmpty())
        paths.append(thumb);
    return paths;
}

void ScreenshotHistoryStore::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void ScreenshotHistoryStore::waitForPendingWrites()
{
    m_disk.waitUntilIdle();
}

bool ScreenshotHistoryStore::hasUnwrittenChanges() const
{
    return m_disk.hasUnwrittenChanges();
}

void ScreenshotHistoryStore::load()
{
    m_disk.waitUntilIdle();
    m_folders.ensureDirectories();
    Storage::makePrivate(historyFilePath());
    Storage::makeFilesPrivate(m_folders.screenshotsDirectory());
    Storage::makeFilesPrivate(m_folders.thumbnailsDirectory());
    removeStaleFiles();
    HistoryDisk::Files files;
    if (!m_disk.read(files, logArea)) {
        Q_EMIT historyUnreadable(historyFilePath(), m_disk.unreadableError());
        return;
    }
    loadFiles(files, {});
}

void ScreenshotHistoryStore::loadFiles(HistoryDisk::Files& files, QList<ScreenshotItem> added)
{
    // A record without its picture would show a tile whose Copy and Edit do
    // nothing; one whose folder may not be looked into is kept.
    auto contents = HistoryFile::read<ScreenshotItem>(m_folders.files(), historyFilePath(), files, logArea,
                                                      [this](const ScreenshotItem& item) {
        const QString full = fullPath(item.fileName);
        if (!full.isEmpty() && Storage::presence(full) != Storage::Presence::absent)
            return true;
        DebugLog::write(QStringLiteral("ScreenshotHistory: Bild fehlt, Eintrag übersprungen: %1").arg(item.fileName));
        return false;
    });
    m_items = contents.items;
    m_disk.resume(files);
    // What a kill kept the journal's changes from deleting (never taken
    // back): gone before the journal is folded, which still names the rest.
    QList<HistoryJournal::Drop> unnamed;
    QSet<QString> letGo;
    for (const HistoryJournal::Drop& drop : std::as_const(contents.drops))
        if (!namedByAnyRecord(QFileInfo(drop.path).fileName())) {
            unnamed.append(drop);
            letGo.insert(QFileInfo(drop.path).fileName());
        }
    m_disk.deleteFiles(unnamed);
    if (contents.rewrite)
        m_disk.replace(HistoryFile::text(m_items));
    // Records made while the file could not be read join it, oldest first.
    std::stable_sort(added.begin(), added.end(), [](const auto& a, const auto& b) { return a.createdAt < b.createdAt; });
    for (const ScreenshotItem& item : std::as_const(added)) {
        m_items.prepend(item);
        recordChange(item, true);
    }
    std::stable_sort(m_items.begin(), m_items.end(), [](const auto& a, const auto& b) { return a.createdAt > b.createdAt; });
    recoverPictures(letGo);
    removeOrphanedThumbnails();
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::removeStaleFiles()
{
    // Temporary files of writes a kill cut short.
    const auto sweep = [](const QString& folder, const QStringList& patterns) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System))
            if (AtomicFile::isTemporaryName(name))
                QFile::remove(dir.filePath(name));
    };
    sweep(m_folders.baseDirectory(), {QStringLiteral(".screenshots.json*")});
    sweep(m_folders.screenshotsDirectory(), {QStringLiteral(".*")});
    sweep(m_folders.thumbnailsDirectory(), {QStringLiteral(".*")});
}

void ScreenshotHistoryStore::recoverPictures(const QSet<QString>& letGo)
{
    // A picture without its record (the record was not written before a
    // kill, the history could not be read, the file was lost) is taken back;
    // one a change let go (the picture an edit replaced) is not.
    QSet<QString> named = letGo;
    for (const ScreenshotItem& item : std::as_const(m_items))
        named.insert(item.fileName);
    const QDir folder(m_folders.screenshotsDirectory());
    QList<ScreenshotItem> recovered;
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        if (named.contains(file.fileName()))
            continue;
        const ImageOps::Read read = ImageOps::readImage(file.filePath());
        if (read.image.isNull()) {
            if (read.problem == ImageOps::ReadProblem::damaged) {
                const QString aside = Storage::moveAside(m_folders.files(), file.filePath());
                DebugLog::write(QStringLiteral("ScreenshotHistory: Bild ohne Eintrag nicht lesbar, beiseitegelegt: %1")
                                    .arg(aside.isEmpty() ? file.fileName() : aside));
            }
            continue;
        }
        ScreenshotItem item;
        item.id = QUuid::createUuid();
        item.createdAt = Storage::screenshotDate(file.fileName()).value_or(file.lastModified());
        item.fileName = file.fileName();
        item.thumbnailFileName = uniqueStem(file.completeBaseName()) + QStringLiteral("_thumb.png");
        item.width = read.image.width();
        item.height = read.image.height();
        item.captureKind = CaptureKind::area;
        const QImage thumb = ImageOps::thumbnail(read.image, 320);
        m_pendingThumbnails.insert(item.id, thumb);
        writeThumbnail(item.id, thumb, m_folders.thumbnailsDirectory() + QLatin1Char('/') + *item.thumbnailFileName);
        recovered.append(item);
        named.insert(item.fileName);
        DebugLog::write(QStringLiteral("ScreenshotHistory: Bild ohne Eintrag wieder aufgenommen: %1").arg(item.fileName));
    }
    if (recovered.isEmpty())
        return;
    std::stable_sort(recovered.begin(), recovered.end(), [](const auto& a, const auto& b) { return a.createdAt < b.createdAt; });
    for (const ScreenshotItem& item : std::as_const(recovered)) {
        m_items.append(item);
        recordChange(item, true);
    }
    std::stable_sort(m_items.begin(), m_items.end(), [](const auto& a, const auto& b) { return a.createdAt > b.createdAt; });
}

void ScreenshotHistoryStore::removeOrphanedThumbnails()
{
    // A kill between a capture's thumbnail and its record leaves the
    // thumbnail behind; nothing else would ever remove it. (A full-size
    // picture without its record is taken back instead.)
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

QString ScreenshotHistoryStore::uniqueStem(const QString& base) const
{
    const auto taken = [this](const QString& stem) {
        const QString file = stem + QStringLiteral(".png");
        const QString thumb = stem + QStringLiteral("_thumb.png");
        const QString filePath = m_folders.screenshotsDirectory() + QLatin1Char('/') + file;
        const QString thumbPath = m_folders.thumbnailsDirectory() + QLatin1Char('/') + thumb;
        return Storage::presence(filePath) != Storage::Presence::absent
            || Storage::presence(thumbPath) != Storage::Presence::absent || m_pendingPaths.contains(filePath)
            || m_pendingPaths.contains(thumbPath) || namedByAnyRecord(file) || namedByAnyRecord(thumb);
    };
    QString stem = base;
    for (int n = 2; taken(stem); ++n)
        stem = base + QLatin1Char('-') + QString::number(n);
    return stem;
}

void ScreenshotHistoryStore::recordChange(const ScreenshotItem& item, bool front, QList<HistoryJournal::Drop> drops)
{
    m_disk.change({front ? HistoryJournal::Change::Kind::put : HistoryJournal::Change::Kind::set,
                   HistoryFile::idText(item.id), item.toJson(), needs(item), std::move(drops)});
}

void ScreenshotHistoryStore::writePicture(const QUuid& id, const QString& path, HistoryDisk::Data data)
{
    // An earlier version not written yet is not written at all.
    cancelPendingWrite(id);
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_pendingPictures.insert(id, {path, cancelled});
    m_pendingPaths.insert(path, id);
    m_disk.writeFile(path, std::move(data), cancelled);
}

void ScreenshotHistoryStore::writeThumbnail(const QUuid& id, const QImage& thumbnail, const QString& path)
{
    m_pendingPaths.insert(path, id);
    m_disk.writeFile(path, [thumbnail] { return ImageOps::pngData(thumbnail); });
}

ScreenshotItem ScreenshotHistoryStore::add(const QImage& image, CaptureKind kind,
                                           const QList<AnnotationObject>& annotations, std::optional<PngData> png,
                                           Stored stored)
{
    m_folders.ensureDirectories();
    ScreenshotItem item;
    item.id = QUuid::createUuid();
    const QString stem = uniqueStem(Storage::screenshotStem(m_clock(), true));
    item.fileName = stem + QStringLiteral(".png");
    item.thumbnailFileName = stem + QStringLiteral("_thumb.png");
    item.width = image.width();
    item.height = image.height();
    item.captureKind = kind;
    item.isFavorite = false;
    item.annotations = annotations;

    if (stored)
        m_announcements.insert(item.id, {2, {}, std::move(stored)});
    const QImage thumb = kind == CaptureKind::scrolling ? ImageOps::topThumbnail(image, 320, 96.0 / 70.0)
                                                        : ImageOps::thumbnail(image, 320);
    m_pendingThumbnails.insert(item.id, thumb);
    writeThumbnail(item.id, thumb, m_folders.thumbnailsDirectory() + QLatin1Char('/') + *item.thumbnailFileName);
    m_pendingImageCache.insert(item.id, image);
    HistoryDisk::Data data = [image] { return ImageOps::pngData(image); };
    if (png)
        data = [png = *png]() mutable { return png.result(); };
    writePicture(item.id, m_folders.screenshotsDirectory() + QLatin1Char('/') + item.fileName, std::move(data));

    item.createdAt = m_clock();
    m_items.prepend(item);
    const QList<ScreenshotItem> dropped = trim();
    recordChange(item, true);
    for (const ScreenshotItem& gone : dropped)
        dropRecord(gone, false);
    Q_EMIT itemsChanged();
    return item;
}

void ScreenshotHistoryStore::fileWritten(const FileWriteOutcome& outcome)
{
    const QUuid id = m_pendingPaths.value(outcome.path);
    if (id.isNull())
        return;
    if (outcome.ok()) {
        m_pendingPaths.remove(outcome.path);
        if (m_pendingPictures.value(id).path == outcome.path)
            m_pendingPictures.remove(id);
        // Served from memory until every file of its latest version is written.
        if (std::find(m_pendingPaths.cbegin(), m_pendingPaths.cend(), id) == m_pendingPaths.cend()) {
            m_pendingImageCache.remove(id);
            m_pendingThumbnails.remove(id);
        }
        releaseEmptyTables();
    }
    const auto announcement = m_announcements.find(id);
    if (announcement == m_announcements.end())
        return;
    if (!outcome.ok() && announcement->first.ok())
        announcement->first = outcome;
    if (--announcement->awaiting > 0)
        return;
    const Announcement done = *announcement;
    m_announcements.erase(announcement);
    releaseEmptyTables();
    if (!done.first.ok())
        DebugLog::write(QStringLiteral("ScreenshotHistory: Aufnahme nicht gespeichert: %1").arg(done.first.describe()));
    done.stored(done.first.ok() ? outcome : done.first);
}

void ScreenshotHistoryStore::cancelPendingWrite(const QUuid& id)
{
    const PendingPicture pending = m_pendingPictures.take(id);
    if (pending.cancelled)
        *pending.cancelled = true;
    m_pendingPaths.remove(pending.path);
    releaseEmptyTables();
}

// An emptied table keeps the room its busiest moment needed; an empty one
// lets it go, so what a capture made room for does not stay behind among the
// heap pages its editor frees.
void ScreenshotHistoryStore::releaseEmptyTables()
{
    const auto release = [](auto& table) {
        if (table.isEmpty())
            table.clear();
    };
    release(m_pendingImageCache);
    release(m_pendingThumbnails);
    release(m_pendingPaths);
    release(m_pendingPictures);
    release(m_announcements);
}

ImageOps::Read ScreenshotHistoryStore::readImage(const ScreenshotItem& item) const
{
    const auto cached = m_pendingImageCache.constFind(item.id);
    if (cached != m_pendingImageCache.constEnd())
        return {*cached, ImageOps::ReadProblem::none};
    const QString path = fullPath(item.fileName);
    if (path.isEmpty())
        return {{}, ImageOps::ReadProblem::missing};
    return ImageOps::readImage(path);
}

QImage ScreenshotHistoryStore::image(const ScreenshotItem& item) const
{
    return readImage(item).image;
}

QImage ScreenshotHistoryStore::thumbnail(const ScreenshotItem& item) const
{
    const auto pending = m_pendingThumbnails.constFind(item.id);
    if (pending != m_pendingThumbnails.constEnd() && !pending->isNull())
        return *pending;
    if (const QString path = thumbPath(item.thumbnailFileName); !path.isEmpty()) {
        const QImage thumb = ImageOps::readImage(path).image;
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
    if (image.isNull() || fullPath(it->fileName).isEmpty()) {
        updateAnnotations(annotations, item);
        return;
    }
    // Under new names: the old picture stays whole until the record names the new one.
    const ScreenshotItem before = *it;
    const QString stem = uniqueStem(editBase(it->fileName));
    it->fileName = stem + QStringLiteral(".png");
    if (it->thumbnailFileName)
        it->thumbnailFileName = stem + QStringLiteral("_thumb.png");
    it->width = image.width();
    it->height = image.height();
    it->annotations = annotations;
    m_pendingImageCache.insert(it->id, image);
    // A capture edited before its first picture was written is announced
    // once the edited one is.
    if (const auto announcement = m_announcements.find(it->id); announcement != m_announcements.end())
        announcement->awaiting = it->thumbnailFileName ? 2 : 1;
    if (it->thumbnailFileName) {
        const QImage small = ImageOps::thumbnail(image, 320);
        m_pendingThumbnails.insert(it->id, small);
        writeThumbnail(it->id, small, thumbPath(it->thumbnailFileName));
    } else {
        m_pendingThumbnails.remove(it->id);
    }
    writePicture(it->id, fullPath(it->fileName), [image] { return ImageOps::pngData(image); });
    QList<HistoryJournal::Drop> drops;
    if (!namedByAnyRecord(before.fileName))
        drops.append({fullPath(before.fileName), false});
    if (const QString thumb = thumbPath(before.thumbnailFileName); !thumb.isEmpty() && !namedByAnyRecord(*before.thumbnailFileName))
        drops.append({thumb, false});
    recordChange(*it, false, drops);
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const ScreenshotItem& i) { return i.id == item.id; });
    if (it == m_items.end())
        return;
    it->annotations = annotations;
    recordChange(*it, false);
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::toggleFavorite(const ScreenshotItem& item)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const ScreenshotItem& i) { return i.id == item.id; });
    if (it == m_items.end())
        return;
    it->isFavorite = !it->isFavorite;
    recordChange(*it, false);
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::dropRecord(const ScreenshotItem& item, bool toTrash)
{
    // A picture still being written is written and then deleted: were it
    // skipped, changes queued before this one would wait for it and reach the
    // disk after later ones.
    m_pendingPictures.remove(item.id);
    m_pendingImageCache.remove(item.id);
    m_pendingThumbnails.remove(item.id);
    m_announcements.remove(item.id);
    m_pendingPaths.removeIf([&](const auto& entry) { return entry.value() == item.id; });
    releaseEmptyTables();
    // A file another record still names stays (two records of one picture,
    // say after an edit by hand).
    QList<HistoryJournal::Drop> drops;
    if (const QString full = fullPath(item.fileName); !full.isEmpty() && !namedByAnyRecord(item.fileName))
        drops.append({full, toTrash});
    if (const QString thumb = thumbPath(item.thumbnailFileName); !thumb.isEmpty() && !namedByAnyRecord(*item.thumbnailFileName))
        drops.append({thumb, false});
    m_disk.change({HistoryJournal::Change::Kind::remove, HistoryFile::idText(item.id), {}, {}, drops});
}

void ScreenshotHistoryStore::remove(const ScreenshotItem& item)
{
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(), [&](const ScreenshotItem& i) { return i.id == item.id; });
    const ScreenshotItem current = it != m_items.cend() ? *it : item;
    m_items.removeIf([&](const ScreenshotItem& i) { return i.id == item.id; });
    dropRecord(current, true);
    // Files the argument names go too, when no record names them.
    if (current.fileName != item.fileName || current.thumbnailFileName != item.thumbnailFileName) {
        QList<HistoryJournal::Drop> drops;
        if (const QString full = fullPath(item.fileName); !full.isEmpty() && !namedByAnyRecord(item.fileName))
            drops.append({full, true});
        if (const QString thumb = thumbPath(item.thumbnailFileName); !thumb.isEmpty() && !namedByAnyRecord(*item.thumbnailFileName))
            drops.append({thumb, false});
        m_disk.deleteFiles(drops);
    }
    Q_EMIT itemsChanged();
}

void ScreenshotHistoryStore::clearAll(bool keepFavorites)
{
    QList<ScreenshotItem> kept;
    QList<ScreenshotItem> dropped;
    for (const ScreenshotItem& item : std::as_const(m_items))
        (keepFavorites && item.isFavorite ? kept : dropped).append(item);
    m_items = kept;
    for (const ScreenshotItem& item : std::as_const(dropped))
        dropRecord(item, false);
    Q_EMIT itemsChanged();
}

QList<ScreenshotItem> ScreenshotHistoryStore::trim()
{
    QList<ScreenshotItem> dropped;
    HistoryFile::trim(m_items, m_settings.settings().maxScreenshotItems,
                      [&dropped](const ScreenshotItem& item) { dropped.append(item); });
    return dropped;
}

void ScreenshotHistoryStore::retryWrites()
{
    HistoryFile::readAgain(m_disk, m_items, historyFilePath(), logArea,
                           [this](HistoryDisk::Files& files, const QList<ScreenshotItem>& added) { loadFiles(files, added); });
    m_disk.retry();
}
