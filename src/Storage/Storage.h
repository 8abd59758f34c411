#pragma once
// How the app names and writes its files. Where they go: AppFolders.
#include <QDateTime>
#include <QJsonValue>
#include <QString>

class Paths;

namespace Storage {

void ensureDirectory(const QString& path);

QString screenshotStem(const QDateTime& date, bool withMillis);

// Pretty, sorted-key JSON, written atomically (temporary file + fsync + rename).
// False when nothing was written.
bool writeJSON(const QJsonValue& value, const QString& path);
// The whole content of a file, written atomically and readable by the user
// alone (0600), creating its folder. A link in its place is replaced, never
// written through. False when nothing was written.
bool writeFileAtomically(const QString& path, const QByteArray& data);
// Restricts an existing file to its owner (0600); a link is left alone.
void makePrivate(const QString& path);
// Restricts an existing folder to its owner (0700).
void makePrivateFolder(const QString& path);
// Every file directly in the folder restricted to its owner (0600): files
// an earlier version left open to others.
void makeFilesPrivate(const QString& folder);

void deleteFile(const QString& path); // empty path: nothing
// To the user's Trash; empty path or nothing there: nothing.
void trashFile(Paths& paths, const QString& path);

// File names read from history files are joined to folders only when they are
// plain names: not empty, no '/', no NUL, not "." or "..".
bool isPlainFileName(const QString& name);

// Keeps a file that could not be read before anything overwrites it:
// renames it to "<name>.unreadable-<yyyyMMdd-HHmmss>". Returns the new path or empty.
QString moveAside(const QString& path);
// The same name, but a copy: the original stays where it is.
QString copyAside(const QString& path);

} // namespace Storage
