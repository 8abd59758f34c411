#include "Storage/ClipboardHistoryStore.h"

#include "Debug/DebugLog.h"
#include "Models/JsonDecoder.h"
#include "Platform/ClipboardService.h"
#include "Platform/FileCalls.h"
#include "Storage/SettingsManager.h"
#include "Storage/HistoryFile.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

const QString logArea = QStringLiteral("ClipboardHistory");

// The first n user-perceived characters.
QString firstCharacters(const QString& text, int n)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    qsizetype end = 0;
    while (count < n) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return text;
        end = next;
        ++count;
    }
    return text.left(end);
}

} // namespace

ClipboardHistoryStore::ClipboardHistoryStore(SettingsManager& settings, ClipboardService& clipboard, AppFolders folders,
                                             QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_clipboard(clipboard)
    , m_folders(std::move(folders))
    , m_disk(m_folders, m_folders.baseDirectory() + QStringLiteral("/clipboard.json"))
{
    connect(&m_disk, &HistoryDisk::fileWritten, this, &ClipboardHistoryStore::imageWritten);
    connect(&m_disk, &HistoryDisk::outcome, this, &ClipboardHistoryStore::writeOutcome);
    m_folders.ensureDirectories();
    load();
}

ClipboardHistoryStore::~ClipboardHistoryStore()
{
    waitForPendingWrites();
}

QString ClipboardHistoryStore::historyFilePath() const
{
    return m_folders.baseDirectory() + QStringLiteral("/clipboard.json");
}

QString ClipboardHistoryStore::sha256Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

void ClipboardHistoryStore::waitForPendingWrites()
{
    m_disk.waitUntilIdle();
}

void ClipboardHistoryStore::load()
{
    const QString path = historyFilePath();
    Storage::makePrivate(path);
    Storage::makeFilesPrivate(m_folders.clipboardImagesDirectory());
    HistoryDisk::Files files;
    if (!m_disk.read(files, logArea)) {
        Q_EMIT historyUnreadable(path, m_disk.unreadableError());
        return;
    }
    loadFiles(files, {});
}

void ClipboardHistoryStore::loadFiles(HistoryDisk::Files& files, QList<ClipboardItem> added)
{
    // An image entry without its picture could never be copied back; one
    // whose folder may not be looked into is kept.
    auto contents = HistoryFile::read<ClipboardItem>(m_folders.files(), historyFilePath(), files, logArea,
                                                     [this](const ClipboardItem& item) {
        if (item.type != ClipboardItemType::image)
            return true;
        const QString file = imagePath(item);
        if (!file.isEmpty() && Storage::presence(file) != Storage::Presence::absent)
            return true;
        DebugLog::write(QStringLiteral("ClipboardHistory: Bild fehlt, Eintrag übersprungen: %1")
                            .arg(item.imageFileName.value_or(QString())));
        return false;
    });
    m_items = contents.items;
    m_disk.resume(files);
    // What a kill kept the journal's changes from deleting, before the
    // journal is folded.
    QList<HistoryJournal::Drop> unnamed;
    for (const HistoryJournal::Drop& drop : std::as_const(contents.drops)) {
        const QString name = QFileInfo(drop.path).fileName();
        if (std::none_of(m_items.cbegin(), m_items.cend(), [&](const ClipboardItem& i) { return i.imageFileName == name; }))
            unnamed.append(drop);
    }
    m_disk.deleteFiles(unnamed);
    if (contents.rewrite)
        m_disk.replace(HistoryFile::text(m_items));
    // Entries made while the file could not be read join it, oldest first.
    for (auto it = added.crbegin(); it != added.crend(); ++it) {
        m_items.prepend(*it);
        recordChange(*it, true);
    }
    std::stable_sort(m_items.begin(), m_items.end(), [](const auto& a, const auto& b) { return a.createdAt > b.createdAt; });
    m_contentCounts.clear();
    for (const ClipboardItem& item : std::as_const(m_items))
        ++m_contentCounts[item.contentHash];
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::forget(const ClipboardItem& item)
{
    if (--m_contentCounts[item.contentHash] <= 0)
        m_contentCounts.remove(item.contentHash);
}

void ClipboardHistoryStore::retryWrites()
{
    HistoryFile::readAgain(m_disk, m_items, historyFilePath(), logArea,
                           [this](HistoryDisk::Files& files, const QList<ClipboardItem>& added) { loadFiles(files, added); });
    m_disk.retry();
}

void ClipboardHistoryStore::recordChange(const ClipboardItem& item, bool front)
{
    const QString image = imagePath(item);
    m_disk.change({front ? HistoryJournal::Change::Kind::put : HistoryJournal::Change::Kind::set,
                   HistoryFile::idText(item.id), item.toJson(), image.isEmpty() ? QStringList() : QStringList{image}, {}});
}

QString ClipboardHistoryStore::imagePath(const ClipboardItem& item) const
{
    if (!item.imageFileName)
        return {};
    if (!Storage::isPlainFileName(*item.imageFileName)) {
        DebugLog::write(QStringLiteral("ClipboardHistory: unzulässiger Dateiname ignoriert: %1").arg(*item.imageFileName));
        return {};
    }
    return m_folders.clipboardImagesDirectory() + QLatin1Char('/') + *item.imageFileName;
}

void ClipboardHistoryStore::moveToFront(qsizetype index)
{
    ClipboardItem item = m_items.takeAt(index);
    item.createdAt = QDateTime::currentDateTime();
    m_items.prepend(item);
}

bool ClipboardHistoryStore::moveDuplicateToFront(const QString& hash)
{
    // Most copies are new: the count of each content answers at once.
    if (!m_settings.settings().avoidDuplicates || m_contentCounts.value(hash) == 0)
        return false;
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(), [&](const ClipboardItem& i) { return i.contentHash == hash; });
    if (it == m_items.cend())
        return false;
    moveToFront(it - m_items.cbegin());
    recordChange(m_items.front(), true);
    Q_EMIT itemsChanged();
    return true;
}

void ClipboardHistoryStore::insertNew(ClipboardItem item, const std::optional<QString>& sourceAppBundleID)
{
    item.id = QUuid::createUuid();
    item.createdAt = QDateTime::currentDateTime();
    item.isFavorite = false;
    item.sourceAppBundleID = sourceAppBundleID;
    m_items.prepend(item);
    ++m_contentCounts[item.contentHash];
    const QList<ClipboardItem> dropped = trim();
    for (const ClipboardItem& gone : dropped)
        forget(gone);
    recordChange(item, true);
    dropEntries(dropped);
    Q_EMIT itemsChanged();
}

std::optional<ClipboardHistoryStore::NewEntry> ClipboardHistoryStore::prepareText(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    NewEntry entry;
    entry.item.type = ClipboardItemType::text;
    entry.item.text = text;
    entry.item.preview = firstCharacters(text, 200).replace(QLatin1Char('\n'), QLatin1Char(' '));
    entry.item.contentHash = sha256Hex(text.toUtf8());
    return entry;
}

std::optional<ClipboardHistoryStore::NewEntry> ClipboardHistoryStore::prepareImage(const QImage& image)
{
    const auto png = ImageOps::pngData(image);
    if (!png)
        return std::nullopt;
    NewEntry entry;
    entry.item.type = ClipboardItemType::image;
    entry.item.preview = QStringLiteral("%1×%2").arg(image.width()).arg(image.height());
    entry.item.contentHash = sha256Hex(*png);
    entry.image = image;
    entry.png = *png;
    return entry;
}

void ClipboardHistoryStore::add(const NewEntry& entry, const std::optional<QString>& sourceAppBundleID)
{
    if (moveDuplicateToFront(entry.item.contentHash))
        return;
    ClipboardItem item = entry.item;
    if (item.type == ClipboardItemType::image) {
        m_folders.ensureDirectories();
        const QString fileName = JsonDecoder::formatUuid(QUuid::createUuid()) + QStringLiteral(".png");
        const QString path = m_folders.clipboardImagesDirectory() + QLatin1Char('/') + fileName;
        item.imageFileName = fileName;
        // Served from memory until written (also while the disk is full).
        m_pendingImages.insert(path, entry.image);
        m_disk.writeFile(path, [png = entry.png]() -> std::optional<QByteArray> { return png; });
    }
    insertNew(std::move(item), sourceAppBundleID);
}

void ClipboardHistoryStore::addText(const QString& text, const std::optional<QString>& sourceAppBundleID)
{
    if (const auto entry = prepareText(text))
        add(*entry, sourceAppBundleID);
}

void ClipboardHistoryStore::addImage(const QImage& image, const std::optional<QString>& sourceAppBundleID)
{
    if (const auto entry = prepareImage(image))
        add(*entry, sourceAppBundleID);
}

void ClipboardHistoryStore::imageWritten(const FileWriteOutcome& outcome)
{
    if (outcome.ok())
        m_pendingImages.remove(outcome.path);
    else if (m_pendingImages.contains(outcome.path))
        DebugLog::write(QStringLiteral("ClipboardHistory: Bild vorerst nicht gespeichert: %1").arg(outcome.describe()));
}

void ClipboardHistoryStore::dropEntries(const QList<ClipboardItem>& items)
{
    for (const ClipboardItem& item : items) {
        QList<HistoryJournal::Drop> drops;
        // A picture another entry still names stays.
        const QString path = imagePath(item);
        if (!path.isEmpty() && std::none_of(m_items.cbegin(), m_items.cend(), [&](const ClipboardItem& i) {
                return i.imageFileName == item.imageFileName;
            })) {
            m_pendingImages.remove(path);
            drops.append({path, false});
        }
        m_disk.change({HistoryJournal::Change::Kind::remove, HistoryFile::idText(item.id), {}, {}, drops});
    }
}

void ClipboardHistoryStore::copyToPasteboard(const ClipboardItem& item)
{
    std::optional<ClipboardWrite> written;
    if (item.type == ClipboardItemType::image) {
        const ImageOps::Read picture = readImage(item);
        if (!picture.image.isNull()) {
            // The PNG data beside the image, as every copy of the app: the
            // stored file is that data already.
            QByteArray png;
            const QString path = imagePath(item);
            if (m_pendingImages.contains(path) || m_folders.files().readAll(QFile::encodeName(path), &png) != 0)
                png = ImageOps::pngData(picture.image).value_or(QByteArray());
            written = m_clipboard.writeImage(picture.image, png.isEmpty() ? std::nullopt : std::optional(png));
        } else if (!imagePath(item).isEmpty()) {
            Q_EMIT problem(ImageOps::problemText(picture.problem));
        }
    } else if (item.text) {
        written = m_clipboard.writeText(*item.text);
    }
    if (!written) {
        // Nothing reached the clipboard: do not pretend it did.
        DebugLog::write(QStringLiteral("ClipboardHistory: Eintrag %1 nicht kopiert (kein Inhalt)")
                            .arg(JsonDecoder::formatUuid(item.id)));
        return;
    }
    m_lastCopiedID = item.id;
    Q_EMIT lastCopiedIDChanged();
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(), [&](const ClipboardItem& i) { return i.id == item.id; });
    if (it != m_items.cend()) {
        moveToFront(it - m_items.cbegin());
        recordChange(m_items.front(), true);
        Q_EMIT itemsChanged();
    }
    if (onInternalWrite)
        onInternalWrite(*written);
}

void ClipboardHistoryStore::toggleFavorite(const ClipboardItem& item)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const ClipboardItem& i) { return i.id == item.id; });
    if (it == m_items.end())
        return;
    it->isFavorite = !it->isFavorite;
    recordChange(*it, false);
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::remove(const ClipboardItem& item)
{
    for (qsizetype i = m_items.size() - 1; i >= 0; --i)
        if (m_items.at(i).id == item.id)
            forget(m_items.takeAt(i));
    dropEntries({item});
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::clearAll(bool keepFavorites)
{
    QList<ClipboardItem> kept;
    QList<ClipboardItem> dropped;
    for (const ClipboardItem& item : std::as_const(m_items))
        (keepFavorites && item.isFavorite ? kept : dropped).append(item);
    m_items = kept;
    for (const ClipboardItem& item : std::as_const(dropped))
        forget(item);
    dropEntries(dropped);
    Q_EMIT itemsChanged();
}

ImageOps::Read ClipboardHistoryStore::readImage(const ClipboardItem& item) const
{
    const QString path = imagePath(item);
    if (path.isEmpty())
        return {{}, ImageOps::ReadProblem::missing};
    const auto pending = m_pendingImages.constFind(path);
    if (pending != m_pendingImages.constEnd())
        return {*pending, ImageOps::ReadProblem::none};
    return ImageOps::readImage(path);
}

QImage ClipboardHistoryStore::image(const ClipboardItem& item) const
{
    return readImage(item).image;
}

QList<ClipboardItem> ClipboardHistoryStore::trim()
{
    QList<ClipboardItem> dropped;
    HistoryFile::trim(m_items, m_settings.settings().maxClipboardItems,
                      [&dropped](const ClipboardItem& item) { dropped.append(item); });
    return dropped;
}
