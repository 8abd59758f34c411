#include "Storage/Storage.h"

#include "Platform/FileCalls.h"
#include "Platform/Paths.h"
#include "Storage/AppFolders.h"
#include "Models/JsonWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <cerrno>
#include <sys/stat.h>

namespace {

// Sets the mode when it differs (the "user" bits only mirror the others).
void restrictTo(const QString& path, QFileDevice::Permissions mode)
{
    const QFileDevice::Permissions modeBits(0x7077);
    if ((QFile::permissions(path) & modeBits) != mode)
        QFile::setPermissions(path, mode);
}

QString asideName(const QString& path, int n)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return path + QStringLiteral(".unreadable-") + stamp + (n > 1 ? QLatin1Char('-') + QString::number(n) : QString());
}

// Tries one new name after the other until `place` succeeds or fails for
// another reason than a taken name.
template <typename Place>
QString placeAside(const QString& path, Place place)
{
    for (int n = 1; n < 1000; ++n) {
        const QString target = asideName(path, n);
        const int error = place(target);
        if (error == 0)
            return target;
        if (error != EEXIST)
            return {};
    }
    return {};
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

std::optional<QDateTime> screenshotDate(const QString& fileName)
{
    static const QRegularExpression stem(
        QStringLiteral("^Zentu\\.it_Screenshot_(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:-(\\d{3}))?(?:-\\d+)?\\.png$"));
    const QRegularExpressionMatch m = stem.match(fileName);
    if (!m.hasMatch())
        return std::nullopt;
    QDateTime date = QLocale::c().toDateTime(m.captured(1), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    if (!date.isValid())
        return std::nullopt;
    return date.addMSecs(m.captured(2).toInt());
}

FileWriteOutcome writeJSON(FileCalls& calls, const QJsonValue& value, const QString& path)
{
    return writeFileAtomically(calls, path, JsonWriter::pretty(value));
}

FileWriteOutcome writeFileAtomically(FileCalls& calls, const QString& path, const QByteArray& data)
{
    ensureDirectory(QFileInfo(path).absolutePath());
    // The rename would replace a link anyway; this says so in the log.
    AppFolders::replaceLink(path);
    return AtomicFile::write(calls, path, data, 0600);
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

Presence presence(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0)
        return Presence::present;
    return errno == ENOENT || errno == ENOTDIR ? Presence::absent : Presence::unknown;
}

QString moveAside(FileCalls& calls, const QString& path)
{
    const QByteArray from = QFile::encodeName(path);
    const QString target = placeAside(path, [&](const QString& to) { return -calls.renameNoReplace(from, QFile::encodeName(to)); });
    if (!target.isEmpty())
        makePrivate(target);
    return target;
}

QString copyAside(FileCalls& calls, const QString& path, const QByteArray& content)
{
    return placeAside(path, [&](const QString& to) { return AtomicFile::writeNew(calls, to, content, 0600).error; });
}

} // namespace Storage
