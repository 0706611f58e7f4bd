#pragma once

#include "archive/Result.h"

#include <QString>

// The archive operations, each on Module1.ArchivePath: it opens the file,
// holds its lock throughout and closes it before returning. A failure comes
// back with a message for the user and leaves the file as it was; either way
// the notice of opening the archive (ArchiveFile::notice()) comes with it.

// True when a plain file exists at sFile; never creates or opens it.
bool bFileEsiste(const QString &sFile);

// Sets Module1.LastId from the id record's counter; when the counter is
// damaged, from the highest number among the games named "Varko" and a number,
// so no numbered name is given twice.
Reported<void> Legge_Sequenza_daFile();

// Creates the archive with its id record, counter "000". When another copy of
// the program created it meanwhile, that archive is kept and its counter read.
Reported<void> Crea_Record_suFile();

// The highest-numbered game record of that name (blanks at both ends ignored
// on both sides, exact and case-sensitive), 0 when there is none; record 1
// never matches.
Reported<qint64> FindGame(const QString &name);

// Archive path in a folder: the folder, the native separator, "Varko.dat".
QString archivePathIn(const QString &folder);
