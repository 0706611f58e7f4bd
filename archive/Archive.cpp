#include "archive/Archive.h"

#include "app/Module1.h"
#include "archive/ArchiveEdit.h"
#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString readingFailure(const ArchiveFile &file, const IoResult &result)
{
    return file.failure(QCoreApplication::translate("Archive", "read"), result);
}

} // namespace

bool bFileEsiste(const QString &sFile)
{
    return !sFile.isEmpty() && QFileInfo(QDir::fromNativeSeparators(sFile)).isFile();
}

QString archivePathIn(const QString &folder)
{
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.endsWith(u'/'))
        path += u'/';
    return QDir::toNativeSeparators(path + QStringLiteral("Varko.dat"));
}

ArchiveResult Legge_Sequenza_daFile()
{
    QString message;
    const auto file = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read, &message);
    if (!file)
        return {false, message};
    const IoResult counter = file->idCounter();
    if (!counter.ok)
        return {false, file->withNotice(readingFailure(*file, counter))};
    Module1.LastId = static_cast<qint16>(counter.value);
    return {true, file->notice()};
}

ArchiveResult Crea_Record_suFile()
{
    QString message;
    const auto file = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::WriteCreate, &message);
    if (!file)
        return {false, message};
    if (file->count() > 0) {
        const IoResult counter = file->idCounter();
        if (!counter.ok)
            return {false, file->withNotice(readingFailure(*file, counter))};
        Module1.LastId = static_cast<qint16>(counter.value);
        return {true, file->notice()};
    }
    ArchiveEdit edit(*file);
    edit.writeRecord(1, GameRecord::idRecord(0));
    const ArchiveEdit::Outcome outcome = edit.commit();
    if (outcome.written.ok)
        return {true, file->notice()};
    return {false, file->withNotice(
                       file->failure(QCoreApplication::translate("Archive", "written"), outcome.written))};
}

FindResult FindGame(const QString &name)
{
    QString message;
    const auto file = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read, &message);
    if (!file)
        return {false, message, std::nullopt};
    const IoResult found = file->findGame(name);
    if (!found.ok)
        return {false, file->withNotice(readingFailure(*file, found)), std::nullopt};
    return {true, file->notice(), found.value == 0 ? std::nullopt : std::optional(found.value)};
}
