#include "archive/RestoreGame.h"

#include "app/Module1.h"
#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"

#include <QCoreApplication>
#include <optional>
#include <utility>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("Archive", source);
}

// Where each number field of the record goes.
const std::pair<QString GameRecord::*, RestoredNumber RestoredGame::*> Targets[] = {
    {&GameRecord::WhiteHours, &RestoredGame::whiteHours},
    {&GameRecord::WhiteMinutes, &RestoredGame::whiteMinutes},
    {&GameRecord::WhiteSeconds, &RestoredGame::whiteSeconds},
    {&GameRecord::BlackHours, &RestoredGame::blackHours},
    {&GameRecord::BlackMinutes, &RestoredGame::blackMinutes},
    {&GameRecord::BlackSeconds, &RestoredGame::blackSeconds},
    {&GameRecord::TotalHours, &RestoredGame::totalHours},
    {&GameRecord::TotalMinutes, &RestoredGame::totalMinutes},
    {&GameRecord::TotalSeconds, &RestoredGame::totalSeconds},
    {&GameRecord::Limit, &RestoredGame::limit},
    {&GameRecord::WhiteLeft, &RestoredGame::whiteLeft},
    {&GameRecord::BlackLeft, &RestoredGame::blackLeft},
};

bool inRange(GameRecord::Kind kind, int number)
{
    switch (kind) {
    case GameRecord::Kind::Hours: return number >= 0;
    case GameRecord::Kind::MinutesOrSeconds: return number >= 0 && number <= 59;
    default: return true;
    }
}

// Fails, saying what is wrong, unless every number field holds a usable number.
Result<void> takeNumbers(const GameRecord &stored, RestoredGame *game)
{
    for (const auto &[member, target] : Targets) {
        const GameRecord::Field &f = GameRecord::field(member);
        const QString &field = stored[f];
        const std::optional<int> number = readNumberField(field);
        if (!number || !inRange(f.kind, *number))
            return Failure{text("%1 holds \"%2\", which is not a valid number")
                               .arg(text(f.what), QString(field).replace(QChar(0), u' '))};
        game->*target = {field, *number};
    }
    return {};
}

} // namespace

Reported<RestoredGame> loadGame(const QString &selectedGame)
{
    const QString name = trimBlanks(selectedGame).toString();
    const auto opened = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read);
    if (!opened)
        return Failure{opened.error()};
    ArchiveFile &file = **opened;
    // A journal set aside on opening is told whatever happens next.
    const auto refuse = [&file](const QString &why) -> Reported<RestoredGame> {
        return {Failure{why}, file.notice()};
    };
    const Result<qint64> found = file.findGame(name);
    if (!found)
        return refuse(file.failure(text("read"), found.error()));
    if (*found == 0)
        return refuse(text("The game \"%1\" is no longer in the archive.").arg(name));
    const Result<QByteArray> raw = file.readRecord(*found);
    if (!raw)
        return refuse(file.failure(text("read"), raw.error()));

    const GameRecord stored = GameRecord::decode(*raw);
    RestoredGame game;
    if (const Result<void> numbers = takeNumbers(stored, &game); !numbers)
        return refuse(
            text("The game \"%1\" cannot be opened: its record is damaged (%2).").arg(name, numbers.error()));
    game.record = *found;
    game.whitePlayer = trimBlanks(stored.WhitePlayer).toString();
    game.blackPlayer = trimBlanks(stored.BlackPlayer).toString();
    return {game, file.notice()};
}
