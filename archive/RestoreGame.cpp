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

// Empty when every number field holds a usable number; else what is wrong.
QString takeNumbers(const GameRecord &stored, RestoredGame *game)
{
    for (const auto &[member, target] : Targets) {
        const GameRecord::Field &f = GameRecord::field(member);
        const QString &field = stored[f];
        const std::optional<int> number = readNumberField(field);
        if (!number || !inRange(f.kind, *number))
            return text("%1 holds \"%2\", which is not a valid number")
                .arg(text(f.what), QString(field).replace(QChar(0), u' '));
        game->*target = {field, *number};
    }
    return {};
}

RestoreResult refused(const QString &message)
{
    return {false, message, {}};
}

} // namespace

RestoreResult loadGame(const QString &selectedGame)
{
    const QString name = trimBlanks(selectedGame).toString();
    QString message;
    const auto file = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read, &message);
    if (!file)
        return refused(message);
    const IoResult found = file->findGame(name);
    QByteArray raw;
    const IoResult read = found.ok && found.value > 0 ? file->readRecord(found.value, &raw) : found;
    // A journal set aside on opening is told whatever happens next.
    const auto refuse = [&file](const QString &why) { return refused(file->withNotice(why)); };
    if (!read.ok)
        return refuse(file->failure(text("read"), read));
    if (found.value == 0)
        return refuse(text("The game \"%1\" is no longer in the archive.").arg(name));

    const GameRecord stored = GameRecord::decode(raw);
    RestoreResult result{true, file->notice(), {}};
    const QString damage = takeNumbers(stored, &result.game);
    if (!damage.isEmpty())
        return refuse(
            text("The game \"%1\" cannot be opened: its record is damaged (%2).").arg(name, damage));
    result.game.record = found.value;
    result.game.whitePlayer = trimBlanks(stored.WhitePlayer).toString();
    result.game.blackPlayer = trimBlanks(stored.BlackPlayer).toString();
    return result;
}
