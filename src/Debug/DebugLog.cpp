#include "Debug/DebugLog.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRecursiveMutex>
#include <QTime>
#include <algorithm>
#include <cstdio>

namespace {
// Recursive: making the place ready may itself log (a replaced link).
QRecursiveMutex logMutex;
bool stopped = false;
// Entries written before the launch restarted the file, kept for it.
QByteArray earlyEntries;
// Entries the disk did not take (it was full): written before the next one.
QByteArray unwrittenEntries;
constexpr qsizetype unwrittenLimit = 256 << 10;
bool keeping = false;
constexpr qsizetype earlyLimit = 1 << 20;
// Where the open log goes; none before the program opens it.
const DebugLog::Place* openPlace = nullptr;

QString pathWhileLocked()
{
    return openPlace ? openPlace->path() : QString();
}

const QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Opens the log for writing, never through a planted link, and readable by
// the user alone, also when an earlier version made it open to others.
bool openLog(QFile& file, QIODevice::OpenMode mode)
{
    if (openPlace->prepare)
        openPlace->prepare();
    if (!file.open(mode, privateFile))
        return false;
    if ((file.permissions() & QFileDevice::Permissions(0x0077)) != 0)
        file.setPermissions(privateFile);
    return true;
}
}

namespace DebugLog {

File::File(Place place)
    : m_place(std::move(place))
{
    QMutexLocker lock(&logMutex);
    m_previous = openPlace;
    openPlace = &m_place;
}

File::~File()
{
    QMutexLocker lock(&logMutex);
    openPlace = m_previous;
}

QString filePath()
{
    QMutexLocker lock(&logMutex);
    return pathWhileLocked();
}

void write(const QString& message)
{
    QMutexLocker lock(&logMutex);
    if (stopped || !openPlace)
        return;
    const QByteArray entry = QStringLiteral("[%1] %2\n")
                                 .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")), message)
                                 .toUtf8();
    // Kept for this run's log only: written to the previous one, they would
    // end up in both once the launch keeps that as debug.log.1.
    if (keeping) {
        if (earlyEntries.size() + entry.size() <= earlyLimit)
            earlyEntries += entry;
        return;
    }
    // What a full disk refused is kept and written first once it takes it
    // again: the lines that say why writes failed are the ones that matter.
    QByteArray text = unwrittenEntries + entry;
    QFile file(pathWhileLocked());
    // Append only to an existing file; a missing one is created holding just this entry.
    const qint64 written = openLog(file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)
        ? file.write(text) : 0;
    text.remove(0, std::max<qint64>(written, 0));
    if (text.size() > unwrittenLimit)
        text = "[…] " + text.right(unwrittenLimit);
    unwrittenEntries = text;
}

void keepEntriesForLaunch()
{
    QMutexLocker lock(&logMutex);
    keeping = true;
    earlyEntries.clear();
}

void restart()
{
    QMutexLocker lock(&logMutex);
    if (stopped || !openPlace)
        return;
    // The previous run's log is kept beside the new one: what it said about
    // a failure (a full disk, a kill) is still there after the restart.
    // A link planted in the log's place is replaced first: it never becomes
    // the kept log.
    if (openPlace->prepare)
        openPlace->prepare();
    const QByteArray path = QFile::encodeName(pathWhileLocked());
    std::rename(path.constData(), (path + ".1").constData());
    QFile file(pathWhileLocked());
    if (openLog(file, QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("=== Zentu Debug-Log ===\n");
    keeping = false;
}

void writeEarlierEntries()
{
    QMutexLocker lock(&logMutex);
    QFile file(pathWhileLocked());
    if (!stopped && openPlace && !earlyEntries.isEmpty() && openLog(file, QIODevice::WriteOnly | QIODevice::Append))
        file.write(earlyEntries);
    earlyEntries.clear();
}

void stop()
{
    QMutexLocker lock(&logMutex);
    stopped = true;
}

} // namespace DebugLog
