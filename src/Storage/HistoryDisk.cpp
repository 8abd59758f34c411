#include "Storage/HistoryDisk.h"

#include "Debug/DebugLog.h"
#include "Platform/FileCalls.h"
#include "Storage/Storage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

HistoryDisk::HistoryDisk(AppFolders folders, QString historyPath, QObject* parent)
    : QObject(parent)
    , m_folders(std::move(folders))
    , m_historyPath(std::move(historyPath))
    , m_journal(m_folders.files(), m_historyPath, [folders = m_folders](const QString& path) {
        Storage::trashFile(folders.paths(), path);
    })
{
}

HistoryDisk::~HistoryDisk()
{
    // A change made just before quitting still reaches the disk, and an older
    // version started next finds it in the file itself.
    waitUntilIdle();
    compact();
    waitUntilIdle();
}

bool HistoryDisk::read(Files& files, const QString& logArea)
{
    files = {};
    AppFolders::replaceLink(HistoryJournal::pathFor(m_historyPath));
    if (AppFolders::replaceLink(m_historyPath))
        files.historyError = ENOENT; // a planted link is no history of ours
    else
        files.historyError = -m_folders.files().readAll(QFile::encodeName(m_historyPath), &files.history);
    if (files.historyError == 0 || files.historyError == ENOENT)
        files.journal = HistoryJournal::read(m_folders.files(), HistoryJournal::pathFor(m_historyPath), files.history);
    const int error = files.historyError != ENOENT ? files.historyError : files.journal.readError;
    if (error == 0 || error == ENOENT) {
        m_unreadable = 0;
        return true;
    }
    if (m_unreadable != error)
        DebugLog::write(QStringLiteral("%1: %2 nicht lesbar (%3), bleibt unverändert; nichts wird überschrieben "
                                       "oder gelöscht")
                            .arg(logArea, m_historyPath, QString::fromLocal8Bit(std::strerror(error))));
    m_unreadable = error;
    return false;
}

void HistoryDisk::resume(const Files& files)
{
    m_writer.add([this, history = files.history, journal = files.journal] { m_journal.resume(history, journal); });
}

void HistoryDisk::report(const FileWriteOutcome& outcome)
{
    // Each file that fails is logged once, until it is written.
    if (outcome.ok())
        m_loggedFailures.remove(outcome.path);
    else if (!m_loggedFailures.contains(outcome.path)) {
        m_loggedFailures.insert(outcome.path);
        DebugLog::write(QStringLiteral("STORAGE nicht geschrieben, wird wiederholt: %1").arg(outcome.describe()));
    }
    const int pending = m_journal.pendingCount() + (m_pendingReplace ? 1 : 0);
    const int failed = int(m_failedWrites.size());
    QMetaObject::invokeMethod(
        this,
        [this, result = outcome, pending, failed] {
            m_pending = pending;
            m_failedFiles = failed;
            Q_EMIT this->outcome(result);
        },
        Qt::QueuedConnection);
}

FileWriteOutcome HistoryDisk::writeNow(const QString& path, const Data& data)
{
    const std::optional<QByteArray> bytes = data();
    if (!bytes)
        return {EINVAL, QStringLiteral("kodieren"), path};
    return Storage::writeFileAtomically(m_folders.files(), path, *bytes);
}

FileWriteOutcome HistoryDisk::flushNow()
{
    // Changes continue the new file: none is appended before it is written.
    if (m_pendingReplace) {
        const FileWriteOutcome replaced = m_journal.replace(*m_pendingReplace);
        if (!replaced.ok())
            return replaced;
        m_pendingReplace.reset();
    }
    FileWriteOutcome flushed = m_journal.flush();
    if (flushed.ok() && m_journal.pendingCount() == 0) {
        // Folding is a saving, not a need: a failure leaves the journal whole.
        const FileWriteOutcome folded = m_journal.compactIfLarge();
        if (!folded.ok())
            DebugLog::write(QStringLiteral("STORAGE Journal nicht zusammengeführt: %1").arg(folded.describe()));
    }
    return flushed;
}

void HistoryDisk::writeFile(const QString& path, Data data, CancelFlag cancelled)
{
    m_writer.add([this, path, data = std::move(data), cancelled] {
        if (cancelled && *cancelled) {
            // Superseded before it was written: whatever waited for it goes with it.
            m_journal.fileWritten(path, false);
            return;
        }
        const FileWriteOutcome written = writeNow(path, data);
        m_journal.fileWritten(path, written.ok());
        if (written.ok())
            m_failedWrites.remove(path);
        else
            m_failedWrites.insert(path, {data, cancelled});
        QMetaObject::invokeMethod(this, [this, written] { Q_EMIT fileWritten(written); }, Qt::QueuedConnection);
        report(written);
    });
}

void HistoryDisk::change(HistoryJournal::Change change)
{
    if (m_unreadable) {
        deleteFiles(change.drops);
        return;
    }
    m_writer.add([this, change = std::move(change)]() mutable {
        for (const HistoryJournal::Drop& drop : std::as_const(change.drops))
            m_failedWrites.remove(drop.path);
        m_journal.add(std::move(change));
        report(flushNow());
    });
}

void HistoryDisk::deleteFiles(const QList<HistoryJournal::Drop>& drops)
{
    if (drops.isEmpty())
        return;
    m_writer.add([this, drops] {
        for (const HistoryJournal::Drop& drop : drops) {
            m_failedWrites.remove(drop.path);
            if (drop.toTrash)
                Storage::trashFile(m_folders.paths(), drop.path);
            else
                m_folders.files().remove(QFile::encodeName(drop.path));
        }
    });
}

void HistoryDisk::replace(QByteArray history)
{
    m_writer.add([this, history = std::move(history)] {
        m_pendingReplace = history;
        report(flushNow());
    });
}

void HistoryDisk::retry()
{
    m_writer.add([this] {
        const QHash<QString, FailedWrite> failed = std::exchange(m_failedWrites, {});
        for (auto it = failed.cbegin(); it != failed.cend(); ++it) {
            if (it->cancelled && *it->cancelled)
                continue;
            const FileWriteOutcome written = writeNow(it.key(), it->data);
            m_journal.fileWritten(it.key(), written.ok());
            if (!written.ok())
                m_failedWrites.insert(it.key(), *it);
            QMetaObject::invokeMethod(this, [this, written] { Q_EMIT fileWritten(written); }, Qt::QueuedConnection);
            report(written);
        }
        report(flushNow());
    });
}

void HistoryDisk::compact()
{
    m_writer.add([this] {
        if (m_pendingReplace)
            return;
        const FileWriteOutcome folded = m_journal.compact();
        if (!folded.ok())
            DebugLog::write(QStringLiteral("STORAGE Journal nicht zusammengeführt: %1").arg(folded.describe()));
    });
}

void HistoryDisk::waitUntilIdle()
{
    m_writer.waitUntilIdle();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
