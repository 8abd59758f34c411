#pragma once
// The diagnostic log: debug.log in the storage base folder, one line per
// message: "[HH:mm:ss.SSS] message". Restarted at every launch.
#include <QString>

namespace DebugLog {
// Appends one entry; never fails visibly. Safe from any thread (frame grabs log
// from workers).
void write(const QString& message);
// Replaces the whole file with the header line, followed by what this process
// wrote before (the stores and settings load ahead of the launch steps, and
// their messages belong to this run's log); used once at launch.
void restart();
QString filePath();
}
