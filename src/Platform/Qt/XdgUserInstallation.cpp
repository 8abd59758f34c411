#include "Platform/Qt/XdgUserInstallation.h"

#include "Platform/Qt/DesktopEntryText.h"
#include "Platform/Qt/FreedesktopTrash.h"
#include "Platform/AtomicFile.h"
#include "Platform/FileCalls.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"

#include <QDir>
#include <cstring>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <functional>

namespace {

// Places that belong to the system or to a package manager.
const char* const systemPrefixes[] = {"/usr/", "/opt/", "/bin/", "/sbin/", "/lib/", "/snap/", "/nix/", "/gnu/",
                                      "/app/", "/var/lib/flatpak/", "/var/lib/snapd/"};

QString canonical(const QString& path)
{
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

// Written beside its place and renamed over it only when whole, so an
// earlier install stays whole until the new one is complete.
bool writeFile(FileCalls& files, const QString& path, const QByteArray& data, mode_t mode, QString* error)
{
    if (QFileInfo(path).isSymLink()) {
        *error = path + QStringLiteral(" ist ein symbolischer Link");
        return false;
    }
    const FileWriteOutcome written = AtomicFile::write(files, path, data, mode);
    if (!written.ok())
        *error = written.describe();
    return written.ok();
}

bool copyExecutable(FileCalls& files, const QString& source, const QString& destination, QString* error)
{
    QByteArray program;
    if (const int failed = -files.readAll(QFile::encodeName(source), &program)) {
        *error = source + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(failed));
        return false;
    }
    return writeFile(files, destination, program, 0755, error);
}

QByteArray resource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The shipped launcher entry, starting the installed executable by its full
// path (the bin folder need not be on the desktop's PATH), with the marker.
QByteArray launcherEntry(const QString& program)
{
    QStringList lines;
    for (const QString& line : QString::fromUtf8(resource(QStringLiteral(":/com.quorel.zentu.desktop"))).split(u'\n')) {
        if (line.startsWith(QLatin1String("Exec=")))
            lines << QStringLiteral("Exec=") + DesktopEntryText::execValue(program);
        else if (!line.isEmpty())
            lines << line;
    }
    lines << QString::fromLatin1(XdgUserInstallation::markerLine);
    return (lines.join(u'\n') + u'\n').toUtf8();
}

} // namespace

QString XdgUserInstallation::binDirectory()
{
    // Not part of the base-directory specification, but honoured where set.
    const QString bin = qEnvironmentVariable("XDG_BIN_HOME");
    if (QDir::isAbsolutePath(bin))
        return QDir::cleanPath(bin);
    return QDir::homePath() + QStringLiteral("/.local/bin");
}

QString XdgUserInstallation::desktopEntryPath()
{
    return dataHome() + QStringLiteral("/applications/com.quorel.zentu.desktop");
}

QString XdgUserInstallation::iconPath()
{
    return dataHome() + QStringLiteral("/icons/hicolor/scalable/apps/com.quorel.zentu.svg");
}

QString XdgUserInstallation::installedProgram() const
{
    return binDirectory() + QStringLiteral("/zentu");
}

QString XdgUserInstallation::installedHelper()
{
    return binDirectory() + QStringLiteral("/") + QLatin1String(helperName);
}

QStringList XdgUserInstallation::companions(const QString& program) const
{
    const QString helper = QFileInfo(program).absoluteDir().filePath(QLatin1String(helperName));
    const QFileInfo info(helper);
    return info.isFile() && info.isExecutable() ? QStringList{helper} : QStringList{};
}

bool XdgUserInstallation::isOwnInstall() const
{
    QFile entry(desktopEntryPath());
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    while (!entry.atEnd())
        if (entry.readLine().trimmed() == markerLine)
            return true;
    return false;
}

Installation::Placement XdgUserInstallation::placement(const QString& program) const
{
    const QString path = canonical(program);
    if (path == canonical(installedProgram()))
        return isOwnInstall() ? Placement::userInstall : Placement::managed;
    for (const char* prefix : systemPrefixes)
        if (path.startsWith(QLatin1String(prefix)))
            return Placement::managed;
    // An install prefix (cmake --install, a package into any prefix): bin/
    // with the launcher entry in share/applications beside it.
    const QDir folder = QFileInfo(path).dir();
    if (folder.dirName() == QLatin1String("bin")
        && QFileInfo::exists(folder.absoluteFilePath(QStringLiteral("../share/applications/com.quorel.zentu.desktop"))))
        return Placement::managed;
    for (QDir dir = folder;;) {
        if (dir.exists(QStringLiteral("CMakeCache.txt")))
            return Placement::developmentBuild;
        if (!dir.cdUp())
            break;
    }
    return Placement::loose;
}

bool XdgUserInstallation::isPlaceTaken() const
{
    const bool occupied = QFileInfo::exists(installedProgram()) || QFileInfo(installedProgram()).isSymLink()
        || QFileInfo::exists(desktopEntryPath());
    return occupied && !isOwnInstall();
}

bool XdgUserInstallation::install(const QString& program, QString* error)
{
    QString detail;
    const QString executable = installedProgram();
    for (const QString& path : {executable, iconPath(), desktopEntryPath()}) {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder)) {
            if (error)
                *error = folder + QStringLiteral(": Ordner kann nicht angelegt werden");
            return false;
        }
    }
    // The page-capture helper goes along where it lies beside the program.
    const QString helper = companions(program).value(0);
    const bool withHelper = !helper.isEmpty();
    // The launcher entry comes last: it marks the install as complete and ours.
    const std::pair<QString, std::function<bool()>> steps[] = {
        {executable, [&] { return copyExecutable(m_files, program, executable, &detail); }},
        {installedHelper(), [&] {
             // An earlier install's helper would not match this program.
             return withHelper ? copyExecutable(m_files, helper, installedHelper(), &detail)
                               : (QFile::remove(installedHelper()) || !QFileInfo::exists(installedHelper()));
         }},
        {iconPath(), [&] {
             return writeFile(m_files, iconPath(), resource(QStringLiteral(":/ZentuAppIcon.svg")), 0644, &detail);
         }},
        {desktopEntryPath(), [&] { return writeFile(m_files, desktopEntryPath(), launcherEntry(executable), 0644, &detail); }},
    };
    QStringList created;
    for (const auto& [path, write] : steps) {
        const bool existed = QFileInfo::exists(path);
        if (!write()) {
            for (const QString& file : created)
                QFile::remove(file);
            if (error)
                *error = detail;
            return false;
        }
        if (!existed)
            created << path;
    }
    // A login item made by this copy would start the one left behind.
    if (XdgAutostartLoginItem(*this, m_files).status() == LoginItemService::Status::enabled)
        XdgAutostartLoginItem(*this, m_files, executable).registerApp(nullptr);
    return true;
}

Installation::Removal XdgUserInstallation::uninstall()
{
    if (!isOwnInstall())
        return {};
    Removal removal;
    // To the Trash, as a whole: restoring the files there restores the
    // install. The marked launcher entry goes only after the rest, so a run
    // that left something can be repeated.
    for (const QString& path : {installedProgram(), installedHelper(), iconPath(), desktopEntryPath()}) {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            continue;
        if (path == desktopEntryPath() && !removal.left.isEmpty())
            removal.left << path;
        else if (FreedesktopTrash::moveToTrash(path))
            removal.trashed << path;
        else
            removal.left << path;
    }
    return removal;
}

QStringList XdgUserInstallation::cacheDirectories() const
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return {cache + QStringLiteral("/com.quorel.zentu"), cache + QStringLiteral("/Zentu.it")};
}

QString XdgUserInstallation::dialogStateDirectory() const
{
    // Qt 6.4 knows no state location of its own.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? QDir::cleanPath(state) : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/com.quorel.zentu");
}
