#include "archive/PosixFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

IoResult lastFailure()
{
    return IoResult::failure(systemReason(errno));
}

int openRetrying(const QByteArray &path, int flags)
{
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// A newly created file only survives a crash once its folder entry is on disk too.
void syncFolderOf(const QByteArray &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = openRetrying(folder, O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int openForMode(const QByteArray &path, FileSystem::Mode mode)
{
    if (mode == FileSystem::Mode::ReadOnly)
        return openRetrying(path, O_RDONLY);
    int fd = openRetrying(path, O_RDWR);
    if (fd >= 0 || errno != ENOENT || mode != FileSystem::Mode::ReadWriteCreate)
        return fd;
    fd = openRetrying(path, O_RDWR | O_CREAT | O_EXCL);
    if (fd >= 0)
        syncFolderOf(path);
    else if (errno == EEXIST) // created by someone else a moment ago
        fd = openRetrying(path, O_RDWR);
    return fd;
}

} // namespace

std::unique_ptr<FileHandle> PosixFile::open(const QString &path, FileSystem::Mode mode,
                                            QString *reason)
{
    const int fd = openForMode(QFile::encodeName(QDir::fromNativeSeparators(path)), mode);
    if (fd < 0) {
        if (reason)
            *reason = systemReason(errno);
        return nullptr;
    }
    return std::unique_ptr<FileHandle>(new PosixFile(fd));
}

PosixFile::~PosixFile()
{
    ::close(m_fd);
}

IoResult PosixFile::tryLockExclusive()
{
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return IoResult::success(1);
    if (errno == EWOULDBLOCK)
        return IoResult::success(0);
    return lastFailure();
}

IoResult PosixFile::size()
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return lastFailure();
    return IoResult::success(st.st_size);
}

IoResult PosixFile::readAt(qint64 offset, char *buffer, qint64 length)
{
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, buffer + done, length - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return lastFailure();
        if (n == 0)
            break; // end of file
        done += n;
    }
    return IoResult::success(done);
}

IoResult PosixFile::writeAt(qint64 offset, const char *data, qint64 length)
{
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(m_fd, data + done, length - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return lastFailure();
        if (n == 0)
            return IoResult::failure(systemReason(ENOSPC));
        done += n;
    }
    return IoResult::success(done);
}

IoResult PosixFile::truncate(qint64 length)
{
    int rc;
    do {
        rc = ::ftruncate(m_fd, length);
    } while (rc < 0 && errno == EINTR);
    return rc == 0 ? IoResult::success(length) : lastFailure();
}

IoResult PosixFile::sync()
{
    int rc;
    do {
        rc = ::fsync(m_fd);
    } while (rc < 0 && errno == EINTR);
    return rc == 0 ? IoResult::success() : lastFailure();
}
