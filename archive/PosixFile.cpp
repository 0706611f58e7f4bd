#include "archive/PosixFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
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

// Without blocking: opening a named pipe would otherwise wait for a writer
// forever. O_NOCTTY: a terminal device never becomes ours.
int openRetrying(const QByteArray &path, int flags)
{
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Why a file of this type cannot hold the archive; empty for a regular file.
QString notRegular(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a file");
    return QStringLiteral("it is not a regular file");
}

// Only a regular file is kept open, and then in blocking mode again so
// reads and writes wait for the disk as usual.
int keepIfRegular(int fd, QString *reason)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *reason = systemReason(errno);
    } else {
        *reason = notRegular(st.st_mode);
        if (reason->isEmpty() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
            return fd;
        if (reason->isEmpty())
            *reason = systemReason(errno);
    }
    ::close(fd);
    return -1;
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

std::unique_ptr<FileHandle> PosixFile::open(const QString &path, FileSystem::Mode mode, QString *reason)
{
    QString why;
    int fd = openForMode(QFile::encodeName(QDir::fromNativeSeparators(path)), mode);
    if (fd < 0)
        why = systemReason(errno);
    else
        fd = keepIfRegular(fd, &why);
    if (fd < 0) {
        if (reason)
            *reason = why;
        return nullptr;
    }
    return std::unique_ptr<FileHandle>(new PosixFile(fd));
}

QString PosixFile::whyNotAFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(QDir::fromNativeSeparators(path));
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return {}; // nothing there
    if (S_ISLNK(st.st_mode) && ::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? QStringLiteral("it is a link to %1, which does not exist")
                                     .arg(QFileInfo(QFile::decodeName(name)).symLinkTarget())
                               : systemReason(errno);
    return notRegular(st.st_mode);
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

QList<FileHandle::Stretch> PosixFile::dataStretches(qint64 length)
{
    // A file of many small holes is taken as all data from some point on:
    // slower to scan, never wrong.
    constexpr int MostStretches = 1024;
    QList<Stretch> stretches;
    qint64 at = 0;
    while (at < length) {
        const off_t data = ::lseek(m_fd, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // only a hole follows
        const off_t hole = data < 0 ? -1 : ::lseek(m_fd, data, SEEK_HOLE);
        if (data < 0 || hole < 0 || stretches.size() == MostStretches) {
            stretches.append({at, length}); // the file system cannot tell
            break;
        }
        stretches.append({data, std::min<qint64>(hole, length)});
        at = hole;
    }
    return stretches;
}
