#pragma once

// A file system whose calls fail on demand, for the tests of failing saves.
#include "tests/tools/ForwardingFile.h"

#include <QString>
#include <memory>

// Remove and SyncFolder: removing the journal, syncing the folder that holds it.
enum class Call { Open, Read, Write, Sync, Remove, SyncFolder };

struct Fault {
    Call call = Call::Open;
    QString reason;            // what the system says
    qint64 written = 0;        // a failing write: this much reaches the file first
    bool reportsShort = false; // the write stops short and says how much it wrote
    bool dies = false;         // from then on every call fails, putting back included
};

// The real file system with one call failing: the nth of its kind, counted
// over every file opened; `left` counts down to it, 0 when none is to fail.
struct Disk final : ForwardingFileSystem {
    bool trips(Call call)
    {
        const bool fails = dead || (call == fault.call && left > 0 && --left == 0);
        tripped = tripped || fails;
        dead = fails && fault.dies;
        return fails;
    }
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override;
    IoResult remove(const QString &path) override
    {
        return trips(Call::Remove) ? IoResult::failure(fault.reason) : real.remove(path);
    }
    IoResult syncFolderOf(const QString &path) override
    {
        return trips(Call::SyncFolder) ? IoResult::failure(fault.reason) : real.syncFolderOf(path);
    }

    Fault fault;
    int left = 0;
    bool tripped = false, dead = false;
};

class DiskFile final : public ForwardingFile {
public:
    DiskFile(std::unique_ptr<FileHandle> real, Disk &disk) : ForwardingFile(std::move(real)), m_disk(disk) {}

    IoResult readAt(qint64 offset, char *buffer, qint64 length) override
    {
        return m_disk.trips(Call::Read) ? failed() : real().readAt(offset, buffer, length);
    }
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override
    {
        if (!m_disk.trips(Call::Write))
            return real().writeAt(offset, data, length);
        const qint64 part = std::min(length - 1, m_disk.fault.written); // short of the whole, however small
        real().writeAt(offset, data, part);
        return m_disk.fault.reportsShort ? IoResult::success(part) : failed();
    }
    IoResult sync() override { return m_disk.trips(Call::Sync) ? failed() : real().sync(); }

private:
    IoResult failed() const { return IoResult::failure(m_disk.fault.reason); }
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
