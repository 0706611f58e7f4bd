#pragma once

#include "archive/Result.h"

#include <QString>

// Start-up's use of the archive: sets Module1.ArchivePath to Varko.dat in the
// program folder, then reads its id counter into Module1.LastId or creates it.
// Only when the program folder holds no archive and cannot take a new one
// (read-only, missing) does the archive live in the per-user data folder.
// A Varko.dat there that cannot be a file (a folder, a dangling link, a pipe,
// a device) is named, with the reason, in the message, and the per-user
// archive is used (a success with that notice). When nothing works, one
// failure names the paths and reasons; Module1.ArchivePath stays on the
// program folder, so later archive commands report their own failure.
// An installed program (isInstalledFolder) uses the per-user archive only and
// never creates a file in its own folder, whatever lies there.
Reported<void> openArchiveAtStartup(const QString &programFolder);
