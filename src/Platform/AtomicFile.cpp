#include "Platform/AtomicFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

namespace {

const QLatin1String temporaryMark(".zentu-tmp-");

FileWriteOutcome failed(const QString& path, const char* step, int error)
{
    return {error, QString::fromLatin1(step), path};
}

// Writes data into a new temporary file in the folder of `path`, synced and
// checked; returns its name or the failure.
FileWriteOutcome writeTemporary(FileCalls& calls, const QString& path, const QByteArray& data, mode_t mode,
                                QByteArray* temporary)
{
    const QFileInfo info(path);
    int fd = -EEXIST;
    for (int attempt = 0; fd == -EEXIST && attempt < 16; ++attempt) {
        *temporary = QFile::encodeName(info.absolutePath() + QLatin1String("/.") + info.fileName() + temporaryMark
                                       + QString::number(QRandomGenerator::global()->generate(), 16));
        fd = calls.createNew(*temporary, mode);
    }
    if (fd < 0)
        return failed(path, "anlegen", -fd);
    int error = AtomicFile::writeAll(calls, fd, data);
    const char* step = "schreiben";
    if (!error && (error = -calls.sync(fd)))
        step = "sync";
    if (!error) {
        const qint64 size = calls.size(fd);
        if (size != data.size()) {
            error = size < 0 ? int(-size) : EIO;
            step = "Größe prüfen";
        }
    }
    // Some file systems (NFS) report a failed write only here.
    const int closed = -calls.close(fd);
    if (!error && closed) {
        error = closed;
        step = "schließen";
    }
    if (error) {
        calls.remove(*temporary);
        return failed(path, step, error);
    }
    return {0, {}, path};
}

FileWriteOutcome place(FileCalls& calls, const QString& path, const QByteArray& data, mode_t mode, bool replace)
{
    QByteArray temporary;
    FileWriteOutcome outcome = writeTemporary(calls, path, data, mode, &temporary);
    if (!outcome.ok())
        return outcome;
    const QByteArray target = QFile::encodeName(path);
    if (const int error = replace ? -calls.rename(temporary, target) : -calls.renameNoReplace(temporary, target)) {
        calls.remove(temporary);
        return failed(path, "umbenennen", error);
    }
    // The new name itself must survive a power loss; the data is already on disk.
    calls.syncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
    return outcome;
}

} // namespace

bool FileWriteOutcome::diskFull() const
{
    return error == ENOSPC || error == EDQUOT;
}

QString FileWriteOutcome::describe() const
{
    return QStringLiteral("%1: %2: %3").arg(path, step, QString::fromLocal8Bit(std::strerror(error)));
}

namespace AtomicFile {

FileWriteOutcome write(FileCalls& calls, const QString& path, const QByteArray& data, mode_t mode)
{
    return place(calls, path, data, mode, true);
}

FileWriteOutcome writeNew(FileCalls& calls, const QString& path, const QByteArray& data, mode_t mode)
{
    return place(calls, path, data, mode, false);
}

int writeAll(FileCalls& calls, int fd, const QByteArray& data)
{
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 n = calls.write(fd, data.constData() + done, data.size() - done);
        if (n < 0)
            return int(-n);
        if (n == 0)
            return EIO; // no progress: never loop forever
        done += n;
    }
    return 0;
}

bool isTemporaryName(const QString& fileName)
{
    return fileName.startsWith(QLatin1Char('.')) && fileName.contains(temporaryMark);
}

} // namespace AtomicFile
