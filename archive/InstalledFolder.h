#pragma once

#include <QString>
#include <functional>

// Whether a program whose folder is `folder` is an installed one, whose folder
// belongs to the system and must never hold its archive: the folder is
// `configuredBinFolder` (where this build installs the program), one of the
// system's program folders (/usr/bin, /usr/games, /usr/local/bin,
// /usr/local/games), or a <prefix>/bin or <prefix>/games whose
// <prefix>/share/varko holds the help file, as an installation lays it out.
// `isFile` tells whether a plain file lies at a path; nothing else is looked at.
bool isInstalledFolder(const QString &folder, const QString &configuredBinFolder,
                       const std::function<bool(const QString &)> &isFile);

// The same for this build's installation folder, looking at the files (FileSystem).
bool isInstalledFolder(const QString &folder);
