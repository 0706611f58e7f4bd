#pragma once

#include "archive/FileHandle.h"
#include "archive/FileSystem.h"

#include <memory>

// A file of the operating system, reached by its descriptor; flock() gives the
// lock, so two running copies of the program exclude each other.
class PosixFile final : public FileHandle {
public:
    static std::unique_ptr<FileHandle> open(const QString &path, FileSystem::Mode mode, QString *reason);
    // Empty when `path` is absent or a regular file (through links); else why
    // it cannot hold the archive: a folder, a dangling link, a pipe, a device.
    static QString whyNotAFile(const QString &path);
    ~PosixFile() override;
    PosixFile(const PosixFile &) = delete;
    PosixFile &operator=(const PosixFile &) = delete;

    IoResult tryLockExclusive() override;
    IoResult size() override;
    IoResult readAt(qint64 offset, char *buffer, qint64 length) override;
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override;
    IoResult truncate(qint64 length) override;
    IoResult sync() override;
    QList<Stretch> dataStretches(qint64 length) override;

private:
    explicit PosixFile(int fd) : m_fd(fd) {}
    int m_fd;
};
