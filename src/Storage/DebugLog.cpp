#include "Storage/DebugLog.h"

#include "Storage/Storage.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTime>

namespace {
QMutex logMutex;
bool stopped = false;
// Entries written before the launch restarted the file, kept for it.
QByteArray earlyEntries;
bool keeping = false;
constexpr qsizetype earlyLimit = 1 << 20;
}

namespace DebugLog {

QString filePath()
{
    return Storage::baseDirectory() + QStringLiteral("/debug.log");
}

void write(const QString& message)
{
    QMutexLocker lock(&logMutex);
    if (stopped)
        return;
    Storage::ensureDirectories();
    const QByteArray entry = QStringLiteral("[%1] %2\n")
                                 .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")), message)
                                 .toUtf8();
    if (keeping && earlyEntries.size() + entry.size() <= earlyLimit)
        earlyEntries += entry;
    QFile file(filePath());
    // Append only to an existing file; a missing one is created holding just this entry.
    if (file.exists() && file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(entry);
        return;
    }
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
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
    if (stopped)
        return;
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("=== Zentu Debug-Log ===\n");
    keeping = false;
}

void writeEarlierEntries()
{
    QMutexLocker lock(&logMutex);
    QFile file(filePath());
    if (!stopped && !earlyEntries.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(earlyEntries);
    earlyEntries.clear();
}

void stop()
{
    QMutexLocker lock(&logMutex);
    stopped = true;
}

} // namespace DebugLog
