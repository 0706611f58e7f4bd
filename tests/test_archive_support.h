#pragma once

// Helpers shared by the archive tests: a temporary archive and records to fill it.
#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace ArchiveTest {

// A file's bytes; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The id record with `counter` in its counter field, then one record per name.
inline QByteArray archiveOf(const QStringList &names, const QByteArray &counter = "0  ")
{
    QByteArray bytes = GameRecord::idRecord(0).replace(GameRecord::LimitOffset, counter.size(), counter);
    GameRecord game;
    for (const QString &name : names) {
        game.RecordName = name;
        bytes += game.encode();
    }
    return bytes;
}

// An archive of `records` records that is a hole of a sparse file (no disk
// used) between `head`, from the first byte, and `last`, the last record.
inline bool writeSparse(const QString &path, const QByteArray &head, qint64 records, const QByteArray &last)
{
    QFile f(path);
    const qint64 lastAt = (records - 1) * GameRecord::Size;
    return f.open(QIODevice::WriteOnly) && f.write(head) == head.size() && f.resize(lastAt) &&
           f.seek(lastAt) && f.write(last) == last.size();
}

} // namespace ArchiveTest
