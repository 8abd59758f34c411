#include "Platform/Qt/PosixFileCalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
int result(int r) { return r < 0 ? -errno : r; }

template <typename Call>
auto retried(Call call)
{
    decltype(call()) r;
    do
        r = call();
    while (r < 0 && errno == EINTR);
    return r;
}
}

int PosixFileCalls::createNew(const QByteArray& path, mode_t mode)
{
    return result(retried([&] {
        return ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    }));
}

int PosixFileCalls::openAppend(const QByteArray& path)
{
    return result(retried([&] { return ::open(path.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC); }));
}

qint64 PosixFileCalls::write(int fd, const char* data, qint64 size)
{
    const ssize_t r = retried([&] { return ::write(fd, data, size_t(size)); });
    return r < 0 ? -errno : qint64(r);
}

int PosixFileCalls::sync(int fd)
{
    return result(retried([&] { return ::fdatasync(fd); }));
}

qint64 PosixFileCalls::size(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -errno;
    return qint64(st.st_size);
}

int PosixFileCalls::truncate(int fd, qint64 size)
{
    return result(retried([&] { return ::ftruncate(fd, off_t(size)); }));
}

int PosixFileCalls::close(int fd)
{
    // Retrying a close after EINTR could close a descriptor another thread
    // just opened: Linux has released it either way.
    const int r = ::close(fd);
    return r < 0 && errno != EINTR ? -errno : 0;
}

int PosixFileCalls::rename(const QByteArray& from, const QByteArray& to)
{
    return result(::rename(from.constData(), to.constData()));
}

int PosixFileCalls::renameNoReplace(const QByteArray& from, const QByteArray& to)
{
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 1 /* RENAME_NOREPLACE */) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -errno;
#endif
    // A file system without it: a second name fails when the name is taken.
    if (::link(from.constData(), to.constData()) != 0)
        return -errno;
    ::unlink(from.constData());
    return 0;
}

int PosixFileCalls::remove(const QByteArray& path)
{
    return result(::unlink(path.constData()));
}

int PosixFileCalls::syncFolder(const QByteArray& folder)
{
    const int fd = retried([&] { return ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0)
        return -errno;
    const int r = retried([&] { return ::fsync(fd); });
    const int error = r < 0 ? -errno : 0;
    ::close(fd);
    return error;
}

int PosixFileCalls::readAll(const QByteArray& path, QByteArray* data)
{
    data->clear();
    const int fd = retried([&] { return ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC); });
    if (fd < 0)
        return -errno;
    int error = 0;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        data->reserve(qsizetype(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = retried([&] { return ::read(fd, buffer, sizeof buffer); });
        if (n < 0) {
            error = -errno;
            break;
        }
        if (n == 0)
            break;
        data->append(buffer, qsizetype(n));
    }
    ::close(fd);
    if (error)
        data->clear();
    return error;
}
