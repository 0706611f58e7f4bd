#pragma once

// Helpers shared by the archive tests: a temporary archive and records to fill it.
#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameRecord.h"
#include "archive/SaveGame.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include <sys/file.h>

namespace ArchiveTest {

// A file's bytes; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

// What the window shows before any game was started.
inline GameSnapshot idleSnapshot()
{
    const QString zero = QStringLiteral("00");
    return {"Frame1", "Frame2", zero, zero, zero, zero, zero, zero, zero, zero, zero, 30, zero, zero};
}

// Opens the archive as another running copy of the program does, with its own
// open file description, and takes the lock; closing the file lets it go.
inline bool lockAsOtherCopy(QFile &file)
{
    return file.open(QIODevice::ReadWrite) && ::flock(file.handle(), LOCK_EX | LOCK_NB) == 0;
}

// A fresh folder holding Varko.dat, with Module1 pointed at it and reset.
class Folder {
public:
    Folder()
    {
        // Start-up also looks in the per-user folder; keep that away from the real one.
        QStandardPaths::setTestModeEnabled(true);
        Module1 = Module1Vars{};
        Module1.ArchivePath = path;
        ArchiveFile::setLockWait({});
    }

    bool write(const QByteArray &bytes) const
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    QByteArray bytes() const { return fileBytes(path); }
    QByteArray counter() const { return bytes().mid(GameRecord::LimitOffset, GameRecord::NumberWidth); }
    ArchiveStartup startUp() const { return openArchiveAtStartup(dir.path()); }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Varko.dat"));
};

} // namespace ArchiveTest
