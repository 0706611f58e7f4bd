#pragma once

// Helpers shared by the archive tests: a temporary archive and records to fill it.
#include "app/Module1.h"
#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"
#include "archive/SaveGame.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace ArchiveTest {

inline QByteArray namedRecord(const QString &name)
{
    GameRecord r;
    r.RecordName = name;
    r.WhitePlayer = name + QStringLiteral(" player");
    return r.encode();
}

// The game Alpha: White 00:12:07, Black 00:09:41, total 00:21:48, limit 30,
// 18 and 21 minutes left.
inline GameRecord alpha()
{
    GameRecord r;
    r.RecordName = "Alpha";
    r.WhitePlayer = "  Anna Rossi";
    r.BlackPlayer = "Bruno";
    r.WhiteHours = "00";
    r.WhiteMinutes = "12";
    r.WhiteSeconds = "07";
    r.BlackHours = "00";
    r.BlackMinutes = "09";
    r.BlackSeconds = "41";
    r.TotalHours = "00";
    r.TotalMinutes = "21";
    r.TotalSeconds = "48";
    r.Limit = "30";
    r.WhiteLeft = "18";
    r.BlackLeft = "21";
    return r;
}

// An archive: its id record with `counter` in the counter field, then one
// record per name.
inline QByteArray archiveOf(const QStringList &names, const QByteArray &counter = "0  ")
{
    QByteArray bytes = GameRecord::idRecord(0);
    bytes.replace(GameRecord::LimitOffset, GameRecord::NumberWidth, counter);
    for (const QString &name : names)
        bytes += namedRecord(name);
    return bytes;
}

// What the window shows before any game was started.
inline GameSnapshot idleSnapshot()
{
    const QString zero = QStringLiteral("00");
    return {"Frame1", "Frame2", zero, zero, zero, zero, zero, zero, zero, zero, zero, 30, zero, zero};
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
    ~Folder() { ArchiveFile::setLockWait({}); }

    bool write(const QByteArray &bytes) const
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    QByteArray bytes() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray record(int n) const { return bytes().mid(qsizetype(n - 1) * GameRecord::Size, GameRecord::Size); }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Varko.dat"));
};

} // namespace ArchiveTest
