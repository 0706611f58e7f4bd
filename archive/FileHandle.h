#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// Outcome of one file operation: `value` carries the operation's number (bytes
// moved, file length), `reason` the system's words when it failed.
struct IoResult {
    bool ok = true;
    qint64 value = 0;
    QString reason;

    static IoResult success(qint64 value = 0) { return {true, value, {}}; }
    static IoResult failure(const QString &reason) { return {false, 0, reason}; }
};

// An open file. The archive reaches the disk only through this interface, so
// tests can put failures (short writes, a full disk, a failing fsync) in its way.
// Destroying the handle closes the file, which also releases its lock.
class FileHandle {
public:
    virtual ~FileHandle() = default;

    // Exclusive advisory lock on the whole file, without waiting: value 1 when
    // taken, 0 when someone else holds it.
    virtual IoResult tryLockExclusive() = 0;
    // value: the file's length in bytes.
    virtual IoResult size() = 0;
    // Reads up to `length` bytes at `offset`; value: bytes read (less only at the end).
    virtual IoResult readAt(qint64 offset, char *buffer, qint64 length) = 0;
    // Writes all `length` bytes at `offset` or fails; value: bytes written.
    virtual IoResult writeAt(qint64 offset, const char *data, qint64 length) = 0;
    virtual IoResult truncate(qint64 length) = 0;
    // Flushes what was written down to the disk (fsync).
    virtual IoResult sync() = 0;

    // The stretches [begin, end) of the first `length` bytes that hold data,
    // in order; what lies between is a hole of a sparse file and reads as zero
    // bytes. A file that cannot tell answers one stretch: all of it.
    struct Stretch {
        qint64 begin, end;
    };
    virtual QList<Stretch> dataStretches(qint64 length) { return {{0, length}}; }
};
