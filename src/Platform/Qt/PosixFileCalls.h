#pragma once
#include "Platform/FileCalls.h"

// The file calls of the running system.
class PosixFileCalls final : public FileCalls {
public:
    int createNew(const QByteArray& path, mode_t mode) override;
    int openAppend(const QByteArray& path) override;
    qint64 write(int fd, const char* data, qint64 size) override;
    int sync(int fd) override;
    qint64 size(int fd) override;
    int truncate(int fd, qint64 size) override;
    int close(int fd) override;
    int rename(const QByteArray& from, const QByteArray& to) override;
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override;
    int remove(const QByteArray& path) override;
    int syncFolder(const QByteArray& folder) override;
    int readAll(const QByteArray& path, QByteArray* data) override;
};
