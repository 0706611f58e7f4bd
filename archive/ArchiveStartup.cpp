#include "archive/ArchiveStartup.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/FileSystem.h"
#include "archive/InstalledFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

// Creates the archive at Module1.ArchivePath. A creation that failed half way
// leaves an empty file, which the next start would take for the archive; it
// is removed, so the failed attempt leaves nothing behind.
Reported<void> createArchive()
{
    Reported<void> created = Crea_Record_suFile();
    // Should even that fail, the empty file reads as an archive without
    // records, which the next save gives its id record.
    if (!created)
        static_cast<void>(FileSystem::current().removeIfEmpty(Module1.ArchivePath));
    return created;
}

Reported<void> openOrCreateAt(const QString &path)
{
    Module1.ArchivePath = path;
    return bFileEsiste(path) ? Legge_Sequenza_daFile() : createArchive();
}

Reported<void> openInUserFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        return Failure{QCoreApplication::translate("Archive", "There is no per-user data folder.")};
    if (!FileSystem::current().makeFolder(folder))
        return Failure{QCoreApplication::translate("Archive", "The folder %1 cannot be created.")
                           .arg(QDir::toNativeSeparators(folder))};
    return openOrCreateAt(archivePathIn(folder));
}

QString unavailable()
{
    return QCoreApplication::translate("Archive", "The clocks work, but games cannot be saved or opened.");
}

// A Varko.dat beside an installed program was left there by an older version
// run by someone who could write into the folder. Only such a user can move
// it, so only such a user is told; to everyone else it is none of theirs.
QString strayArchiveNote(const QString &programFolder)
{
    const QString stray = archivePathIn(programFolder);
    if (!bFileEsiste(stray) || !FileSystem::current().isWritableFolder(programFolder))
        return {};
    return QCoreApplication::translate("Archive",
                                       "The archive %1 beside the installed program is not used: the games "
                                       "are kept in %2. To carry on with the games of %1 instead, move it "
                                       "there while the program is closed.")
        .arg(stray, Module1.ArchivePath);
}

// The folder of an installed program belongs to the system: an archive that
// one user (root above all) created there would refuse every other user's
// saves and outlive the package. Its archive is the per-user one, or none.
Reported<void> openForInstalledProgram(const QString &programFolder)
{
    Module1.ArchivePath.clear();
    const Reported<void> opened = openInUserFolder();
    if (!opened)
        return Failure{opened.message() + u'\n' + unavailable()};
    return {{}, strayArchiveNote(programFolder)};
}

} // namespace

Reported<void> openArchiveAtStartup(const QString &programFolder)
{
    if (isInstalledFolder(programFolder))
        return openForInstalledProgram(programFolder);
    const QString primary = archivePathIn(programFolder);
    Module1.ArchivePath = primary;
    const QString notAFile = FileSystem::current().whyNotAFile(primary);
    if (notAFile.isEmpty() && bFileEsiste(primary)) {
        const Reported<void> read = Legge_Sequenza_daFile();
        if (read)
            return read;
        return {Failure{read.error() + u' ' + unavailable()}, read.notice()};
    }
    // The program's folder keeps the archive whenever it can take one; the
    // per-user folder is only for a folder that cannot.
    Reported<void> here = Failure{
        QCoreApplication::translate("Archive", "%1 cannot hold the saved games: %2.").arg(primary, notAFile)};
    if (notAFile.isEmpty()) {
        here = createArchive();
        if (here)
            return here;
    }
    const Reported<void> fallback = openInUserFolder();
    if (fallback && notAFile.isEmpty())
        return fallback;
    if (fallback) {
        QString told = here.message() + u' ' +
                       QCoreApplication::translate("Archive", "The games are kept in %1 instead.")
                           .arg(Module1.ArchivePath);
        if (!fallback.notice().isEmpty())
            told += u' ' + fallback.notice();
        return {{}, told};
    }
    Module1.ArchivePath = primary;
    return Failure{here.message() + u'\n' + fallback.message() + u'\n' + unavailable()};
}
