#pragma once

#include <QString>

struct ArchiveStartup {
    bool ok = true;
    QString message; // for the user when !ok
};

// Start-up's use of the archive: sets Module1.ArchivePath to Varko.dat in the
// program folder, then reads its id counter into Module1.LastId or creates it.
// When the program folder cannot take a new archive, the archive lives in the
// per-user data folder instead. When neither works, ok is false with one
// message naming the paths and reasons; Module1.ArchivePath stays on the
// program folder, so later archive commands report their own failure.
ArchiveStartup openArchiveAtStartup(const QString &programFolder);
