#include "archive/ArchiveStartup.h"

#include "app/Module1.h"
#include "archive/Archive.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

ArchiveResult openOrCreateAt(const QString &path)
{
    Module1.ArchivePath = path;
    return bFileEsiste(path) ? Legge_Sequenza_daFile() : Crea_Record_suFile();
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
    const ArchiveResult created = Crea_Record_suFile();
    if (created.ok)
        return {};
    const ArchiveResult fallback = openInUserFolder();
    if (fallback.ok)
        return {};
    Module1.ArchivePath = primary;
    return {false, created.message + u'\n' + fallback.message + u'\n' + unavailable};
}
