#include "Storage/Storage.h"

#include "Models/AppSettings.h"
#include "Platform/Paths.h"
#include "Storage/JsonWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>
#include <QSaveFile>
#include <QTimeZone>

namespace {

QMutex pathsMutex;
std::shared_ptr<Paths>& currentPaths()
{
    static std::shared_ptr<Paths> p;
    return p;
}

QString applicationSupport()
{
    QString dir = Storage::paths().applicationSupportDirectory();
    if (dir.isEmpty())
        dir = Storage::paths().homeDirectory() + QStringLiteral("/.local/share");
    return dir;
}

QString pictures()
{
    QString dir = Storage::paths().picturesDirectory();
    if (dir.isEmpty())
        dir = Storage::paths().homeDirectory() + QStringLiteral("/Pictures");
    return dir;
}

// Sets the mode when it differs (the "user" bits only mirror the others).
void restrictTo(const QString& path, QFileDevice::Permissions mode)
{
    const QFileDevice::Permissions modeBits(0x7077);
    if ((QFile::permissions(path) & modeBits) != mode)
        QFile::setPermissions(path, mode);
}

void migrateLegacyFoldersIfNeeded()
{
    for (const QString& parent : {applicationSupport(), pictures()}) {
        const QString oldPath = parent + QStringLiteral("/Zentu");
        const QString newPath = parent + QStringLiteral("/Zentu.it");
        if (QFileInfo::exists(oldPath) && !QFileInfo::exists(newPath))
            QDir().rename(oldPath, newPath);
    }
}

} // namespace

namespace Storage {

void setPaths(std::shared_ptr<Paths> p)
{
    QMutexLocker lock(&pathsMutex);
    currentPaths() = std::move(p);
}

Paths& paths()
{
    QMutexLocker lock(&pathsMutex);
    if (!currentPaths())
        qFatal("Storage: no folder services installed");
    return *currentPaths();
}

QString baseDirectory()
{
    return applicationSupport() + QStringLiteral("/Zentu.it");
}

QString screenshotsDirectory() { return baseDirectory() + QStringLiteral("/Screenshots"); }
QString thumbnailsDirectory() { return baseDirectory() + QStringLiteral("/Thumbnails"); }
QString clipboardImagesDirectory() { return baseDirectory() + QStringLiteral("/ClipboardImages"); }

QString exportDirectory(const AppSettings& settings)
{
    if (settings.saveDirectoryPath && !settings.saveDirectoryPath->isEmpty())
        return *settings.saveDirectoryPath;
    return pictures() + QStringLiteral("/Zentu.it");
}

void ensureDirectories()
{
    migrateLegacyFoldersIfNeeded();
    const QString base = baseDirectory();
    // A folder made by an earlier version (or renamed from the legacy one)
    // may be open to every local user: close it, not only new ones.
    if (QFileInfo::exists(base) || QDir().mkpath(base))
        restrictTo(base, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const QString& dir : {screenshotsDirectory(), thumbnailsDirectory(), clipboardImagesDirectory()})
        QDir().mkpath(dir);
}

void ensureDirectory(const QString& path)
{
    QDir().mkpath(path);
}

QString screenshotStem(const QDateTime& date, bool withMillis)
{
    const QString pattern = withMillis ? QStringLiteral("yyyy-MM-dd_HH-mm-ss-zzz")
                                       : QStringLiteral("yyyy-MM-dd_HH-mm-ss");
    return QStringLiteral("Zentu.it_Screenshot_") + QLocale::c().toString(date.toLocalTime(), pattern);
}

bool writeJSON(const QJsonValue& value, const QString& path)
{
    return writeFileAtomically(path, JsonWriter::pretty(value));
}

bool writeFileAtomically(const QString& path, const QByteArray& data)
{
    ensureDirectory(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set on the temporary file, so the finished file is never open to others.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void makePrivate(const QString& path)
{
    if (QFileInfo::exists(path))
        restrictTo(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void deleteFile(const QString& path)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

void trashFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).exists())
        return;
    paths().moveToTrash(path);
}

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0))
        && name != QLatin1String(".") && name != QLatin1String("..");
}

namespace {
QString asideName(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    return target;
}
}

QString moveAside(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    const QString target = asideName(path);
    if (!QFile::rename(path, target))
        return {};
    makePrivate(target);
    return target;
}

QString copyAside(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    const QString target = asideName(path);
    if (!QFile::copy(path, target))
        return {};
    makePrivate(target);
    return target;
}

} // namespace Storage
