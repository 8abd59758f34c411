#pragma once
// Where the app keeps its files and how it names and writes them. Every
// location is computed anew on each call; nothing is cached.
#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <memory>

class Paths;
struct AppSettings;

namespace Storage {

// The folder services used by every call below; every program installs its
// own at start (no default).
void setPaths(std::shared_ptr<Paths> paths);
Paths& paths();

QString baseDirectory();           // <data home>/Zentu.it, not created here
QString screenshotsDirectory();    // base/Screenshots
QString thumbnailsDirectory();     // base/Thumbnails
QString clipboardImagesDirectory(); // base/ClipboardImages
QString exportDirectory(const AppSettings& settings);

// Moves legacy folders, then creates base and its three subfolders. The base
// folder holds clipboard texts and images, so it is private to the user (0700),
// also when it existed before with another mode.
void ensureDirectories();
void ensureDirectory(const QString& path);

QString screenshotStem(const QDateTime& date, bool withMillis);

// Pretty, sorted-key JSON, written atomically (temporary file + fsync + rename).
// False when nothing was written.
bool writeJSON(const QJsonValue& value, const QString& path);
// The whole content of a file, written atomically and readable by the user
// alone (0600), creating its folder. False when nothing was written.
bool writeFileAtomically(const QString& path, const QByteArray& data);
// Restricts an existing file to its owner (0600).
void makePrivate(const QString& path);

void deleteFile(const QString& path); // empty path: nothing
void trashFile(const QString& path);  // empty path or nothing there: nothing

// File names read from history files are joined to folders only when they are
// plain names: not empty, no '/', no NUL, not "." or "..".
bool isPlainFileName(const QString& name);

// Keeps a file that could not be read before anything overwrites it:
// renames it to "<name>.unreadable-<yyyyMMdd-HHmmss>". Returns the new path or empty.
QString moveAside(const QString& path);
// The same name, but a copy: the original stays where it is.
QString copyAside(const QString& path);

} // namespace Storage
