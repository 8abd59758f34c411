#include "Storage/AppFolders.h"

#include "Models/AppSettings.h"
#include "Platform/Paths.h"
#include "Storage/Storage.h"

#include <QDir>
#include <QFileInfo>

AppFolders::AppFolders(std::shared_ptr<Paths> paths)
    : m_paths(std::move(paths))
{
    Q_ASSERT(m_paths);
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
        Storage::replaceLink(dir);
        if (QFileInfo::exists(dir) || QDir().mkpath(dir))
            Storage::makePrivateFolder(dir);
    }
}
