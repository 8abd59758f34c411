#pragma once
// The app's own folders, found in the user's folders: where the histories,
// their pictures and the log live, and where exports go. Every location is
// computed anew on each call (a changed environment counts at once); nothing
// is created unless asked. Copies share the same services: the user's
// folders, and the file calls every file of the app is written with.
#include "Debug/DebugLog.h"

#include <QString>
#include <memory>

class FileCalls;
class Paths;
struct AppSettings;

class AppFolders {
public:
    AppFolders(std::shared_ptr<Paths> paths, std::shared_ptr<FileCalls> files);

    QString baseDirectory() const;            // <data home>/Zentu.it, not created here
    QString screenshotsDirectory() const;     // base/Screenshots
    QString thumbnailsDirectory() const;      // base/Thumbnails
    QString clipboardImagesDirectory() const; // base/ClipboardImages
    // The chosen folder, else <pictures>/Zentu.it.
    QString exportDirectory(const AppSettings& settings) const;

    // Moves legacy folders, then creates base and its three subfolders. They
    // hold clipboard texts and images, so they are private to the user (0700),
    // also when they existed before with another mode; a link in place of a
    // subfolder is replaced by a folder of ours.
    void ensureDirectories() const;

    // A symbolic link at `path` (planted where the app keeps a file or folder
    // of its own) is removed, so what comes next makes a file or folder of
    // ours instead of writing where it points; logged. True when there was one.
    static bool replaceLink(const QString& path);

    // Where the program's log goes: debug.log in the base folder, made ready
    // (folders created, never written through a planted link) before each write.
    DebugLog::Place debugLog() const;

    // The user's folders these are found in (also their Trash).
    Paths& paths() const { return *m_paths; }
    // What writes (and reads) the files in them.
    FileCalls& files() const { return *m_files; }

private:
    QString dataHome() const;
    QString pictures() const;

    std::shared_ptr<Paths> m_paths;
    std::shared_ptr<FileCalls> m_files;
};
