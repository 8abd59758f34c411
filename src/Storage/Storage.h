#pragma once
// How the app names and writes its files. Where they go: AppFolders.
#include "Platform/AtomicFile.h"

#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <optional>

class FileCalls;
class Paths;

namespace Storage {

void ensureDirectory(const QString& path);

QString screenshotStem(const QDateTime& date, bool withMillis);
// The time a screenshot's file name tells (its stem, local time), none when
// the name is not one of ours.
std::optional<QDateTime> screenshotDate(const QString& fileName);

// Pretty, sorted-key JSON, written all or nothing.
FileWriteOutcome writeJSON(FileCalls& calls, const QJsonValue& value, const QString& path);
// The whole content of a file of the app's data, written all or nothing
// (AtomicFile) and readable by the user alone (0600), creating its folder.
// A link in its place is replaced (and logged), never written through.
FileWriteOutcome writeFileAtomically(FileCalls& calls, const QString& path, const QByteArray& data);
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

// What is known of a file without reading it.
enum class Presence { present, absent, unknown };
// `unknown` when its folder may not be searched or the disk fails: such a
// file may well exist, and nothing may be concluded from its absence.
Presence presence(const QString& path);

// Keeps a file that could not be read before anything overwrites it: gives it
// the new name "<name>.unreadable-<yyyyMMdd-HHmmss>" (with a number when
// taken), never replacing anything of that name, a planted link included.
// Returns the new path or empty.
QString moveAside(FileCalls& calls, const QString& path);
// The same name, but a copy of the bytes already read: the original stays.
QString copyAside(FileCalls& calls, const QString& path, const QByteArray& content);

} // namespace Storage
