#pragma once
// The diagnostic log: debug.log in the app's base folder, one line per
// message: "[HH:mm:ss.SSS] message". Restarted at every launch; the previous
// run's log is kept as debug.log.1.
//
// Every layer writes to it, platform code and worker threads included, so the
// writing functions are free; where the file goes is given by the program: its
// main opens the log in its app folders (DebugLog::File) before anything logs.
// It stands below everything else, so it knows nothing of the app's folders.
#include <QString>
#include <functional>

namespace DebugLog {

// Where the log goes: its file (asked anew for each entry), and what makes
// that place ready before the file is opened (folders created, a link planted
// in the file's place removed).
struct Place {
    std::function<QString()> path;
    std::function<void()> prepare;
};

// The open log, for as long as it lives (one per program; a later one takes
// over until it ends). Entries written while no log is open are dropped.
class File {
public:
    explicit File(Place place);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

private:
    const Place m_place;
    const Place* m_previous;
};

// Appends one entry; never fails visibly. Safe from any thread (frame grabs log
// from workers).
void write(const QString& message);
// From now until the restart, entries are kept in memory instead: the
// settings and the stores load before the launch restarts the file, and what
// they report (an unreadable history, say) belongs in this run's log.
void keepEntriesForLaunch();
// Keeps the file as debug.log.1 (replacing an older one) and starts a new
// one with the header line; used once at launch.
void restart();
// Appends the entries kept before the restart, once.
void writeEarlierEntries();
// Empty while no log is open.
QString filePath();
// Ends logging for the rest of the process: once the uninstaller has removed
// the data folder, no later line may bring it back.
void stop();
}
