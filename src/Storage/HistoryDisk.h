#pragma once
// Where one history meets the disk: its writer thread, its file and journal,
// and the pictures its records name. Every write runs on the writer thread in
// the order it was asked for; a picture is written before the change that
// names it, and a file a change lets go is deleted only once the change is on
// disk. A write that fails (a full disk, a folder that may not be written)
// leaves the old files as they were and is tried again on retry(); the
// changes wait meanwhile, and each outcome is reported on the main thread.
#include "Storage/AppFolders.h"
#include "Storage/HistoryJournal.h"
#include "Storage/HistoryWriter.h"

#include <QObject>
#include <QSet>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class HistoryDisk : public QObject {
    Q_OBJECT
public:
    using Data = std::function<std::optional<QByteArray>()>;
    using CancelFlag = std::shared_ptr<std::atomic_bool>;

    HistoryDisk(AppFolders folders, QString historyPath, QObject* parent = nullptr);
    // Finishes every queued write, then folds the journal into the file.
    ~HistoryDisk() override;

    // The history file and its journal as they are now (the writer idle).
    struct Files {
        QByteArray history;
        int historyError = 0; // 0, ENOENT, or why it could not be read
        HistoryJournal::Contents journal;
    };
    // False when the history may not be read (it is then left alone: no
    // change is written to it until a later read succeeds); logged once.
    bool read(Files& files, const QString& logArea);
    // Why the history could not be read at the last try (0: it could).
    int unreadableError() const { return m_unreadable; }
    // Appending continues after what was read.
    void resume(const Files& files);

    // A file of a record; `data` runs on the writer thread (it may encode)
    // and gives none when there is nothing to write. A set flag skips it.
    void writeFile(const QString& path, Data data, CancelFlag cancelled = {});
    // A change of the history. While the history could not be read it is not
    // written (its record is only in memory); the files it lets go still go.
    void change(HistoryJournal::Change change);
    // Files no record on disk names.
    void deleteFiles(const QList<HistoryJournal::Drop>& drops);
    // The whole history file anew (its text); queued changes follow it.
    void replace(QByteArray history);
    // Writes again what failed: files, then the changes waiting for them.
    void retry();
    void compact();
    // Waits for every queued write and delivers its outcome.
    void waitUntilIdle();
    HistoryWriter& writer() { return m_writer; }

    // Changes or files that are not on disk yet (as last reported).
    bool hasUnwrittenChanges() const { return m_unreadable != 0 || m_pending > 0 || m_failedFiles > 0; }

Q_SIGNALS:
    // A file's write came to an end (on the main thread).
    void fileWritten(const FileWriteOutcome& outcome);
    // Every write's outcome: files, the journal, the history file.
    void outcome(const FileWriteOutcome& outcome);

private:
    void report(const FileWriteOutcome& outcome);
    FileWriteOutcome writeNow(const QString& path, const Data& data);
    FileWriteOutcome flushNow();

    const AppFolders m_folders;
    const QString m_historyPath;
    // Writer thread only.
    HistoryJournal m_journal;
    struct FailedWrite {
        Data data;
        CancelFlag cancelled;
    };
    QHash<QString, FailedWrite> m_failedWrites;
    // A whole new history file that could not be written yet.
    std::optional<QByteArray> m_pendingReplace;
    QSet<QString> m_loggedFailures;
    // Main thread: the counts the last outcome reported.
    int m_unreadable = 0;
    int m_pending = 0;
    int m_failedFiles = 0;
    HistoryWriter m_writer;
};
