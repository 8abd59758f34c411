#pragma once
// What the screenshot and the clipboard history share: reading their JSON file
// all or nothing, writing it back, and trimming to the user's limit.
#include "Debug/DebugLog.h"
#include "Storage/Storage.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <algorithm>

namespace HistoryFile {

// The records of the file, newest first. An absent file is an empty history;
// a file with one unreadable record is moved aside (never overwritten by the
// next save) and also reads as empty.
template <typename Item>
QList<Item> read(const QString& path, const QString& logArea)
{
    QFile file(path);
    if (!file.exists())
        return {};
    bool ok = file.open(QIODevice::ReadOnly);
    QJsonParseError error{};
    const QJsonDocument doc = ok ? QJsonDocument::fromJson(file.readAll(), &error) : QJsonDocument();
    file.close();
    ok = ok && error.error == QJsonParseError::NoError && doc.isArray();
    QList<Item> items;
    if (ok) {
        for (const QJsonValue& v : doc.array()) {
            const auto item = Item::fromJson(v);
            if (!item) {
                ok = false;
                break;
            }
            items.append(*item);
        }
    }
    if (!ok) {
        const QString aside = Storage::moveAside(path);
        DebugLog::write(QStringLiteral("%1: %2 nicht lesbar, beiseitegelegt als %3")
                            .arg(logArea, QFileInfo(path).fileName(),
                                 aside.isEmpty() ? QStringLiteral("(fehlgeschlagen)") : aside));
        return {};
    }
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
