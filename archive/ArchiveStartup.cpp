#include "archive/ArchiveStartup.h"

#include "app/Module1.h"
#include "archive/Archive.h"

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

// Empty when there is no per-user data folder.
QString userArchivePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder.isEmpty() ? QString() : archivePathIn(folder);
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

} // namespace

ArchiveStartup openArchiveAtStartup(const QString &programFolder)
{
    const QString primary = archivePathIn(programFolder);
    Module1.ArchivePath = primary;
    const QString unavailable = QCoreApplication::translate(
        "Archive", "The clocks work, but games cannot be saved or opened.");
    if (bFileEsiste(primary)) {
        const ArchiveResult read = Legge_Sequenza_daFile();
        return {read.ok, read.ok ? QString() : read.message + u' ' + unavailable};
    }
    // An earlier start that could not create the archive here put it in the
    // user's folder: its games stay in sight rather than behind a new archive.
    if (const QString user = userArchivePath(); bFileEsiste(user)) {
        Module1.ArchivePath = user;
        const ArchiveResult read = Legge_Sequenza_daFile();
        if (read.ok)
            return {};
        Module1.ArchivePath = primary;
        return {false, read.message + u' ' + unavailable};
    }
    const ArchiveResult created = createArchive();
    if (created.ok)
        return {};
    const ArchiveResult fallback = openInUserFolder();
    if (fallback.ok)
        return {};
    Module1.ArchivePath = primary;
    return {false, created.message + u'\n' + fallback.message + u'\n' + unavailable};
}
