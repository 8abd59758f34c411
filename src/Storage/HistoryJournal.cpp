#include "Storage/HistoryJournal.h"

#include "Debug/DebugLog.h"
#include "Models/JsonWriter.h"
#include "Platform/FileCalls.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <cerrno>

namespace {

const QLatin1String kindNames[] = {QLatin1String("put"), QLatin1String("set"), QLatin1String("remove")};

QJsonObject header(const QByteArray& base)
{
    return QJsonObject{{QStringLiteral("journal"), 1}, {QStringLiteral("base"), QString::fromLatin1(base)}};
}

// A drop names a file of the data folder relative to it ("Screenshots/a.png"):
// a journal moved with its folder still names the right files, and a line
// that names anything outside the folder is refused.
QString relativeDrop(const QString& base, const QString& path)
{
    return QDir(base).relativeFilePath(path);
}

std::optional<HistoryJournal::Change> parseChange(const QByteArray& text, const QString& base)
{
    QJsonParseError error{};
    const QJsonObject o = QJsonDocument::fromJson(text, &error).object();
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    HistoryJournal::Change change;
    const QString kind = o.value(QStringLiteral("op")).toString();
    const auto* named = std::find(std::begin(kindNames), std::end(kindNames), kind);
    if (named == std::end(kindNames))
        return std::nullopt;
    change.kind = HistoryJournal::Change::Kind(named - std::begin(kindNames));
    change.record = o.value(QStringLiteral("record")).toObject();
    change.id = change.kind == HistoryJournal::Change::Kind::remove ? o.value(QStringLiteral("id")).toString()
                                                                     : change.record.value(QStringLiteral("id")).toString();
    if (change.id.isEmpty())
        return std::nullopt;
    for (const QJsonValue& d : o.value(QStringLiteral("drop")).toArray()) {
        const QString relative = d.toObject().value(QStringLiteral("path")).toString();
        const QStringList parts = relative.split(QLatin1Char('/'));
        if (parts.size() != 2 || parts.contains(QStringLiteral("..")) || parts.contains(QStringLiteral("."))
            || parts.contains(QString()))
            continue;
        change.drops.append({base + QLatin1Char('/') + relative, d.toObject().value(QStringLiteral("trash")).toBool()});
    }
    return change;
}

} // namespace

QString HistoryJournal::pathFor(const QString& historyPath)
{
    return historyPath + QStringLiteral(".journal");
}

QByteArray HistoryJournal::baseOf(const QByteArray& history)
{
    return QCryptographicHash::hash(history, QCryptographicHash::Sha256).toHex();
}

HistoryJournal::Contents HistoryJournal::read(FileCalls& calls, const QString& journalPath, const QByteArray& history)
{
    Contents contents;
    QByteArray data;
    if (const int error = -calls.readAll(QFile::encodeName(journalPath), &data)) {
        contents.exists = error != ENOENT;
        contents.readError = error == ENOENT ? 0 : error;
        return contents;
    }
    contents.exists = true;
    const qsizetype firstEnd = data.indexOf('\n');
    if (firstEnd < 0 || QJsonDocument::fromJson(data.left(firstEnd)).object() != header(baseOf(history)))
        return contents;
    contents.belongsToHistory = true;
    const QString base = QFileInfo(journalPath).absolutePath();
    qsizetype start = firstEnd + 1;
    contents.validSize = start;
    for (qsizetype end; (end = data.indexOf('\n', start)) >= 0; start = end + 1) {
        contents.validSize = end + 1;
        if (const auto change = parseChange(data.mid(start, end - start), base))
            contents.changes.append(*change);
        else
            DebugLog::write(QStringLiteral("STORAGE %1: unlesbare Zeile übersprungen").arg(QFileInfo(journalPath).fileName()));
    }
    return contents;
}

HistoryJournal::HistoryJournal(FileCalls& calls, QString historyPath, std::function<void(const QString&)> trash)
    : m_calls(calls)
    , m_historyPath(std::move(historyPath))
    , m_journalPath(pathFor(m_historyPath))
    , m_trash(std::move(trash))
    , m_base(baseOf({}))
{
}

HistoryJournal::~HistoryJournal()
{
    closeJournal();
}

void HistoryJournal::resume(const QByteArray& history, const Contents& contents)
{
    closeJournal();
    m_base = baseOf(history);
    m_historySize = history.size();
    // A journal that belongs to another content is left for the next start's
    // look (never appended to); a new one replaces it at the first change.
    m_journalSize = contents.belongsToHistory ? contents.validSize : 0;
}

QByteArray HistoryJournal::line(const Change& change) const
{
    QJsonObject o{{QStringLiteral("op"), kindNames[int(change.kind)]}};
    if (change.kind == Change::Kind::remove)
        o.insert(QStringLiteral("id"), change.id);
    else
        o.insert(QStringLiteral("record"), change.record);
    QJsonArray drops;
    const QString base = QFileInfo(m_historyPath).absolutePath();
    for (const Drop& d : change.drops)
        drops.append(QJsonObject{{QStringLiteral("path"), relativeDrop(base, d.path)}, {QStringLiteral("trash"), d.toTrash}});
    if (!drops.isEmpty())
        o.insert(QStringLiteral("drop"), drops);
    return JsonWriter::compact(o) + '\n';
}

void HistoryJournal::add(Change change)
{
    const auto earlier = std::find_if(m_pending.begin(), m_pending.end(), [&](const Change& c) { return c.id == change.id; });
    if (earlier != m_pending.end()) {
        // The earlier change never reached the disk: the record is either as
        // on disk before it, or not there at all. A put stays a put (the
        // record may be new); what the earlier one let go goes too.
        if (earlier->kind == Change::Kind::put && change.kind == Change::Kind::set)
            change.kind = Change::Kind::put;
        change.drops = earlier->drops + change.drops;
        m_pending.erase(earlier);
    }
    m_pending.append(std::move(change));
}

void HistoryJournal::fileWritten(const QString& path, bool written)
{
    if (written)
        m_unwritten.remove(path);
    else
        m_unwritten.insert(path);
}

bool HistoryJournal::blocked(const Change& change) const
{
    return std::any_of(change.needs.cbegin(), change.needs.cend(), [&](const QString& p) { return m_unwritten.contains(p); });
}

bool HistoryJournal::waitsForFiles() const
{
    return std::any_of(m_pending.cbegin(), m_pending.cend(), [&](const Change& c) { return blocked(c); });
}

FileWriteOutcome HistoryJournal::failed(const char* step, int error) const
{
    return {error, QString::fromLatin1(step), m_journalPath};
}

FileWriteOutcome HistoryJournal::open()
{
    if (m_fd >= 0)
        return {0, {}, m_journalPath};
    if (m_journalSize == 0) {
        // A new journal, written whole with its first line before anything is
        // appended, so it always names the content it continues.
        const QByteArray first = JsonWriter::compact(header(m_base)) + '\n';
        const FileWriteOutcome created = AtomicFile::write(m_calls, m_journalPath, first, 0600);
        if (!created.ok())
            return created;
        m_journalSize = first.size();
    }
    const int fd = m_calls.openAppend(QFile::encodeName(m_journalPath));
    if (fd < 0)
        return failed("öffnen", -fd);
    m_fd = fd;
    return {0, {}, m_journalPath};
}

void HistoryJournal::closeJournal()
{
    if (m_fd >= 0)
        m_calls.close(m_fd);
    m_fd = -1;
}

FileWriteOutcome HistoryJournal::flush()
{
    QByteArray text;
    QList<Change> ready;
    QList<Change> waiting;
    for (Change& change : m_pending)
        (blocked(change) ? waiting : ready).append(std::move(change));
    m_pending = waiting;
    if (ready.isEmpty())
        return {0, {}, m_journalPath};
    for (const Change& change : std::as_const(ready))
        text += line(change);
    FileWriteOutcome outcome = open();
    if (outcome.ok()) {
        // What a failed append left (a kill, a disk that refused the undo)
        // is cut off first: a line is either whole or not there.
        if (m_calls.size(m_fd) != m_journalSize && m_calls.truncate(m_fd, m_journalSize) != 0)
            outcome = failed("kürzen", EIO);
        else if (const int error = AtomicFile::writeAll(m_calls, m_fd, text))
            outcome = failed("anhängen", error);
        else if (const int error = -m_calls.sync(m_fd))
            outcome = failed("sync", error);
    }
    if (!outcome.ok()) {
        if (m_fd >= 0)
            m_calls.truncate(m_fd, m_journalSize);
        closeJournal();
        m_pending = ready + m_pending;
        return outcome;
    }
    m_journalSize += text.size();
    for (const Change& change : std::as_const(ready))
        dropFiles(change.drops);
    return outcome;
}

void HistoryJournal::dropFiles(const QList<Drop>& drops)
{
    for (const Drop& drop : drops) {
        if (drop.toTrash && m_trash)
            m_trash(drop.path);
        else
            m_calls.remove(QFile::encodeName(drop.path));
    }
}

FileWriteOutcome HistoryJournal::compactIfLarge()
{
    // Folded once it holds as much as the file: each change is then written
    // about twice, whatever the size of the history.
    constexpr qint64 minimum = 64 * 1024;
    if (m_journalSize < std::max(m_historySize, minimum))
        return {0, {}, m_historyPath};
    return compact();
}

std::optional<QJsonArray> HistoryJournal::fold(const QByteArray& history, const Contents& contents)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(history.isEmpty() ? QByteArray("[]") : history, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    QList<QJsonObject> list;
    for (const QJsonValue& v : doc.array())
        list.append(v.toObject());
    if (contents.belongsToHistory) {
        const auto same = [](const QJsonObject& o) { return std::optional<QJsonObject>(o); };
        const auto idOf = [](const QJsonObject& o) { return o.value(QStringLiteral("id")).toString(); };
        list = replay(list, contents.changes, same, idOf);
    }
    QJsonArray folded;
    for (const QJsonObject& o : std::as_const(list))
        folded.append(o);
    return folded;
}

std::optional<QJsonArray> HistoryJournal::records(FileCalls& calls, const QString& historyPath)
{
    QByteArray history;
    if (const int error = -calls.readAll(QFile::encodeName(historyPath), &history); error && error != ENOENT)
        return std::nullopt;
    return fold(history, read(calls, pathFor(historyPath), history));
}

FileWriteOutcome HistoryJournal::compact()
{
    if (m_journalSize == 0)
        return {0, {}, m_historyPath};
    QByteArray history;
    if (const int error = -m_calls.readAll(QFile::encodeName(m_historyPath), &history); error && error != ENOENT)
        return {error, QStringLiteral("lesen"), m_historyPath};
    if (baseOf(history) != m_base)
        return {EIO, QStringLiteral("Inhalt geändert"), m_historyPath};
    const Contents contents = read(m_calls, m_journalPath, history);
    if (!contents.belongsToHistory)
        return {contents.readError ? contents.readError : EIO, QStringLiteral("Journal lesen"), m_journalPath};
    const std::optional<QJsonArray> folded = fold(history, contents);
    if (!folded)
        return {EIO, QStringLiteral("zusammenführen"), m_historyPath};
    return replace(JsonWriter::pretty(*folded));
}

FileWriteOutcome HistoryJournal::replace(const QByteArray& history)
{
    const FileWriteOutcome written = AtomicFile::write(m_calls, m_historyPath, history, 0600);
    if (!written.ok())
        return written;
    // A kill right here leaves a journal that names the old content: ignored.
    closeJournal();
    m_calls.remove(QFile::encodeName(m_journalPath));
    m_base = baseOf(history);
    m_historySize = history.size();
    m_journalSize = 0;
    return written;
}
