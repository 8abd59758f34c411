#pragma once
// What the screenshot and the clipboard history share: reading their JSON file
// (and the journal of changes beside it) record by record, writing it, and
// trimming to the user's limit.
#include "Debug/DebugLog.h"
#include "Models/JsonDecoder.h"
#include "Models/JsonWriter.h"
#include "Storage/HistoryDisk.h"
#include "Storage/Storage.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

namespace HistoryFile {

// The elements of a JSON list one by one, as text, where the list as a whole
// does not parse (one bad token, nesting too deep): each can then be decoded
// on its own. None when the text is not a list at all.
std::optional<QList<QByteArray>> listElements(const QByteArray& json);

// The id as the files write it.
inline QString idText(const QUuid& id)
{
    return JsonDecoder::formatUuid(id);
}

// What a history's files hold.
template <typename Item>
struct Contents {
    QList<Item> items;
    // The file must be written anew from `items`: records were left out,
    // the file was put aside, or a journal was folded in.
    bool rewrite = false;
    // Files the journal's changes let go, in case a kill came first.
    QList<HistoryJournal::Drop> drops;
};

// The records of a history's files, newest first: the file, then the changes
// the journal beside it adds. An absent file is an empty history. A record
// that cannot be decoded (a newer version's kind, a value of the wrong type)
// is logged and left out, and so is one that `usable` turns down (it logs
// why); the rest is kept and a copy of the original file is put aside. A file
// that does not parse as a whole is moved aside (never overwritten by the next
// save); its records that still decode one by one are kept. One that is not a
// JSON list at all reads as empty. (A file that may not be read is not
// handed here: see HistoryDisk::Files.)
template <typename Item, typename Usable>
Contents<Item> read(FileCalls& calls, const QString& path, HistoryDisk::Files& files, const QString& logArea,
                    Usable usable)
{
    Contents<Item> out;
    if (files.historyError == ENOENT && !files.journal.belongsToHistory)
        return out;
    const QString name = QFileInfo(path).fileName();
    const QByteArray& data = files.history;
    QJsonParseError error{};
    const QJsonDocument doc = files.historyError == ENOENT ? QJsonDocument(QJsonArray()) : QJsonDocument::fromJson(data, &error);
    QList<QJsonValue> values;
    bool movedAside = false;
    if (error.error == QJsonParseError::NoError && doc.isArray()) {
        for (const QJsonValue& v : doc.array())
            values.append(v);
    } else {
        const auto elements = listElements(data);
        const QString aside = Storage::moveAside(calls, path);
        movedAside = true;
        DebugLog::write(QStringLiteral("%1: %2 nicht lesbar, beiseitegelegt als %3 (%4)")
                            .arg(logArea, name, aside.isEmpty() ? QStringLiteral("(fehlgeschlagen)") : aside,
                                 error.errorString()));
        for (const QByteArray& element : elements.value_or(QList<QByteArray>())) {
            const QJsonDocument one = QJsonDocument::fromJson("[" + element + "]");
            values.append(one.isArray() && !one.array().isEmpty() ? one.array().at(0) : QJsonValue(QJsonValue::Undefined));
        }
        out.rewrite = true; // the kept records are written anew
    }
    QList<Item> items;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (const auto item = Item::fromJson(values.at(i))) {
            items.append(*item);
            continue;
        }
        DebugLog::write(QStringLiteral("%1: Eintrag %2 von %3 in %4 nicht lesbar, übersprungen (id %5)")
                            .arg(logArea)
                            .arg(i + 1)
                            .arg(values.size())
                            .arg(name, values.at(i).toObject().value(QStringLiteral("id")).toString()));
        if (!std::exchange(out.rewrite, true) && !movedAside) {
            const QString kept = Storage::copyAside(calls, path, data);
            DebugLog::write(QStringLiteral("%1: Original von %2 beiseitegelegt als %3")
                                .arg(logArea, name, kept.isEmpty() ? QStringLiteral("(fehlgeschlagen)") : kept));
        }
    }
    if (movedAside)
        DebugLog::write(QStringLiteral("%1: %2 von %3 Einträgen aus %4 gerettet")
                            .arg(logArea)
                            .arg(items.size())
                            .arg(values.size())
                            .arg(name));
    // The changes made since the file was written whole.
    if (files.journal.belongsToHistory && !files.journal.changes.isEmpty()) {
        const auto make = [](const QJsonObject& o) { return Item::fromJson(o); };
        const auto idOf = [](const Item& i) { return idText(i.id); };
        items = HistoryJournal::replay(items, files.journal.changes, make, idOf);
        for (const HistoryJournal::Change& change : std::as_const(files.journal.changes))
            out.drops += change.drops;
        out.rewrite = true;
    }
    const qsizetype before = items.size();
    items.removeIf([&](const Item& item) { return !usable(item); });
    if (items.size() != before && !std::exchange(out.rewrite, true) && !movedAside && !data.isEmpty()) {
        const QString kept = Storage::copyAside(calls, path, data);
        DebugLog::write(QStringLiteral("%1: Original von %2 beiseitegelegt als %3")
                            .arg(logArea, name, kept.isEmpty() ? QStringLiteral("(fehlgeschlagen)") : kept));
    }
    if (movedAside) {
        // What continues is a new file; the journal of the old one is folded in.
        files.history.clear();
        files.journal.belongsToHistory = false;
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.createdAt > b.createdAt; });
    out.items = items;
    return out;
}

// Reads a history that could not be read before again; once it can,
// `load` gets its files and the records made meanwhile (all in memory only).
template <typename Item, typename Load>
void readAgain(HistoryDisk& disk, QList<Item>& items, const QString& path, const QString& logArea, Load load)
{
    HistoryDisk::Files files;
    if (!disk.unreadableError() || !disk.read(files, logArea))
        return;
    const QList<Item> added = std::exchange(items, {});
    DebugLog::write(QStringLiteral("%1: %2 wieder lesbar, %3 neue Einträge ergänzt").arg(logArea, path).arg(added.size()));
    load(files, added);
}

// The text of the history file for these records.
template <typename Item>
QByteArray text(const QList<Item>& items)
{
    QJsonArray array;
    for (const Item& item : items)
        array.append(item.toJson());
    return JsonWriter::pretty(array);
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
