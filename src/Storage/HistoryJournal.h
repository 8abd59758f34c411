#pragma once
// The changes of a history since its file was last written whole: one line
// per change, appended beside the file ("<history>.journal"), so that a
// change costs what the change is, not what the history is. The history file
// keeps its format; the journal names the file content it continues (a hash
// of it), so a journal left beside a file that was written whole since (by
// this program after a kill, or by an older version that knows no journal)
// is ignored. When the journal has grown as large as the file, the two are
// folded into a new file and the journal goes.
//
// A change is appended only once the files its record names are written
// whole; files a change lets go are deleted only once the change is on disk.
// Used on the history's writer thread only, except the reading at load.
#include "Platform/AtomicFile.h"

#include <QHash>
#include <QJsonArray>
#include <algorithm>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

class FileCalls;

class HistoryJournal {
public:
    // A file a change lets go: deleted, or moved to the Trash.
    struct Drop {
        QString path;
        bool toTrash = false;
    };
    struct Change {
        enum class Kind { put, set, remove };
        // put: the record, moved to the front (new, or moved to the top);
        // set: the record in its place; remove: the record with this id goes.
        Kind kind = Kind::set;
        QString id;
        QJsonObject record;
        // Files the record names that must be on disk before it.
        QStringList needs;
        QList<Drop> drops;
    };

    // What a journal beside a history file holds for it.
    struct Contents {
        QList<Change> changes;
        // Bytes of the journal that hold whole lines (a kill mid-append cuts the last).
        qint64 validSize = 0;
        bool exists = false;
        bool belongsToHistory = false;
        int readError = 0; // the journal exists but cannot be read
    };
    static Contents read(FileCalls& calls, const QString& journalPath, const QByteArray& history);
    // The name of the journal of a history file.
    static QString pathFor(const QString& historyPath);
    // Hash of a history file's content as the journal names it.
    static QByteArray baseOf(const QByteArray& history);
    // The records a history file and its journal hold together, as JSON;
    // none when the file is not a JSON list.
    static std::optional<QJsonArray> fold(const QByteArray& history, const Contents& contents);
    // The same, read from disk now (what the next start would find).
    static std::optional<QJsonArray> records(FileCalls& calls, const QString& historyPath);

    // trash: moves a file to the user's Trash.
    HistoryJournal(FileCalls& calls, QString historyPath, std::function<void(const QString&)> trash);
    ~HistoryJournal();
    HistoryJournal(const HistoryJournal&) = delete;
    HistoryJournal& operator=(const HistoryJournal&) = delete;

    // Where the journal continues after loading: the history file's content
    // and what of a journal beside it is kept.
    void resume(const QByteArray& history, const Contents& contents);

    // Queues a change. A change not yet on disk for the same record is
    // replaced by this one (it holds the record's whole state).
    void add(Change change);
    // A file's write came to an end; changes that need it wait while it failed.
    void fileWritten(const QString& path, bool written);
    // Appends every queued change whose files are written, in one write.
    // Fails when the journal cannot be written; the changes stay queued.
    FileWriteOutcome flush();
    // Changes queued but not on disk (waiting for a file, or for the disk).
    int pendingCount() const { return int(m_pending.size()); }
    // Whether any queued change waits for a file that is not written.
    bool waitsForFiles() const;

    // Folds the journal into a new history file when it has grown as large.
    FileWriteOutcome compactIfLarge();
    // Folds the journal into a new history file now (nothing when empty).
    FileWriteOutcome compact();
    // The whole history anew (its JSON text), the journal gone. Changes
    // still queued stay queued: they follow the new file.
    FileWriteOutcome replace(const QByteArray& history);

    // The records after the changes, in one pass (the cost grows with the
    // records plus the changes, not their product): each record's last put
    // brings it to the front (the latest first), a set replaces it where it
    // stands, a remove takes it out; records come from `make` (none: the
    // change is skipped), found by `idOf`.
    template <typename Item, typename Make, typename IdOf>
    static QList<Item> replay(const QList<Item>& records, const QList<Change>& changes, Make make, IdOf idOf)
    {
        struct Fate {
            std::optional<Item> value;
            qsizetype lastPut = -1;
            bool removed = false;
        };
        QHash<QString, Fate> fates;
        for (qsizetype i = 0; i < changes.size(); ++i) {
            const Change& change = changes.at(i);
            Fate& fate = fates[change.id];
            if (change.kind == Change::Kind::remove) {
                fate.removed = true;
                fate.lastPut = -1;
                continue;
            }
            const std::optional<Item> made = make(change.record);
            if (!made)
                continue;
            if (change.kind == Change::Kind::put) {
                fate = {made, i, false};
            } else if (!fate.removed) {
                fate.value = made; // in place: where its put or the file put it
            }
        }
        QList<std::pair<qsizetype, Item>> front;
        for (auto it = fates.cbegin(); it != fates.cend(); ++it)
            if (it->lastPut >= 0 && it->value)
                front.append({it->lastPut, *it->value});
        std::sort(front.begin(), front.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        QList<Item> out;
        for (const auto& [at, item] : front)
            out.append(item);
        for (const Item& record : records) {
            const auto fate = fates.constFind(idOf(record));
            if (fate == fates.cend())
                out.append(record);
            else if (!fate->removed && fate->lastPut < 0)
                out.append(fate->value.value_or(record));
        }
        return out;
    }

private:
    QByteArray line(const Change& change) const;
    bool blocked(const Change& change) const;
    FileWriteOutcome open();
    void closeJournal();
    void dropFiles(const QList<Drop>& drops);
    FileWriteOutcome failed(const char* step, int error) const;

    FileCalls& m_calls;
    const QString m_historyPath;
    const QString m_journalPath;
    std::function<void(const QString&)> m_trash;
    QList<Change> m_pending;
    QSet<QString> m_unwritten;
    QByteArray m_base;
    qint64 m_historySize = 0;
    qint64 m_journalSize = 0; // bytes on disk that are known whole; 0: none
    int m_fd = -1;
};
