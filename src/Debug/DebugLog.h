#pragma once
// The diagnostic log: debug.log in the storage base folder, one line per
// message: "[HH:mm:ss.SSS] message". Restarted at every launch.
#include <QString>

namespace DebugLog {
// Appends one entry; never fails visibly. Safe from any thread (frame grabs log
// from workers).
void write(const QString& message);
// Replaces the whole file with the header line; used once at launch.
void restart();
// Appends, once, the entries this process wrote before the restart: the
// settings and the stores load ahead of the launch steps, and what they
// reported (an unreadable history, say) belongs in this run's log.
void writeEarlierEntries();
QString filePath();
}
