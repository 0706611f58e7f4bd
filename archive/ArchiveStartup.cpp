#include "archive/ArchiveStartup.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/InstalledFolder.h"
#include "archive/PosixFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Creates the archive at Module1.ArchivePath. A creation that failed half way
// leaves an empty file, which the next start would take for the archive; it
// is removed, so the failed attempt leaves nothing behind.
ArchiveResult createArchive()
{
    const ArchiveResult created = Crea_Record_suFile();
    const QFileInfo file(QDir::fromNativeSeparators(Module1.ArchivePath));
    if (!created.ok && file.isFile() && file.size() == 0)
        QFile::remove(file.filePath());
    return created;
}

ArchiveResult openOrCreateAt(const QString &path)
{
    Module1.ArchivePath = path;
    return bFileEsiste(path) ? Legge_Sequenza_daFile() : createArchive();
}

ArchiveResult openInUserFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        return {false, QCoreApplication::translate("Archive", "There is no per-user data folder.")};
    if (!QDir().mkpath(folder))
        return {false, QCoreApplication::translate("Archive", "The folder %1 cannot be created.")
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
    if (!bFileEsiste(stray) || !QFileInfo(QDir::fromNativeSeparators(programFolder)).isWritable())
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
ArchiveStartup openForInstalledProgram(const QString &programFolder)
{
    Module1.ArchivePath.clear();
    const ArchiveResult opened = openInUserFolder();
    if (!opened.ok)
        return {false, opened.message + u'\n' + unavailable()};
    return {true, strayArchiveNote(programFolder)};
}

} // namespace

ArchiveStartup openArchiveAtStartup(const QString &programFolder)
{
    if (isInstalledFolder(programFolder))
        return openForInstalledProgram(programFolder);
    const QString primary = archivePathIn(programFolder);
    Module1.ArchivePath = primary;
    const QString notAFile = PosixFile::whyNotAFile(primary);
    if (notAFile.isEmpty() && bFileEsiste(primary)) {
        const ArchiveResult read = Legge_Sequenza_daFile();
        return {read.ok, read.ok ? read.message : read.message + u' ' + unavailable()};
    }
    // The program's folder keeps the archive whenever it can take one; the
    // per-user folder is only for a folder that cannot.
    ArchiveResult here{
        false,
        QCoreApplication::translate("Archive", "%1 cannot hold the saved games: %2.").arg(primary, notAFile)};
    if (notAFile.isEmpty()) {
        here = createArchive();
        if (here.ok)
            return {true, here.message};
    }
    const ArchiveResult fallback = openInUserFolder();
    if (fallback.ok && notAFile.isEmpty())
        return {true, fallback.message};
    if (fallback.ok) {
        QString told = here.message + u' ' +
                       QCoreApplication::translate("Archive", "The games are kept in %1 instead.")
                           .arg(Module1.ArchivePath);
        if (!fallback.message.isEmpty())
            told += u' ' + fallback.message;
        return {true, told};
    }
    Module1.ArchivePath = primary;
    return {false, here.message + u'\n' + fallback.message + u'\n' + unavailable()};
}
