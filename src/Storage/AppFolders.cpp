#include "Storage/AppFolders.h"

#include "Models/AppSettings.h"
#include "Platform/Paths.h"
#include "Debug/DebugLog.h"
#include "Storage/Storage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

AppFolders::AppFolders(std::shared_ptr<Paths> paths, std::shared_ptr<FileCalls> files)
    : m_paths(std::move(paths))
    , m_files(std::move(files))
{
    Q_ASSERT(m_paths && m_files);
}

QString AppFolders::dataHome() const
{
    QString dir = m_paths->applicationSupportDirectory();
    if (dir.isEmpty())
        dir = m_paths->homeDirectory() + QStringLiteral("/.local/share");
    return dir;
}

QString AppFolders::pictures() const
{
    QString dir = m_paths->picturesDirectory();
    if (dir.isEmpty())
        dir = m_paths->homeDirectory() + QStringLiteral("/Pictures");
    return dir;
}

QString AppFolders::baseDirectory() const { return dataHome() + QStringLiteral("/Zentu.it"); }
QString AppFolders::screenshotsDirectory() const { return baseDirectory() + QStringLiteral("/Screenshots"); }
QString AppFolders::thumbnailsDirectory() const { return baseDirectory() + QStringLiteral("/Thumbnails"); }
QString AppFolders::clipboardImagesDirectory() const { return baseDirectory() + QStringLiteral("/ClipboardImages"); }

QString AppFolders::exportDirectory(const AppSettings& settings) const
{
    if (settings.saveDirectoryPath && !settings.saveDirectoryPath->isEmpty())
        return *settings.saveDirectoryPath;
    return pictures() + QStringLiteral("/Zentu.it");
}

DebugLog::Place AppFolders::debugLog() const
{
    const AppFolders folders = *this;
    const auto path = [folders] { return folders.baseDirectory() + QStringLiteral("/debug.log"); };
    return {path, [folders, path] {
                folders.ensureDirectories();
                replaceLink(path());
            }};
}

bool AppFolders::replaceLink(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return false;
    const QString target = info.symLinkTarget();
    const bool removed = QFile::remove(path);
    DebugLog::write(QStringLiteral("STORAGE Verknüpfung statt eigener Datei: %1 zeigte auf %2, %3")
                        .arg(path, target, removed ? QStringLiteral("durch eigene Datei ersetzt")
                                                   : QStringLiteral("nicht entfernbar")));
    return true;
}

void AppFolders::ensureDirectories() const
{
    // Folders of the earlier name move to the current one.
    for (const QString& parent : {dataHome(), pictures()}) {
        const QString oldPath = parent + QStringLiteral("/Zentu");
        const QString newPath = parent + QStringLiteral("/Zentu.it");
        if (QFileInfo::exists(oldPath) && !QFileInfo::exists(newPath))
            QDir().rename(oldPath, newPath);
    }
    const QString base = baseDirectory();
    // A folder made by an earlier version (or renamed from the legacy one)
    // may be open to every local user: close it, not only new ones.
    if (QFileInfo::exists(base) || QDir().mkpath(base))
        Storage::makePrivateFolder(base);
    for (const QString& dir : {screenshotsDirectory(), thumbnailsDirectory(), clipboardImagesDirectory()}) {
        // Our pictures never go where a planted link points.
        replaceLink(dir);
        if (QFileInfo::exists(dir) || QDir().mkpath(dir))
            Storage::makePrivateFolder(dir);
    }
}
