#include "Storage/DebugLog.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRecursiveMutex>
#include <QTime>

namespace {
// Recursive: making sure of the folders may itself log (a replaced link).
QRecursiveMutex logMutex;
bool stopped = false;
// Entries written before the launch restarted the file, kept for it.
QByteArray earlyEntries;
bool keeping = false;
constexpr qsizetype earlyLimit = 1 << 20;
// The folders of the open log; none before the program opens it.
const AppFolders* openFolders = nullptr;

QString pathWhileLocked()
{
    return openFolders ? openFolders->baseDirectory() + QStringLiteral("/debug.log") : QString();
}

const QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Opens the log for writing, never through a planted link, and readable by
// the user alone, also when an earlier version made it open to others.
bool openLog(QFile& file, QIODevice::OpenMode mode)
{
    AppFolders::replaceLink(file.fileName());
    if (!file.open(mode, privateFile))
        return false;
    if ((file.permissions() & QFileDevice::Permissions(0x0077)) != 0)
        file.setPermissions(privateFile);
    return true;
}
}

namespace DebugLog {

File::File(AppFolders folders)
    : m_folders(std::move(folders))
{
    QMutexLocker lock(&logMutex);
    m_previous = openFolders;
    openFolders = &m_folders;
}

File::~File()
{
    QMutexLocker lock(&logMutex);
    openFolders = m_previous;
}

QString filePath()
{
    QMutexLocker lock(&logMutex);
    return pathWhileLocked();
}

void write(const QString& message)
{
    QMutexLocker lock(&logMutex);
    if (stopped || !openFolders)
        return;
    openFolders->ensureDirectories();
    const QByteArray entry = QStringLiteral("[%1] %2\n")
                                 .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")), message)
                                 .toUtf8();
    if (keeping && earlyEntries.size() + entry.size() <= earlyLimit)
        earlyEntries += entry;
    QFile file(pathWhileLocked());
    // Append only to an existing file; a missing one is created holding just this entry.
    if (openLog(file, QIODevice::WriteOnly | QIODevice::Append))
        file.write(entry);
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
    if (stopped || !openFolders)
        return;
    QFile file(pathWhileLocked());
    if (openLog(file, QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("=== Zentu Debug-Log ===\n");
    keeping = false;
}

void writeEarlierEntries()
{
    QMutexLocker lock(&logMutex);
    QFile file(pathWhileLocked());
    if (!stopped && openFolders && !earlyEntries.isEmpty() && openLog(file, QIODevice::WriteOnly | QIODevice::Append))
        file.write(earlyEntries);
    earlyEntries.clear();
}

void stop()
{
    QMutexLocker lock(&logMutex);
    stopped = true;
}

} // namespace DebugLog
