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

Failure lastFailure()
{
    return {systemReason(errno)};
}

QByteArray systemPath(const QString &path)
{
    return QFile::encodeName(QDir::fromNativeSeparators(path));
}

// The system call again for as long as a signal interrupts it.
template <typename Call> auto retried(Call call)
{
    decltype(call()) rc;
    do {
        rc = call();
    } while (rc < 0 && errno == EINTR);
    return rc;
}

// All `length` bytes in as many calls of `move` (pread, pwrite) as it takes,
// each given the bytes moved so far: the bytes moved, fewer only when a call
// moved none.
template <typename Move> Result<qint64> inPieces(qint64 length, Move move)
{
    qint64 moved = 0;
    while (moved < length) {
        const ssize_t n = retried([&] { return move(moved); });
        if (n < 0)
            return lastFailure();
        if (n == 0)
            break;
        moved += n;
    }
    return moved;
}

Result<void> done(int rc)
{
    if (rc != 0)
        return lastFailure();
    return {};
}

// Without blocking: opening a named pipe would otherwise wait for a writer
// forever. O_NOCTTY: a terminal device never becomes ours.
int openRetrying(const QByteArray &path, int flags)
{
    return retried([&] { return ::open(path.constData(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644); });
}

Result<int> descriptor(int fd)
{
    if (fd < 0)
        return lastFailure();
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
Result<int> keepIfRegular(int fd)
{
    struct stat st;
    QString why = ::fstat(fd, &st) != 0 ? systemReason(errno) : notRegular(st.st_mode);
    if (why.isEmpty() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        return fd;
    if (why.isEmpty())
        why = systemReason(errno);
    ::close(fd);
    return Failure{why};
}

Result<int> openForMode(const QString &path, OpenMode mode)
{
    const QByteArray name = systemPath(path);
    if (mode == OpenMode::ReadOnly)
        return descriptor(openRetrying(name, O_RDONLY));
    const int fd = openRetrying(name, O_RDWR);
    if (fd >= 0 || errno != ENOENT || mode != OpenMode::ReadWriteCreate)
        return descriptor(fd);
    const int created = openRetrying(name, O_RDWR | O_CREAT | O_EXCL);
    if (created < 0 && errno == EEXIST) // created by someone else a moment ago
        return descriptor(openRetrying(name, O_RDWR));
    if (created < 0)
        return lastFailure();
    // A newly created file only survives a crash once its folder entry is on disk too.
    const Result<void> synced = PosixFile::syncFolderOf(path);
    if (synced)
        return created;
    ::close(created);
    return Failure{synced.error()};
}

} // namespace

Result<std::unique_ptr<FileHandle>> PosixFile::open(const QString &path, OpenMode mode)
{
    const Result<int> opened = openForMode(path, mode);
    const Result<int> fd = opened ? keepIfRegular(*opened) : opened;
    if (!fd)
        return Failure{fd.error()};
    return std::unique_ptr<FileHandle>(new PosixFile(*fd));
}

QString PosixFile::whyNotAFile(const QString &path)
{
    const QByteArray name = systemPath(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return {}; // nothing there
    if (S_ISLNK(st.st_mode) && ::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? QStringLiteral("it is a link to %1, which does not exist")
                                     .arg(QFileInfo(QFile::decodeName(name)).symLinkTarget())
                               : systemReason(errno);
    return notRegular(st.st_mode);
}

Result<void> PosixFile::syncFolderOf(const QString &path)
{
    const QByteArray folder = systemPath(QFileInfo(QDir::fromNativeSeparators(path)).absolutePath());
    const int fd = openRetrying(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return lastFailure();
    const Result<void> synced = done(retried([fd] { return ::fsync(fd); }));
    ::close(fd);
    return synced;
}

PosixFile::~PosixFile()
{
    ::close(m_fd);
}

Result<bool> PosixFile::tryLockExclusive()
{
    if (retried([this] { return ::flock(m_fd, LOCK_EX | LOCK_NB); }) == 0)
        return true;
    if (errno == EWOULDBLOCK)
        return false;
    return lastFailure();
}

Result<qint64> PosixFile::size()
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return lastFailure();
    return qint64(st.st_size);
}

Result<qint64> PosixFile::readAt(qint64 offset, char *buffer, qint64 length)
{
    // Fewer only at the end of the file.
    return inPieces(length, [&](qint64 moved) {
        return ::pread(m_fd, buffer + moved, size_t(length - moved), offset + moved);
    });
}

Result<qint64> PosixFile::writeAt(qint64 offset, const char *data, qint64 length)
{
    const Result<qint64> written = inPieces(length, [&](qint64 moved) {
        return ::pwrite(m_fd, data + moved, size_t(length - moved), offset + moved);
    });
    if (written && *written < length)
        return Failure{systemReason(ENOSPC)};
    return written;
}

Result<void> PosixFile::truncate(qint64 length)
{
    return done(retried([&] { return ::ftruncate(m_fd, length); }));
}

Result<void> PosixFile::sync()
{
    return done(retried([this] { return ::fsync(m_fd); }));
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
