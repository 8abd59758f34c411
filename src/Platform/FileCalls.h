#pragma once
// The few system calls the app writes its files with, behind one interface,
// so that every writer (histories, pictures, settings, the autostart entry)
// goes through the same checked steps and a test can make the disk fail at
// any byte (full, broken, read-only). Each call answers as the system call
// does, but with the error number negated instead of -1 and errno.
#include <QByteArray>
#include <sys/types.h>

class FileCalls {
public:
    virtual ~FileCalls() = default;
    // A new file for writing: never an existing one, never through a link.
    virtual int createNew(const QByteArray& path, mode_t mode) = 0;
    // An existing file for appending, never through a link.
    virtual int openAppend(const QByteArray& path) = 0;
    // Bytes written (possibly fewer than asked), or the negated error.
    virtual qint64 write(int fd, const char* data, qint64 size) = 0;
    // The file's content on the disk (fdatasync).
    virtual int sync(int fd) = 0;
    // The file's size, or the negated error.
    virtual qint64 size(int fd) = 0;
    virtual int truncate(int fd, qint64 size) = 0;
    virtual int close(int fd) = 0;
    // Puts `from` in the place of `to`, replacing what was there (a link
    // included, never what it points to).
    virtual int rename(const QByteArray& from, const QByteArray& to) = 0;
    // Gives `from` the name `to` only while nothing has that name.
    virtual int renameNoReplace(const QByteArray& from, const QByteArray& to) = 0;
    virtual int remove(const QByteArray& path) = 0;
    // Makes a folder's entries (a rename) last across a power loss.
    virtual int syncFolder(const QByteArray& folder) = 0;
    // The whole content of a file, never read through a link: 0, or the
    // negated error (-ENOENT when there is none, -EACCES when it may not be
    // read, -EIO when the disk fails).
    virtual int readAll(const QByteArray& path, QByteArray* data) = 0;
};
