#include "Storage/Storage.h"

#include "Platform/Paths.h"
#include "Storage/AppFolders.h"
#include "Models/JsonWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTimeZone>

namespace {

// Sets the mode when it differs (the "user" bits only mirror the others).
void restrictTo(const QString& path, QFileDevice::Permissions mode)
{
    const QFileDevice::Permissions modeBits(0x7077);
    if ((QFile::permissions(path) & modeBits) != mode)
        QFile::setPermissions(path, mode);
}

} // namespace

namespace Storage {

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
    // QSaveFile would follow a link and replace the file it points to.
    AppFolders::replaceLink(path);
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
    const QFileInfo info(path);
    // chmod would change the file a link points to.
    if (info.exists() && !info.isSymLink())
        restrictTo(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void makeFilesPrivate(const QString& folder)
{
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        makePrivate(file.filePath());
}

void makePrivateFolder(const QString& path)
{
    restrictTo(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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

void trashFile(Paths& paths, const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).exists())
        return;
    paths.moveToTrash(path);
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
