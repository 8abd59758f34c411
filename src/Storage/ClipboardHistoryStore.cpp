#include "Storage/ClipboardHistoryStore.h"

#include "Clipboard/Pasteboard.h"
#include "Debug/DebugLog.h"
#include "Models/JsonDecoder.h"
#include "Platform/ClipboardService.h"
#include "Settings/SettingsManager.h"
#include "Storage/HistoryFile.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

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

ClipboardHistoryStore::ClipboardHistoryStore(SettingsManager& settings, ClipboardService* clipboard, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_clipboard(clipboard ? clipboard : &Pasteboard::service())
{
    Storage::ensureDirectories();
    load();
}

QString ClipboardHistoryStore::historyFilePath() const
{
    return Storage::baseDirectory() + QStringLiteral("/clipboard.json");
}

QString ClipboardHistoryStore::sha256Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

void ClipboardHistoryStore::load()
{
    m_items = HistoryFile::read<ClipboardItem>(historyFilePath(), QStringLiteral("ClipboardHistory"));
}

QString ClipboardHistoryStore::imagePath(const ClipboardItem& item) const
{
    if (!item.imageFileName)
        return {};
    if (!Storage::isPlainFileName(*item.imageFileName)) {
        DebugLog::write(QStringLiteral("ClipboardHistory: unzulässiger Dateiname ignoriert: %1").arg(*item.imageFileName));
        return {};
    }
    return Storage::clipboardImagesDirectory() + QLatin1Char('/') + *item.imageFileName;
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

void ClipboardHistoryStore::insertNew(ClipboardItem item, const std::optional<QString>& sourceAppBundleID,
                                      const QString& contentHash)
{
    item.id = QUuid::createUuid();
    item.createdAt = QDateTime::currentDateTime();
    item.isFavorite = false;
    item.sourceAppBundleID = sourceAppBundleID;
    item.contentHash = contentHash;
    m_items.prepend(item);
    trim();
    save();
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::addText(const QString& text, const std::optional<QString>& sourceAppBundleID)
{
    if (text.isEmpty())
        return;
    const QString hash = sha256Hex(text.toUtf8());
    if (moveDuplicateToFront(hash))
        return;
    ClipboardItem item;
    item.type = ClipboardItemType::text;
    item.text = text;
    item.preview = firstCharacters(text, 200).replace(QLatin1Char('\n'), QLatin1Char(' '));
    insertNew(std::move(item), sourceAppBundleID, hash);
}

void ClipboardHistoryStore::addImage(const QImage& image, const std::optional<QString>& sourceAppBundleID)
{
    const auto png = ImageOps::pngData(image);
    if (!png)
        return;
    const QString hash = sha256Hex(*png);
    if (moveDuplicateToFront(hash))
        return;
    Storage::ensureDirectories();
    const QString fileName = JsonDecoder::formatUuid(QUuid::createUuid()) + QStringLiteral(".png");
    QSaveFile file(Storage::clipboardImagesDirectory() + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(*png) != png->size() || !file.commit()) {
        DebugLog::write(QStringLiteral("ClipboardHistory: Bild konnte nicht gespeichert werden: %1").arg(fileName));
        return;
    }
    ClipboardItem item;
    item.type = ClipboardItemType::image;
    item.imageFileName = fileName;
    item.preview = QStringLiteral("%1×%2").arg(image.width()).arg(image.height());
    insertNew(std::move(item), sourceAppBundleID, hash);
}

void ClipboardHistoryStore::copyToPasteboard(const ClipboardItem& item)
{
    bool written = false;
    if (item.type == ClipboardItemType::image) {
        const QImage picture = image(item);
        if (!picture.isNull()) {
            Pasteboard::copyImageWithPNG(*m_clipboard, picture);
            written = true;
        }
    } else if (item.text) {
        m_clipboard->writeText(*item.text);
        written = true;
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
        onInternalWrite();
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
    Storage::deleteFile(imagePath(item));
    m_items.removeIf([&](const ClipboardItem& i) { return i.id == item.id; });
    save();
    Q_EMIT itemsChanged();
}

void ClipboardHistoryStore::clearAll(bool keepFavorites)
{
    QList<ClipboardItem> kept;
    for (const ClipboardItem& item : std::as_const(m_items)) {
        if (keepFavorites && item.isFavorite) {
            kept.append(item);
            continue;
        }
        const QString path = imagePath(item);
        if (!path.isEmpty())
            QFile::remove(path);
    }
    m_items = kept;
    save();
    Q_EMIT itemsChanged();
}

QImage ClipboardHistoryStore::image(const ClipboardItem& item) const
{
    const QString path = imagePath(item);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    return QImage(path);
}

void ClipboardHistoryStore::trim()
{
    HistoryFile::trim(m_items, m_settings.settings().maxClipboardItems,
                      [this](const ClipboardItem& item) { Storage::deleteFile(imagePath(item)); });
}

void ClipboardHistoryStore::save()
{
    HistoryFile::write(m_items, historyFilePath(), QStringLiteral("ClipboardHistory"));
}
