#include "archive/Archive.h"

#include "app/Module1.h"
#include "archive/ArchiveEdit.h"
#include "archive/ArchiveFile.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString readingFailure(const ArchiveFile &file, const QString &reason)
{
    return file.failure(QCoreApplication::translate("Archive", "read"), reason);
}

// Module1.LastId from the open archive's id counter.
Reported<void> readIdCounter(ArchiveFile &file)
{
    const Result<int> counter = file.idCounter();
    if (!counter)
        return {Failure{readingFailure(file, counter.error())}, file.notice()};
    Module1.LastId = static_cast<qint16>(*counter);
    return {{}, file.notice()};
}

} // namespace

bool bFileEsiste(const QString &sFile)
{
    FileSystem &fs = FileSystem::current();
    return !sFile.isEmpty() && fs.exists(sFile) && fs.whyNotAFile(sFile).isEmpty();
}

QString archivePathIn(const QString &folder)
{
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.endsWith(u'/'))
        path += u'/';
    return QDir::toNativeSeparators(path + QStringLiteral("Varko.dat"));
}

Reported<void> Legge_Sequenza_daFile()
{
    const auto opened = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read);
    if (!opened)
        return Failure{opened.error()};
    return readIdCounter(**opened);
}

Reported<void> Crea_Record_suFile()
{
    const auto opened = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::WriteCreate);
    if (!opened)
        return Failure{opened.error()};
    ArchiveFile &file = **opened;
    if (file.count() > 0)
        return readIdCounter(file);
    ArchiveEdit edit(file);
    edit.writeRecord(1, GameRecord::idRecord(0));
    const ArchiveEdit::Outcome outcome = edit.commit();
    if (!outcome.written)
        return {
            Failure{file.failure(QCoreApplication::translate("Archive", "written"), outcome.written.error())},
            file.notice()};
    return {{}, file.notice()};
}

Reported<qint64> FindGame(const QString &name)
{
    const auto opened = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read);
    if (!opened)
        return Failure{opened.error()};
    ArchiveFile &file = **opened;
    const Result<qint64> found = file.findGame(name);
    if (!found)
        return {Failure{readingFailure(file, found.error())}, file.notice()};
    return {found, file.notice()};
}
