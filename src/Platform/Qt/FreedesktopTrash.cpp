#include "Platform/Qt/FreedesktopTrash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// The home Trash is Qt's last choice for every file: while it is usable, Qt
// always has a real Trash to move to.
bool homeTrashUsable()
{
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    if (!QDir().mkpath(QFileInfo(trash).absolutePath()))
        return false;
    for (const QString& dir : {trash, trash + QStringLiteral("/files"), trash + QStringLiteral("/info")}) {
        const QFileInfo info(dir);
        if (!info.exists() && !info.isSymLink()) {
            // Private to the user: other accounts must not list what was deleted.
            if (!QDir().mkdir(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
                return false;
        } else if (info.isSymLink() || !info.isDir() || !info.isWritable()) {
            return false;
        }
    }
    return true;
}
} // namespace

bool FreedesktopTrash::moveToTrash(const QString& path)
{
    return homeTrashUsable() && QFile::moveToTrash(path);
}
