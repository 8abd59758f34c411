#pragma once
// The diagnostic log: debug.log in the storage base folder, one line per
// message: "[HH:mm:ss.SSS] message". Restarted at every launch.
#include <QString>

namespace DebugLog {
// Appends one entry; never fails visibly. Safe from any thread (frame grabs log
// from workers).
void write(const QString& message);
// From now until the restart, entries are also kept in memory: the settings
// and the stores load before the launch restarts the file, and what they
// report (an unreadable history, say) belongs in this run's log.
void keepEntriesForLaunch();
// Replaces the whole file with the header line; used once at launch.
void restart();
// Appends the entries kept before the restart, once.
void writeEarlierEntries();
QString filePath();
// Ends logging for the rest of the process: once the uninstaller has removed
// the data folder, no later line may bring it back.
void stop();
}
