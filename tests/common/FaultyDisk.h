#pragma once

// A file system whose calls fail on demand, for the tests of failing saves.
#include "archive/FileSystem.h"

#include <QString>
#include <memory>

// Remove, Rename and SyncFolder: removing the journal or setting it aside,
// syncing the folder that holds it.
enum class Call { Open, Read, Write, Sync, Remove, Rename, SyncFolder };

struct Fault {
    Call call = Call::Open;
    QString reason;            // what the system says
    qint64 written = 0;        // a failing write: this much reaches the file first
    bool reportsShort = false; // the write stops short and says how much it wrote
    bool dies = false;         // from then on every call fails, putting back included
};

// The real file system with one call failing: the nth of its kind, counted
// over every file opened; `left` counts down to it, 0 when none is to fail.
// Without `syncs` every sync succeeds at once: a killed process leaves its
// writes in the system's cache anyway, and syncing only costs time.
struct Disk final : FileSystem {
    bool trips(Call call)
    {
        const bool fails = dead || (call == fault.call && left > 0 && --left == 0);
        tripped = tripped || fails;
        dead = fails && fault.dies;
        return fails;
    }
    Result<std::unique_ptr<FileHandle>> open(const QString &path, OpenMode mode) override;
    // What start-up asks of the folders does not fail.
    bool exists(const QString &path) override { return real.exists(path); }
    QString whyNotAFile(const QString &path) override { return real.whyNotAFile(path); }
    Result<void> removeIfEmpty(const QString &path) override { return real.removeIfEmpty(path); }
    Result<void> makeFolder(const QString &path) override { return real.makeFolder(path); }
    bool isWritableFolder(const QString &path) override { return real.isWritableFolder(path); }
    Result<void> remove(const QString &path) override
    {
        return trips(Call::Remove) ? Failure{fault.reason} : real.remove(path);
    }
    Result<bool> renameNoReplace(const QString &from, const QString &to) override
    {
        return trips(Call::Rename) ? Failure{fault.reason} : real.renameNoReplace(from, to);
    }
    Result<void> syncFolderOf(const QString &path) override
    {
        return !syncs                    ? Result<void>()
               : trips(Call::SyncFolder) ? Failure{fault.reason}
                                         : real.syncFolderOf(path);
    }

    FileSystem &real = FileSystem::current();
    Fault fault;
    int left = 0;
    bool tripped = false, dead = false, syncs = true;
};

class DiskFile final : public FileHandle {
public:
    DiskFile(std::unique_ptr<FileHandle> real, Disk &disk) : m_real(std::move(real)), m_disk(disk) {}

    Result<bool> tryLockExclusive() override { return m_real->tryLockExclusive(); }
    Result<qint64> size() override { return m_real->size(); }
    Result<qint64> readAt(qint64 offset, char *buffer, qint64 length) override
    {
        return m_disk.trips(Call::Read) ? failed() : m_real->readAt(offset, buffer, length);
    }
    Result<qint64> writeAt(qint64 offset, const char *data, qint64 length) override
    {
        if (!m_disk.trips(Call::Write))
            return m_real->writeAt(offset, data, length);
        const qint64 part = std::min(length - 1, m_disk.fault.written); // short of the whole, however small
        static_cast<void>(m_real->writeAt(offset, data, part));
        return m_disk.fault.reportsShort ? Result<qint64>(part) : failed();
    }
    Result<void> truncate(qint64 length) override { return m_real->truncate(length); }
    Result<void> sync() override
    {
        return !m_disk.syncs ? Result<void>() : m_disk.trips(Call::Sync) ? failed() : m_real->sync();
    }
    QList<Stretch> dataStretches(qint64 length) override { return m_real->dataStretches(length); }

private:
    Failure failed() const { return {m_disk.fault.reason}; }
    std::unique_ptr<FileHandle> m_real;
    Disk &m_disk;
};

inline Result<std::unique_ptr<FileHandle>> Disk::open(const QString &path, OpenMode mode)
{
    if (trips(Call::Open))
        return Failure{fault.reason};
    Result<std::unique_ptr<FileHandle>> file = real.open(path, mode);
    if (!file)
        return file;
    return std::unique_ptr<FileHandle>(std::make_unique<DiskFile>(std::move(*file), *this));
}
