#pragma once
// The real file calls, with a disk that gives out: once `budget` bytes have
// been written in all (from failAfter on), every further write fails with
// the chosen error, as a full disk (ENOSPC), a full quota (EDQUOT) or a
// failing one (EIO) does; a write that crosses the budget writes the bytes
// up to it first. Optionally every sync fails too. Thread-safe: the stores
// write from their own threads.
#include "Platform/Qt/PosixFileCalls.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <limits>

class FailingFileCalls final : public FileCalls {
public:
    void failAfter(qint64 budget, int error, bool failSync = false)
    {
        QMutexLocker lock(&m_mutex);
        m_budget = budget;
        m_error = error;
        m_failSync = failSync;
        m_written = 0;
        m_refusals = 0;
    }
    void heal() { failAfter(std::numeric_limits<qint64>::max(), 0); }
    // Bytes the calls let through since failAfter.
    qint64 written() const
    {
        QMutexLocker lock(&m_mutex);
        return m_written;
    }
    // How many writes or syncs were refused since failAfter.
    int refusals() const
    {
        QMutexLocker lock(&m_mutex);
        return m_refusals;
    }

    int createNew(const QByteArray& path, mode_t mode) override { return m_real.createNew(path, mode); }
    int openAppend(const QByteArray& path) override { return m_real.openAppend(path); }
    qint64 write(int fd, const char* data, qint64 size) override
    {
        QMutexLocker lock(&m_mutex);
        const qint64 room = m_budget - m_written;
        if (room <= 0) {
            ++m_refusals;
            return -m_error;
        }
        const qint64 n = m_real.write(fd, data, std::min(size, room));
        if (n > 0)
            m_written += n;
        return n;
    }
    int sync(int fd) override
    {
        QMutexLocker lock(&m_mutex);
        if (m_failSync && m_written >= m_budget) {
            ++m_refusals;
            return -m_error;
        }
        return m_real.sync(fd);
    }
    qint64 size(int fd) override { return m_real.size(fd); }
    int truncate(int fd, qint64 size) override { return m_real.truncate(fd, size); }
    int close(int fd) override { return m_real.close(fd); }
    int rename(const QByteArray& from, const QByteArray& to) override { return m_real.rename(from, to); }
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override { return m_real.renameNoReplace(from, to); }
    int remove(const QByteArray& path) override { return m_real.remove(path); }
    int syncFolder(const QByteArray& folder) override { return m_real.syncFolder(folder); }
    int readAll(const QByteArray& path, QByteArray* data) override
    {
        {
            QMutexLocker lock(&m_mutex);
            if (m_unreadable.contains(path))
                return -m_unreadable.value(path);
        }
        return m_real.readAll(path, data);
    }
    // Reading this file fails with the error (EIO, EACCES) until told otherwise (0).
    void failReading(const QString& path, int error)
    {
        QMutexLocker lock(&m_mutex);
        if (error)
            m_unreadable.insert(QFile::encodeName(path), error);
        else
            m_unreadable.remove(QFile::encodeName(path));
    }

private:
    PosixFileCalls m_real;
    mutable QMutex m_mutex;
    qint64 m_budget = std::numeric_limits<qint64>::max();
    qint64 m_written = 0;
    int m_error = 0;
    int m_refusals = 0;
    bool m_failSync = false;
    QHash<QByteArray, int> m_unreadable;
};
