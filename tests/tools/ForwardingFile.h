#pragma once

#include "archive/FileHandle.h"
#include "archive/FileSystem.h"

#include <memory>

// A file that hands every call on to a real one. Tests derive from it and
// override the calls they want to disturb.
class ForwardingFile : public FileHandle {
public:
    explicit ForwardingFile(std::unique_ptr<FileHandle> real) : m_real(std::move(real)) {}

    IoResult tryLockExclusive() override { return m_real->tryLockExclusive(); }
    IoResult size() override { return m_real->size(); }
    IoResult readAt(qint64 offset, char *buffer, qint64 length) override
    {
        return m_real->readAt(offset, buffer, length);
    }
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override
    {
        return m_real->writeAt(offset, data, length);
    }
    IoResult truncate(qint64 length) override { return m_real->truncate(length); }
    IoResult sync() override { return m_real->sync(); }
    QList<Stretch> dataStretches(qint64 length) override { return m_real->dataStretches(length); }

protected:
    FileHandle &real() { return *m_real; }

private:
    std::unique_ptr<FileHandle> m_real;
};

// The file system that was installed when it was made, call for call; the
// same for tests to derive from.
class ForwardingFileSystem : public FileSystem {
public:
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override
    {
        return real.open(path, mode, reason);
    }
    bool exists(const QString &path) override { return real.exists(path); }
    IoResult remove(const QString &path) override { return real.remove(path); }
    IoResult syncFolderOf(const QString &path) override { return real.syncFolderOf(path); }

protected:
    FileSystem &real = FileSystem::current();
};
