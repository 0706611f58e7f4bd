#pragma once

#include <QString>
#include <optional>

// The archive operations, each on Module1.ArchivePath: it opens the file,
// holds its lock throughout and closes it before returning. A failure comes
// back with a message for the user and leaves the file as it was.

// message: for the user when not empty, even when ok (a notice of opening the
// archive, ArchiveFile::notice()).
struct ArchiveResult {
    bool ok = true;
    QString message;
};

struct FindResult {
    bool ok = true;
    QString message;
    std::optional<qint64> record; // none when no game has the name
};

// True when a plain file exists at sFile; never creates or opens it.
bool bFileEsiste(const QString &sFile);

// Sets Module1.LastId from the id record's counter; when the counter is
// damaged, from the highest number among the games named "Varko" and a number,
// so no numbered name is given twice.
ArchiveResult Legge_Sequenza_daFile();

// Creates the archive with its id record, counter "000". When another copy of
// the program created it meanwhile, that archive is kept and its counter read.
ArchiveResult Crea_Record_suFile();

// The highest-numbered game record of that name (blanks at both ends ignored
// on both sides, exact and case-sensitive); record 1 never matches.
FindResult FindGame(const QString &name);

// Archive path in a folder: the folder, the native separator, "Varko.dat".
QString archivePathIn(const QString &folder);
