#pragma once
// What the screenshot and the clipboard history share: reading their JSON file
// record by record, writing it back, and trimming to the user's limit.
#include "Storage/AppFolders.h"
#include "Debug/DebugLog.h"
#include "Storage/Storage.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <algorithm>
#include <optional>
#include <utility>

namespace HistoryFile {

// Puts a copy of the file aside before a cleaned version replaces it.
inline void keepOriginal(const QString& path, const QString& logArea)
{
    const QString aside = Storage::copyAside(path);
    DebugLog::write(QStringLiteral("%1: Original von %2 beiseitegelegt als %3")
                        .arg(logArea, QFileInfo(path).fileName(),
                             aside.isEmpty() ? QStringLiteral("(fehlgeschlagen)") : aside));
}

// The elements of a JSON list one by one, as text, where the list as a whole
// does not parse (one bad token, nesting too deep): each can then be decoded
// on its own. None when the text is not a list at all.
std::optional<QList<QByteArray>> listElements(const QByteArray& json);

// The records of the file, newest first. An absent file is an empty history,
// and so is a link planted in its place (replaced, never read through). A
// record that cannot be decoded (a newer version's kind, a value of the wrong
// type) is logged and left out, and so is one that `usable` turns down (it
// logs why); the rest is kept, a copy of the original file is put aside, and
// `skipped` tells the caller to write the file anew. A file that does not
// parse as a whole is moved aside (never overwritten by the next save); its
// records that still decode one by one are kept. One that is not a JSON list
// at all reads as empty.
template <typename Item, typename Usable>
QList<Item> read(const QString& path, const QString& logArea, Usable usable, bool* skipped)
{
    *skipped = false;
    if (AppFolders::replaceLink(path))
        return {};
    QFile file(path);
    if (!file.exists())
        return {};
    const QString name = QFileInfo(path).fileName();
    const bool opened = file.open(QIODevice::ReadOnly);
    const QByteArray data = opened ? file.readAll() : QByteArray();
    file.close();
    QJsonParseError error{};
    const QJsonDocument doc = opened ? QJsonDocument::fromJson(data, &error) : QJsonDocument();
    QList<QJsonValue> values;
    bool movedAside = false;
    if (opened && error.error == QJsonParseError::NoError && doc.isArray()) {
        for (const QJsonValue& v : doc.array())
            values.append(v);
    } else {
        const auto elements = opened ? listElements(data) : std::nullopt;
        const QString aside = Storage::moveAside(path);
        movedAside = true;
        DebugLog::write(QStringLiteral("%1: %2 nicht lesbar, beiseitegelegt als %3 (%4)")
                            .arg(logArea, name, aside.isEmpty() ? QStringLiteral("(fehlgeschlagen)") : aside,
                                 opened ? error.errorString() : file.errorString()));
        if (!elements)
            return {};
        for (const QByteArray& element : *elements) {
            const QJsonDocument one = QJsonDocument::fromJson("[" + element + "]");
            values.append(one.isArray() && !one.array().isEmpty() ? one.array().at(0) : QJsonValue(QJsonValue::Undefined));
        }
        *skipped = true; // the kept records are written anew
    }
    QList<Item> items;
    bool anySkipped = false;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const auto item = Item::fromJson(values.at(i));
        if (item && usable(*item)) {
            items.append(*item);
            continue;
        }
        if (!item)
            DebugLog::write(QStringLiteral("%1: Eintrag %2 von %3 in %4 nicht lesbar, übersprungen (id %5)")
                                .arg(logArea)
                                .arg(i + 1)
                                .arg(values.size())
                                .arg(name, values.at(i).toObject().value(QStringLiteral("id")).toString()));
        if (!std::exchange(anySkipped, true) && !movedAside)
            keepOriginal(path, logArea);
    }
    if (movedAside)
        DebugLog::write(QStringLiteral("%1: %2 von %3 Einträgen aus %4 gerettet")
                            .arg(logArea)
                            .arg(items.size())
                            .arg(values.size())
                            .arg(name));
    *skipped = *skipped || anySkipped;
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.createdAt > b.createdAt; });
    return items;
}

template <typename Item>
void write(const QList<Item>& items, const QString& path, const QString& logArea)
{
    QJsonArray array;
    for (const Item& item : items)
        array.append(item.toJson());
    if (!Storage::writeJSON(array, path))
        DebugLog::write(QStringLiteral("%1: %2 konnte nicht geschrieben werden").arg(logArea, QFileInfo(path).fileName()));
}

// Removes the oldest non-favourite records until at most `limit` remain
// (a limit below 1 means no limit); `drop` is called for each removed record.
template <typename Item, typename Drop>
void trim(QList<Item>& items, qint64 limit, Drop drop)
{
    if (limit < 1)
        return;
    while (items.size() > limit) {
        const auto victim = std::find_if(items.rbegin(), items.rend(), [](const Item& i) { return !i.isFavorite; });
        if (victim == items.rend())
            return;
        const Item item = *victim;
        items.erase(std::next(victim).base());
        drop(item);
    }
}

} // namespace HistoryFile
