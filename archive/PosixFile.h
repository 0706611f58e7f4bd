#pragma once

#include "archive/FileHandle.h"

#include <QString>
#include <memory>

// A file of the operating system, reached by its descriptor; flock() gives the
// lock, so two running copies of the program exclude each other.
class PosixFile final : public FileHandle {
public:
    // Only a regular file opens; a file it creates is made durable in its folder first.
    static Result<std::unique_ptr<FileHandle>> open(const QString &path, OpenMode mode);
    // Empty when `path` is absent or a regular file (through links); else why
    // it cannot hold the archive: a folder, a dangling link, a pipe, a device.
    static QString whyNotAFile(const QString &path);
    // Makes the names in the folder holding `path` durable (fsync of the folder).
    static Result<void> syncFolderOf(const QString &path);
    ~PosixFile() override;
    PosixFile(const PosixFile &) = delete;
    PosixFile &operator=(const PosixFile &) = delete;

    Result<bool> tryLockExclusive() override;
    Result<qint64> size() override;
    Result<qint64> readAt(qint64 offset, char *buffer, qint64 length) override;
    Result<qint64> writeAt(qint64 offset, const char *data, qint64 length) override;
    Result<void> truncate(qint64 length) override;
    Result<void> sync() override;
    QList<Stretch> dataStretches(qint64 length) override;

private:
    explicit PosixFile(int fd) : m_fd(fd) {}
    int m_fd;
};
