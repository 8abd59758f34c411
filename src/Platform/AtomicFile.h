#pragma once
// Writing a whole file so that it is either all new or all old: the data goes
// into a new temporary file beside it, every write is checked (short writes,
// a full disk or quota, an I/O error), the file is synced and its size
// confirmed, and only then is it renamed over the old one and the folder
// synced. On any failure the temporary file goes and the old file stays as it
// was. Every file the app writes goes this way.
#include "Platform/FileCalls.h"

#include <QString>

struct FileWriteOutcome {
    int error = 0;   // the system's error number; 0 when written
    QString step;    // the step that failed, for the log
    QString path;

    bool ok() const { return error == 0; }
    // No space left (disk or quota): writes may work again once space returns.
    bool diskFull() const;
    // "<path>: <step>: <system's text>".
    QString describe() const;
};

namespace AtomicFile {

// mode: of a new file (the umask applies); private to the user by default.
FileWriteOutcome write(FileCalls& calls, const QString& path, const QByteArray& data, mode_t mode = 0600);
// The same for a name that must be new: fails (EEXIST) when anything, a link
// included, has that name already, and never replaces it.
FileWriteOutcome writeNew(FileCalls& calls, const QString& path, const QByteArray& data, mode_t mode = 0600);
// Writes the data completely to an open file; false with the error otherwise.
int writeAll(FileCalls& calls, int fd, const QByteArray& data);
// The temporary files this writer leaves only when killed mid-write.
bool isTemporaryName(const QString& fileName);

} // namespace AtomicFile
