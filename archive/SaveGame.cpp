#include "archive/SaveGame.h"

#include "app/Module1.h"
#include "archive/ArchiveEdit.h"
#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>

namespace {

constexpr int HighestId = 999;

QString text(const char *source)
{
    return QCoreApplication::translate("Archive", source);
}

} // namespace

GameRecord savedRecord(const GameSnapshot &s, const QString &name)
{
    GameRecord r;
    r.RecordName = name;
    r.WhitePlayer = s.whitePlayer;
    r.BlackPlayer = s.blackPlayer;
    r.WhiteHours = s.whiteHours;
    r.WhiteMinutes = s.whiteMinutes;
    r.WhiteSeconds = s.whiteSeconds;
    r.BlackHours = s.blackHours;
    r.BlackMinutes = s.blackMinutes;
    r.BlackSeconds = s.blackSeconds;
    r.TotalHours = s.totalHours;
    r.TotalMinutes = s.totalMinutes;
    r.TotalSeconds = s.totalSeconds;
    r.Limit = numberField(s.timeLimit);
    r.WhiteLeft = trimBlanks(s.whiteLeftCaption).toString();
    r.BlackLeft = trimBlanks(s.blackLeftCaption).toString();
    return r;
}

namespace {

// Numbers that would lose digits in their narrow fields would come back as
// other numbers; such a game is refused instead of stored wrong.
Result<void> fitsItsFields(const GameRecord &r)
{
    for (const GameRecord::Field &f : GameRecord::Fields) {
        const QStringView value = trimBlanks(r[f]);
        if (f.kind != GameRecord::Kind::Text && value.size() > f.width)
            return Failure{text("The game cannot be saved: %1 (%2) has more than the %3 characters the "
                                "archive keeps for it.")
                               .arg(text(f.what), value.toString())
                               .arg(f.width)};
    }
    return {};
}

bool needsNumberedName(const QString &name)
{
    return trimBlanks(storedText(name, GameRecord::NameWidth)).isEmpty();
}

// Record 1 is the id record, so a game never lands there.
qint64 appendedRecord(const ArchiveFile &file)
{
    return std::max<qint64>(file.count() + 1, 2);
}

struct Target {
    QString name;
    qint64 record = 0;
    int newId = 0; // 0 unless a numbered name is given
};

// Read under the lock: another running copy may have saved a numbered game
// since this one read the counter at start-up.
Result<Target> numberedTarget(ArchiveFile &file)
{
    const Result<int> counter = file.idCounter();
    const Result<int> highest = counter ? file.highestNumberedName() : counter;
    if (!highest)
        return Failure{file.failure(text("read"), highest.error())};
    const int newId = std::max<int>({Module1.LastId, *counter, *highest}) + 1;
    if (newId > HighestId)
        return Failure{text("The game cannot be saved: all %1 numbered names are taken. Give the game a "
                            "name in the game settings, then save it again.")
                           .arg(HighestId)};
    return Target{QStringLiteral("Varko%1").arg(newId), appendedRecord(file), newId};
}

Result<Target> findTarget(ArchiveFile &file)
{
    if (needsNumberedName(Module1.GameName))
        return numberedTarget(file);
    const Result<qint64> found = file.findGame(Module1.GameName);
    if (!found)
        return Failure{file.failure(text("read"), found.error())};
    return Target{Module1.GameName, *found > 0 ? *found : appendedRecord(file), 0};
}

// The records the save writes, as one change: the game, and for a numbered
// name the id record with the new counter. An archive without records
// (emptied, or its creation never finished) first gets its id record back.
void planSave(const ArchiveFile &file, ArchiveEdit &edit, const Target &target, const QByteArray &game)
{
    if (file.count() == 0) {
        const int counter = target.newId > 0 ? target.newId : std::clamp<int>(Module1.LastId, 0, HighestId);
        edit.writeRecord(1, GameRecord::idRecord(counter));
        edit.writeRecord(target.record, game);
        return;
    }
    edit.writeRecord(target.record, game);
    if (target.newId > 0)
        edit.writeRecord(1, GameRecord::idRecord(target.newId));
}

// Says what happened to a failed save.
QString failedSave(const ArchiveFile &file, const ArchiveEdit::Outcome &outcome)
{
    const QString path = QDir::toNativeSeparators(file.path());
    // A journal's reason names the journal; the archive itself is not at fault.
    QString message =
        outcome.journalFails
            ? text("The game could not be saved: %1.").arg(outcome.written.error())
            : text("The game could not be saved in the archive %1: %2.").arg(path, outcome.written.error());
    message += u' ';
    message += outcome.undone ? (outcome.journalFails ? text("The archive %1 was left as it was.").arg(path)
                                                      : text("The archive was left as it was."))
                              : text("The archive could not be put back as it was: %1. It will be put back "
                                     "the next time it is opened.")
                                    .arg(outcome.undone.error());
    return message;
}

} // namespace

Reported<qint64> saveGame(const GameSnapshot &s)
{
    GameRecord record = savedRecord(s, QString());
    if (const Result<void> fits = fitsItsFields(record); !fits)
        return Failure{fits.error()};
    const auto opened = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::WriteCreate);
    if (!opened)
        return Failure{opened.error()};
    ArchiveFile &file = **opened;
    const Result<Target> target = findTarget(file);
    if (!target)
        return {Failure{target.error()}, file.notice()};
    record.RecordName = target->name;

    ArchiveEdit edit(file);
    planSave(file, edit, *target, record.encode());
    const ArchiveEdit::Outcome outcome = edit.commit();
    if (!outcome.written)
        return {Failure{failedSave(file, outcome)}, file.notice()};
    Module1.GameName = target->name;
    if (target->newId > 0) {
        Module1.NewId = target->newId;
        Module1.LastId = static_cast<qint16>(target->newId);
    }
    return {target->record, file.notice()};
}
