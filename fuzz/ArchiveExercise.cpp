#include "fuzz/ArchiveExercise.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "archive/SaveGame.h"
#include "archive/SavedGamesModel.h"

#include <QFile>
#include <QFont>
#include <QSet>

namespace {

constexpr int Size = GameRecord::Size;
// Names looked up per input: each search reads the whole file.
constexpr int MostNames = 64;

class Expectations {
public:
    void expect(bool held, const QString &what)
    {
        if (!held)
            m_broken.append(what);
    }
    const QStringList &broken() const { return m_broken; }

private:
    QStringList m_broken;
};

QByteArrayView recordAt(QByteArrayView bytes, int n)
{
    return bytes.sliced(qsizetype(n - 1) * Size, Size);
}

QByteArrayView nameBytes(QByteArrayView raw)
{
    return trimBlanks(raw.first(GameRecord::NameWidth));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool store(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.toByteArray()) == bytes.size();
}

// A name as stored: through the code page, cut to the name field, padded.
QByteArray nameField(const QString &name)
{
    return GameRecord::fieldBytes(name, GameRecord::NameWidth);
}

// A name as the archive compares it: as stored, blanks at both ends removed.
QByteArray keyOf(const QString &name)
{
    return trimBlanks(QByteArrayView(nameField(name))).toByteArray();
}

// The record FindGame must give: the highest game record whose name, blanks
// at both ends removed, is `key`.
int highestNamed(QByteArrayView bytes, int count, QByteArrayView key)
{
    for (int n = count; n >= 2; --n) {
        if (nameBytes(recordAt(bytes, n)) == key)
            return n;
    }
    return 0;
}

// The distinct names of the game records, as the list shows them.
QStringList gameNames(QByteArrayView bytes, int count)
{
    QStringList names;
    QSet<QByteArray> seen;
    for (int n = 2; n <= count && names.size() < MostNames; ++n) {
        const QByteArray key = nameBytes(recordAt(bytes, n)).toByteArray();
        if (!seen.contains(key)) {
            seen.insert(key);
            names.append(GameRecord::decode(recordAt(bytes, n)).RecordName);
        }
    }
    return names;
}

void checkStartup(Expectations &e, QByteArrayView bytes, const QString &folder)
{
    Module1 = Module1Vars{};
    const Reported<void> started = openArchiveAtStartup(folder);
    e.expect(bool(started), QStringLiteral("start-up failed: ") + started.message());
    e.expect(Module1.ArchivePath == archivePathIn(folder), QStringLiteral("start-up moved the archive"));
    e.expect(Module1.LastId >= 0 && Module1.LastId <= 999,
             QStringLiteral("id counter out of range: %1").arg(Module1.LastId));
    if (bytes.size() >= Size) {
        const std::optional<int> counter = readNumberField(GameRecord::decode(recordAt(bytes, 1)).Limit);
        if (counter && *counter >= 0 && *counter <= 999)
            e.expect(Module1.LastId == *counter,
                     QStringLiteral("id counter %1 read as %2").arg(*counter).arg(Module1.LastId));
    }
    e.expect(readAll(Module1.ArchivePath) == bytes, QStringLiteral("start-up changed an existing archive"));
}

void checkRecords(Expectations &e, QByteArrayView bytes, int count)
{
    const auto opened = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read);
    e.expect(bool(opened), QStringLiteral("the archive did not open: ") + opened.error());
    if (!opened)
        return;
    ArchiveFile &file = **opened;
    e.expect(file.count() == count, QStringLiteral("count %1, expected %2").arg(file.count()).arg(count));
    for (int n = 1; n <= count; ++n) {
        const QByteArray raw = file.readRecord(n).value_or(QByteArray());
        e.expect(raw == recordAt(bytes, n), QStringLiteral("record %1 read wrong").arg(n));
        e.expect(GameRecord::decode(raw).encode() == raw,
                 QStringLiteral("record %1 does not survive decoding").arg(n));
    }
    e.expect(!file.readRecord(count + 1), QStringLiteral("a record past the end was read"));
}

void checkSearch(Expectations &e, QByteArrayView bytes, int count, const QStringList &names)
{
    for (const QString &name : names) {
        const Reported<qint64> found = FindGame(name);
        const int expected = highestNamed(bytes, count, keyOf(name));
        e.expect(found && *found == expected, QStringLiteral("FindGame(%1) gave %2, expected %3")
                                                  .arg(name)
                                                  .arg(found.value_or(0))
                                                  .arg(expected));
    }
    const Reported<qint64> id = FindGame(QStringLiteral("ID"));
    e.expect(id && *id != 1, QStringLiteral("FindGame matched the id record"));
}

void checkModel(Expectations &e, QByteArrayView bytes, int count)
{
    SavedGamesModel model;
    QString reason;
    e.expect(model.open(Module1.ArchivePath, &reason), QStringLiteral("the list did not open: ") + reason);
    e.expect(model.rowCount() == std::max(count, 1),
             QStringLiteral("list of %1 rows for %2 records").arg(model.rowCount()).arg(count));
    for (int row = 0; row < model.rowCount(); ++row) {
        const QStringList expected =
            row + 2 <= count ? SavedGamesModel::columnTexts(GameRecord::decode(recordAt(bytes, row + 2)))
                             : QStringList(SavedGamesModel::ColumnCount);
        for (int col = 0; col < SavedGamesModel::ColumnCount; ++col)
            e.expect(model.index(row, col).data().toString() == expected[col],
                     QStringLiteral("list cell %1,%2 wrong").arg(row).arg(col));
        e.expect(qvariant_cast<QFont>(model.index(row, 0).data(Qt::FontRole)).bold(),
                 QStringLiteral("name cell not bold"));
    }
}

// Restoring each game: the one the search finds, its fields as stored; or a
// refusal that says why.
void checkRestore(Expectations &e, QByteArrayView bytes, int count, const QStringList &names)
{
    for (const QString &name : names) {
        const Reported<RestoredGame> restored = loadGame(name);
        if (!restored) {
            e.expect(!restored.message().isEmpty(), QStringLiteral("a refused restore said nothing"));
            continue;
        }
        const RestoredGame &g = *restored;
        e.expect(g.record == highestNamed(bytes, count, keyOf(name)),
                 QStringLiteral("restored the wrong record"));
        if (g.record < 2 || g.record > count)
            continue;
        const GameRecord r = GameRecord::decode(recordAt(bytes, g.record));
        e.expect(g.whitePlayer == trimBlanks(r.WhitePlayer) && g.blackPlayer == trimBlanks(r.BlackPlayer),
                 QStringLiteral("restored players differ"));
        e.expect(g.whiteSeconds.text == r.WhiteSeconds && g.blackMinutes.text == r.BlackMinutes &&
                     g.totalHours.text == r.TotalHours && g.limit.text == r.Limit,
                 QStringLiteral("restored texts differ from the record"));
        for (const RestoredNumber *n : {&g.whiteMinutes, &g.whiteSeconds, &g.blackMinutes, &g.blackSeconds,
                                        &g.totalMinutes, &g.totalSeconds})
            e.expect(n->number >= 0 && n->number <= 59,
                     QStringLiteral("restored a clock at %1").arg(n->number));
        for (const RestoredNumber *n : {&g.whiteHours, &g.blackHours, &g.totalHours})
            e.expect(n->number >= 0, QStringLiteral("restored %1 hours").arg(n->number));
    }
}

GameSnapshot someGame()
{
    GameSnapshot s;
    s.whitePlayer = QStringLiteral("Anna");
    s.blackPlayer = QStringLiteral("Bruno");
    s.whiteHours = s.blackHours = s.totalHours = QStringLiteral("00");
    s.whiteMinutes = s.blackMinutes = QStringLiteral("12");
    s.totalMinutes = QStringLiteral("24");
    s.whiteSeconds = s.blackSeconds = s.totalSeconds = QStringLiteral("07");
    s.timeLimit = 30;
    s.whiteLeftCaption = s.blackLeftCaption = QStringLiteral(" 18");
    return s;
}

// Highest N among game records named "Varko" N (N of one to three digits).
int highestNumber(QByteArrayView bytes, int count)
{
    int highest = 0;
    for (int n = 2; n <= count; ++n) {
        const QByteArrayView name = nameBytes(recordAt(bytes, n));
        if (name.size() > 5 && name.size() <= 8 && name.startsWith("Varko")) {
            bool digits = true;
            for (char c : name.sliced(5))
                digits = digits && c >= '0' && c <= '9';
            if (digits)
                highest = std::max(highest, name.sliced(5).toInt());
        }
    }
    return highest;
}

// What was just saved comes back as saved.
void checkRoundTrip(Expectations &e, const GameSnapshot &s)
{
    const Reported<RestoredGame> restored = loadGame(Module1.GameName);
    e.expect(bool(restored), QStringLiteral("a game just saved does not restore: ") + restored.message());
    const RestoredGame g = restored.value_or(RestoredGame{});
    e.expect(g.whitePlayer == s.whitePlayer && g.blackPlayer == s.blackPlayer &&
                 g.limit.number == s.timeLimit && g.whiteMinutes.text == s.whiteMinutes &&
                 g.totalMinutes.number == s.totalMinutes.toInt() &&
                 g.whiteLeft.number == s.whiteLeftCaption.trimmed().toInt(),
             QStringLiteral("a game just saved restores other values"));
}

// A game without a name: numbered past every number in use, appended, and
// nothing else touched but the id record.
void checkNumberedSave(Expectations &e, QByteArrayView bytes, int count)
{
    const int before = std::max<int>(Module1.LastId, highestNumber(bytes, count));
    Module1.GameName.clear();
    const Reported<qint64> saved = saveGame(someGame());
    const QByteArray after = readAll(Module1.ArchivePath);
    if (!saved) {
        e.expect(!saved.message().isEmpty(), QStringLiteral("a failed save said nothing"));
        e.expect(before >= 999, QStringLiteral("numbered save failed: ") + saved.message());
        e.expect(after == bytes, QStringLiteral("a failed save changed the archive"));
        return;
    }
    const int record = std::max(count, 1) + 1;
    e.expect(Module1.NewId > before && Module1.NewId <= 999 && Module1.LastId == Module1.NewId,
             QStringLiteral("numbered save gave %1 after %2").arg(Module1.NewId).arg(before));
    e.expect(Module1.GameName == QStringLiteral("Varko%1").arg(Module1.NewId),
             QStringLiteral("numbered name wrong"));
    e.expect(
        *saved == record && after.size() == qsizetype(record) * Size,
        QStringLiteral("numbered game went to record %1, archive of %2 bytes").arg(*saved).arg(after.size()));
    if (after.size() != qsizetype(record) * Size)
        return;
    e.expect(recordAt(after, 1) == GameRecord::idRecord(Module1.NewId),
             QStringLiteral("id record not rewritten"));
    e.expect(after.sliced(Size, (record - 2) * Size) ==
                 bytes.sliced(std::min<qsizetype>(Size, bytes.size()), (record - 2) * Size),
             QStringLiteral("a numbered save changed other games"));
    e.expect(nameBytes(recordAt(after, record)) == Module1.GameName.toLatin1(),
             QStringLiteral("numbered game stored wrong"));
    checkRoundTrip(e, someGame());
}

// A game saved under an existing name replaces the highest record of that
// name and nothing else.
void checkNamedSave(Expectations &e, const QStringList &names)
{
    const QByteArray before = readAll(Module1.ArchivePath);
    const int count = int(before.size() / Size);
    for (const QString &name : names) {
        const QByteArray key = keyOf(name);
        if (key.isEmpty())
            continue; // a name of blanks is no name: it gets a number
        const int target = highestNamed(before, count, key);
        Module1.GameName = name;
        const Reported<qint64> saved = saveGame(someGame());
        const QByteArray after = readAll(Module1.ArchivePath);
        e.expect(saved && *saved == target, QStringLiteral("named save went to %1, expected %2: %3")
                                                .arg(saved.value_or(0))
                                                .arg(target)
                                                .arg(saved.message()));
        e.expect(after.size() == before.size(),
                 QStringLiteral("a replacing save changed the archive's length"));
        if (after.size() != before.size() || target == 0)
            return;
        QByteArray expected = before;
        expected.replace(qsizetype(target - 1) * Size, Size, recordAt(after, target).toByteArray());
        e.expect(after == expected, QStringLiteral("a replacing save changed other records"));
        e.expect(recordAt(after, target).first(GameRecord::NameWidth) == nameField(name),
                 QStringLiteral("a replacing save stored another name"));
        checkRoundTrip(e, someGame());
        return; // one replacement says it; more would only cost time
    }
}

} // namespace

QStringList exerciseArchive(QByteArrayView bytes, const QString &folder)
{
    // One process, one operation at a time: the lock is never found taken, and
    // if it were, that is a fault to see at once rather than after a wait.
    Outside<ArchiveFile::LockWait>::emplace(ArchiveFile::LockWait{1, {}});
    Expectations e;
    const QString path = archivePathIn(folder);
    if (!store(path, bytes))
        return {QStringLiteral("cannot write %1").arg(path)};
    const int count = int(bytes.size() / Size);

    checkStartup(e, bytes, folder);
    checkRecords(e, bytes, count); // and closes the archive: it is locked while open
    const QStringList names = gameNames(bytes, count);
    checkSearch(e, bytes, count, names);
    checkModel(e, bytes, count);
    checkRestore(e, bytes, count, names);
    checkNumberedSave(e, bytes, count);
    checkNamedSave(e, names);
    return e.broken();
}
