#include "Platform/Qt/XdgAutostartLoginItem.h"

#include "Platform/AtomicFile.h"
#include "Platform/Installation.h"
#include "Platform/Qt/DesktopEntryText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

XdgAutostartLoginItem::XdgAutostartLoginItem(const Installation& installation, FileCalls& files, QString executable)
    : m_installation(installation)
    , m_files(files)
    , m_executable(std::move(executable))
{
}

QString XdgAutostartLoginItem::program() const
{
    return m_executable.isEmpty() ? QCoreApplication::applicationFilePath() : m_executable;
}

bool XdgAutostartLoginItem::isRegistrable() const
{
    return m_installation.placement(program()) != Installation::Placement::developmentBuild;
}

QString XdgAutostartLoginItem::registeredProgram()
{
    QFile entry(entryPath());
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(QLatin1String("Exec=")))
            return DesktopEntryText::programOf(line.mid(5));
    }
    return {};
}

QString XdgAutostartLoginItem::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/com.quorel.zentu.desktop");
}

LoginItemService::Status XdgAutostartLoginItem::status() const
{
    const QString path = entryPath();
    if (!QFileInfo::exists(path))
        return Status::notRegistered;
    // A desktop may switch an entry off without deleting it.
    QSettings entry(path, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    const bool hidden = entry.value(QStringLiteral("Hidden")).toString() == QLatin1String("true");
    const bool disabled = entry.value(QStringLiteral("X-GNOME-Autostart-enabled")).toString() == QLatin1String("false");
    if (hidden || disabled)
        return Status::notRegistered;
    // An entry that would start nothing, or a build tree, starts no Zentu.it worth keeping.
    const QString starts = registeredProgram();
    if (!QFileInfo(starts).isExecutable()
        || m_installation.placement(starts) == Installation::Placement::developmentBuild)
        return Status::notRegistered;
    return Status::enabled;
}

bool XdgAutostartLoginItem::registerApp(QString* error)
{
    if (!isRegistrable()) {
        if (error)
            *error = program() + QStringLiteral(": liegt in einem Build-Ordner");
        return false;
    }
    const QString path = entryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("Ordner für Autostart konnte nicht angelegt werden");
        return false;
    }
    const QString exec = DesktopEntryText::execValue(program());
    const QByteArray text = "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Zentu.it\n"
                            "Exec=" + exec.toUtf8() + "\n"
                            "Icon=com.quorel.zentu\n"
                            "X-GNOME-Autostart-enabled=true\n"
                            "NoDisplay=true\n";
    const FileWriteOutcome written = AtomicFile::write(m_files, path, text, 0644);
    if (!written.ok() && error)
        *error = written.describe();
    return written.ok();
}

bool XdgAutostartLoginItem::unregisterApp(QString* error)
{
    QFile file(entryPath());
    if (!file.exists())
        return true;
    if (!file.remove()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
