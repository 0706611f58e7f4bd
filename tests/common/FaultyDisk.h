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
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override;
    bool exists(const QString &path) override { return real.exists(path); }
    IoResult remove(const QString &path) override
    {
        return trips(Call::Remove) ? IoResult::failure(fault.reason) : real.remove(path);
    }
    IoResult renameNoReplace(const QString &from, const QString &to) override
    {
        return trips(Call::Rename) ? IoResult::failure(fault.reason) : real.renameNoReplace(from, to);
    }
    IoResult syncFolderOf(const QString &path) override
    {
        return !syncs                    ? IoResult::success()
               : trips(Call::SyncFolder) ? IoResult::failure(fault.reason)
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

    IoResult tryLockExclusive() override { return m_real->tryLockExclusive(); }
    IoResult size() override { return m_real->size(); }
    IoResult readAt(qint64 offset, char *buffer, qint64 length) override
    {
        return m_disk.trips(Call::Read) ? failed() : m_real->readAt(offset, buffer, length);
    }
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override
    {
        if (!m_disk.trips(Call::Write))
            return m_real->writeAt(offset, data, length);
        const qint64 part = std::min(length - 1, m_disk.fault.written); // short of the whole, however small
        m_real->writeAt(offset, data, part);
        return m_disk.fault.reportsShort ? IoResult::success(part) : failed();
    }
    IoResult truncate(qint64 length) override { return m_real->truncate(length); }
    IoResult sync() override
    {
        return !m_disk.syncs ? IoResult::success() : m_disk.trips(Call::Sync) ? failed() : m_real->sync();
    }
    QList<Stretch> dataStretches(qint64 length) override { return m_real->dataStretches(length); }

private:
    IoResult failed() const { return IoResult::failure(m_disk.fault.reason); }
    std::unique_ptr<FileHandle> m_real;
    Disk &m_disk;
};

inline std::unique_ptr<FileHandle> Disk::open(const QString &path, Mode mode, QString *reason)
{
    if (trips(Call::Open)) {
        *reason = fault.reason;
        return nullptr;
    }
    std::unique_ptr<FileHandle> file = real.open(path, mode, reason);
    return file ? std::make_unique<DiskFile>(std::move(file), *this) : nullptr;
}
