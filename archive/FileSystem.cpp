#include "archive/FileSystem.h"

#include "archive/PosixFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray systemPath(const QString &path)
{
    return QFile::encodeName(QDir::fromNativeSeparators(path));
}

IoResult lastFailure()
{
    return IoResult::failure(QString::fromLocal8Bit(std::strerror(errno)));
}

class RealFileSystem final : public FileSystem {
public:
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override
    {
        return PosixFile::open(path, mode, reason);
    }

    bool exists(const QString &path) override
    {
        struct stat st;
        return ::lstat(systemPath(path).constData(), &st) == 0;
    }

    IoResult remove(const QString &path) override
    {
        return ::unlink(systemPath(path).constData()) == 0 ? IoResult::success() : lastFailure();
    }

    IoResult renameNoReplace(const QString &from, const QString &to) override
    {
        const QByteArray source = systemPath(from), target = systemPath(to);
        int rc = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        // A file system without the flag: a new link fails just as surely when the name is taken.
        if (rc != 0 && errno == EINVAL) {
            rc = ::link(source.constData(), target.constData());
            if (rc == 0 && ::unlink(source.constData()) != 0) {
                const IoResult failed = lastFailure();
                ::unlink(target.constData());
                return failed;
            }
        }
        if (rc == 0)
            return IoResult::success(1);
        return errno == EEXIST ? IoResult::success(0) : lastFailure();
    }

    IoResult syncFolderOf(const QString &path) override
    {
        const QByteArray folder =
            QFile::encodeName(QFileInfo(QDir::fromNativeSeparators(path)).absolutePath());
        int fd;
        do {
            fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return lastFailure();
        int rc;
        do {
            rc = ::fsync(fd);
        } while (rc < 0 && errno == EINTR);
        const IoResult synced = rc == 0 ? IoResult::success() : lastFailure();
        ::close(fd);
        return synced;
    }
};

} // namespace

template <> FileSystem &Outside<FileSystem>::real()
{
    static RealFileSystem real;
    return real;
}

FileSystem &FileSystem::current()
{
    return Outside<FileSystem>::current();
}
