#include "Storage/ClipboardHistoryStore.h"

#include "Debug/DebugLog.h"
#include "Models/JsonDecoder.h"
#include "Platform/ClipboardService.h"
#include "Storage/SettingsManager.h"
#include "Storage/HistoryFile.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"

#include <QCoreApplication>
#include <QCryptographicHash>
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
{
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
    m_writer.waitUntilIdle();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void ClipboardHistoryStore::load()
{
    const QString path = historyFilePath();
    Storage::makePrivate(path);
    Storage::makeFilesPrivate(m_folders.clipboardImagesDirectory());
    bool skipped = false;
    // An image entry without its picture could never be copied back.
    m_items = HistoryFile::read<ClipboardItem>(path, logArea, [this](const ClipboardItem& item) {
        if (item.type != ClipboardItemType::image)
            return true;
        const QString file = imagePath(item);
        if (!file.isEmpty() && QFileInfo::exists(file))
            return true;
        DebugLog::write(QStringLiteral("ClipboardHistory: Bild fehlt, Eintrag übersprungen: %1")
                            .arg(item.imageFileName.value_or(QString())));
        return false;
    }, &skipped);
    if (skipped)
        save();
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
    if (!m_settings.settings().avoidDuplicates)
        return false;
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(), [&](const ClipboardItem& i) { return i.contentHash == hash; });
    if (it == m_items.cend())
        return false;
    moveToFront(it - m_items.cbegin());
    save();
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
    const QList<ClipboardItem> dropped = trim();
    save();
    deleteImagesLater(dropped);
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
        item.imageFileName = fileName;
        m_pendingImages.insert(fileName, entry.image);
        writeImageLater(fileName, entry.png);
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

void ClipboardHistoryStore::writeImageLater(const QString& fileName, const QByteArray& png)
{
    const QString path = m_folders.clipboardImagesDirectory() + QLatin1Char('/') + fileName;
    m_writer.add([this, fileName, path, png, unwritten = m_unwritten] {
        const bool written = Storage::writeFileAtomically(path, png);
        if (written)
            unwritten->remove(fileName);
        else
            unwritten->insert(fileName);
        // Delivered only while the store lives (its destructor waits for this job).
        QMetaObject::invokeMethod(this, [this, fileName, written] { imageWriteFinished(fileName, written); },
                                  Qt::QueuedConnection);
    });
}

void ClipboardHistoryStore::imageWriteFinished(const QString& fileName, bool written)
{
    m_pendingImages.remove(fileName);
    if (written)
        return;
    // An image that cannot be stored is not recorded.
    DebugLog::write(QStringLiteral("ClipboardHistory: Bild konnte nicht gespeichert werden: %1").arg(fileName));
    if (m_items.removeIf([&](const ClipboardItem& i) { return i.imageFileName == fileName; }) == 0)
        return;
    save();
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::deleteImagesLater(const QList<ClipboardItem>& items)
{
    QStringList paths;
    for (const ClipboardItem& item : items) {
        // A picture another entry still names stays.
        if (!item.imageFileName || std::any_of(m_items.cbegin(), m_items.cend(), [&](const ClipboardItem& i) {
                return i.imageFileName == item.imageFileName;
            }))
            continue;
        m_pendingImages.remove(*item.imageFileName);
        if (const QString path = imagePath(item); !path.isEmpty())
            paths.append(path);
    }
    if (paths.isEmpty())
        return;
    m_writer.add([paths] {
        for (const QString& path : paths)
            Storage::deleteFile(path);
    });
}

void ClipboardHistoryStore::copyToPasteboard(const ClipboardItem& item)
{
    std::optional<ClipboardWrite> written;
    if (item.type == ClipboardItemType::image) {
        const QImage picture = image(item);
        if (!picture.isNull()) {
            // The PNG data beside the image, as every copy of the app.
            written = m_clipboard.writeImage(picture, ImageOps::pngData(picture));
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
        save();
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
    save();
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::remove(const ClipboardItem& item)
{
    m_items.removeIf([&](const ClipboardItem& i) { return i.id == item.id; });
    save();
    deleteImagesLater({item});
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::clearAll(bool keepFavorites)
{
    QList<ClipboardItem> kept;
    QList<ClipboardItem> dropped;
    for (const ClipboardItem& item : std::as_const(m_items))
        (keepFavorites && item.isFavorite ? kept : dropped).append(item);
    m_items = kept;
    save();
    deleteImagesLater(dropped);
    Q_EMIT itemsChanged();
}

QImage ClipboardHistoryStore::image(const ClipboardItem& item) const
{
    if (item.imageFileName) {
        const auto pending = m_pendingImages.constFind(*item.imageFileName);
        if (pending != m_pendingImages.constEnd())
            return *pending;
    }
    const QString path = imagePath(item);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    return QImage(path);
}

QList<ClipboardItem> ClipboardHistoryStore::trim()
{
    QList<ClipboardItem> dropped;
    HistoryFile::trim(m_items, m_settings.settings().maxClipboardItems,
                      [&dropped](const ClipboardItem& item) { dropped.append(item); });
    return dropped;
}

void ClipboardHistoryStore::save()
{
    m_writer.addRewrite([items = m_items, path = historyFilePath(), unwritten = m_unwritten] {
        QList<ClipboardItem> onDisk = items;
        onDisk.removeIf([&](const ClipboardItem& i) { return i.imageFileName && unwritten->contains(*i.imageFileName); });
        HistoryFile::write(onDisk, path, logArea);
    });
}
