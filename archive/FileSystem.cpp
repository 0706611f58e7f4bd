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

Failure lastFailure()
{
    return {QString::fromLocal8Bit(std::strerror(errno))};
}

Result<void> done(bool ok)
{
    if (!ok)
        return lastFailure();
    return {};
}

class RealFileSystem final : public FileSystem {
public:
    Result<std::unique_ptr<FileHandle>> open(const QString &path, OpenMode mode) override
    {
        return PosixFile::open(path, mode);
    }

    bool exists(const QString &path) override
    {
        struct stat st;
        return ::lstat(systemPath(path).constData(), &st) == 0;
    }

    QString whyNotAFile(const QString &path) override { return PosixFile::whyNotAFile(path); }

    Result<void> remove(const QString &path) override
    {
        return done(::unlink(systemPath(path).constData()) == 0);
    }

    Result<void> removeIfEmpty(const QString &path) override
    {
        const QByteArray name = systemPath(path);
        struct stat st;
        if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0)
            return {};
        return done(::unlink(name.constData()) == 0);
    }

    Result<bool> renameNoReplace(const QString &from, const QString &to) override
    {
        const QByteArray source = systemPath(from), target = systemPath(to);
        int rc = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        // A file system without the flag: a new link fails just as surely when the name is taken.
        if (rc != 0 && errno == EINVAL) {
            rc = ::link(source.constData(), target.constData());
            if (rc == 0 && ::unlink(source.constData()) != 0) {
                const Failure failed = lastFailure();
                ::unlink(target.constData());
                return failed;
            }
        }
        if (rc == 0)
            return true;
        if (errno == EEXIST)
            return false;
        return lastFailure();
    }

    Result<void> syncFolderOf(const QString &path) override { return PosixFile::syncFolderOf(path); }

    Result<void> makeFolder(const QString &path) override
    {
        return done(QDir().mkpath(QDir::fromNativeSeparators(path)));
    }

    bool isWritableFolder(const QString &path) override
    {
        return QFileInfo(QDir::fromNativeSeparators(path)).isWritable();
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
