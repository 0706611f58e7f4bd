#include "archive/RestoreGame.h"

#include "app/Module1.h"
#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"

#include <QCoreApplication>
#include <limits>
#include <optional>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("Archive", source);
}

struct NumberField {
    QString GameRecord::*field;
    RestoredNumber RestoredGame::*target;
    int lowest, highest;
    const char *what;
};

constexpr int Unbounded = std::numeric_limits<int>::max();
constexpr int Lowest = std::numeric_limits<int>::min();

const NumberField Numbers[] = {
    {&GameRecord::WhiteHours, &RestoredGame::whiteHours, 0, Unbounded, "White's hours"},
    {&GameRecord::WhiteMinutes, &RestoredGame::whiteMinutes, 0, 59, "White's minutes"},
    {&GameRecord::WhiteSeconds, &RestoredGame::whiteSeconds, 0, 59, "White's seconds"},
    {&GameRecord::BlackHours, &RestoredGame::blackHours, 0, Unbounded, "Black's hours"},
    {&GameRecord::BlackMinutes, &RestoredGame::blackMinutes, 0, 59, "Black's minutes"},
    {&GameRecord::BlackSeconds, &RestoredGame::blackSeconds, 0, 59, "Black's seconds"},
    {&GameRecord::TotalHours, &RestoredGame::totalHours, 0, Unbounded, "the total hours"},
    {&GameRecord::TotalMinutes, &RestoredGame::totalMinutes, 0, 59, "the total minutes"},
    {&GameRecord::TotalSeconds, &RestoredGame::totalSeconds, 0, 59, "the total seconds"},
    {&GameRecord::Limit, &RestoredGame::limit, Lowest, Unbounded, "the time limit"},
    {&GameRecord::WhiteLeft, &RestoredGame::whiteLeft, Lowest, Unbounded, "White's remaining minutes"},
    {&GameRecord::BlackLeft, &RestoredGame::blackLeft, Lowest, Unbounded, "Black's remaining minutes"},
};

// Empty when every number field holds a usable number; else what is wrong.
QString takeNumbers(const GameRecord &stored, RestoredGame *game)
{
    for (const NumberField &n : Numbers) {
        const QString &field = stored.*n.field;
        const std::optional<int> number = readNumberField(field);
        if (!number || *number < n.lowest || *number > n.highest)
            return text("%1 holds \"%2\", which is not a valid number")
                .arg(text(n.what), QString(field).replace(QChar(0), u' '));
        game->*n.target = {field, *number};
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
    if (!read.ok)
        return refused(file->failure(text("read"), read));
    if (found.value == 0)
        return refused(text("The game \"%1\" is no longer in the archive.").arg(name));

    const GameRecord stored = GameRecord::decode(raw);
    RestoreResult result{true, {}, {}};
    const QString damage = takeNumbers(stored, &result.game);
    if (!damage.isEmpty())
        return refused(text("The game \"%1\" cannot be opened: its record is damaged (%2).").arg(name, damage));
    result.game.record = found.value;
    result.game.whitePlayer = trimBlanks(stored.WhitePlayer).toString();
    result.game.blackPlayer = trimBlanks(stored.BlackPlayer).toString();
    return result;
}
