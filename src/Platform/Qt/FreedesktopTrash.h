#pragma once
// Moving a file or folder to the user's Trash (the freedesktop.org Trash,
// through QFile::moveToTrash), refused where the home Trash cannot be used:
// Qt 6.4 then "trashes" into a folder "files" below the working directory.
#include <QString>

namespace FreedesktopTrash {
// False when the file could not be moved, or the home Trash
// ($XDG_DATA_HOME/Trash with files/ and info/) is not a folder we can write
// and cannot be made one.
bool moveToTrash(const QString& path);
}
