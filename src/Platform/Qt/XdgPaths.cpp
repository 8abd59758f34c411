#include "Platform/Qt/XdgPaths.h"

#include "Platform/Qt/FreedesktopTrash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString XdgPaths::homeDirectory() const
{
    return QDir::homePath();
}

QString XdgPaths::applicationSupportDirectory() const
{
    // GenericDataLocation's first entry is $XDG_DATA_HOME (default ~/.local/share).
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    return dirs.isEmpty() ? QString() : dirs.first();
}

QString XdgPaths::picturesDirectory() const
{
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::PicturesLocation);
    return dirs.isEmpty() ? QString() : dirs.first();
}

QString XdgPaths::temporaryDirectory() const
{
    return QDir::tempPath();
}

bool XdgPaths::moveToTrash(const QString& path)
{
    return FreedesktopTrash::moveToTrash(path);
}
