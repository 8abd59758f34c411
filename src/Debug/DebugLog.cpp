#include "Debug/DebugLog.h"

#include "Storage/Storage.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTime>

namespace {
QMutex logMutex;
bool stopped = false;
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
    QFile file(filePath());
    // Append only to an existing file; a missing one is created holding just this entry.
    if (file.exists() && file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(entry);
        return;
    }
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(entry);
}

void restart()
{
    QMutexLocker lock(&logMutex);
    if (stopped)
        return;
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("=== Zentu Debug-Log ===\n");
}

void stop()
{
    QMutexLocker lock(&logMutex);
    stopped = true;
}

} // namespace DebugLog
