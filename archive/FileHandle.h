#pragma once

#include "archive/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

// How a file is opened: reading needs no write permission; creating makes a
// missing file.
enum class OpenMode { ReadOnly, ReadWrite, ReadWriteCreate };

// An open file. The archive reaches the disk only through this interface and
// FileSystem, so tests can put failures (short writes, a full disk, a failing
// fsync) in its way. Destroying the handle closes the file, which also
// releases its lock.
class FileHandle {
public:
    virtual ~FileHandle() = default;

    // Exclusive advisory lock on the whole file, without waiting: true when
    // taken, false when someone else holds it.
    virtual Result<bool> tryLockExclusive() = 0;
    // The file's length in bytes.
    virtual Result<qint64> size() = 0;
    // Reads up to `length` bytes at `offset`: the bytes read (less only at the end).
    virtual Result<qint64> readAt(qint64 offset, char *buffer, qint64 length) = 0;
    // Writes all `length` bytes at `offset` or fails: the bytes written.
    virtual Result<qint64> writeAt(qint64 offset, const char *data, qint64 length) = 0;
    virtual Result<void> truncate(qint64 length) = 0;
    // Flushes what was written down to the disk (fsync).
    virtual Result<void> sync() = 0;

    // The stretches [begin, end) of the first `length` bytes that hold data,
    // in order; what lies between is a hole of a sparse file and reads as zero
    // bytes. A file that cannot tell answers one stretch: all of it.
    struct Stretch {
        qint64 begin, end;
    };
    virtual QList<Stretch> dataStretches(qint64 length) { return {{0, length}}; }

    // Whatever lies in [offset, offset + length), shorter at the end of the file.
    Result<QByteArray> read(qint64 offset, qint64 length);
    // All of `bytes` at `offset`; a write that stops short is a failure too.
    Result<void> write(qint64 offset, QByteArrayView bytes);
};
