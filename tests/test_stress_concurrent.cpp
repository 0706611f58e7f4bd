// Two running copies of the program saving into one archive at the same
// time, while a third lists the saved games: no game lost, no record torn, no
// numbered name given twice.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "tests/tools/StressPlan.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

namespace {

constexpr int Steps = 1000;
constexpr int FirstOfB = 500000;
// Microseconds each copy waits between two saves, as a user does: a copy that
// saves without a break holds the lock nearly all the time, and the other
// gets in only when the first has finished.
constexpr int Pause = 1000;

QStringList cellsOf(const GameRecord &r)
{
    return {r.RecordName,
            r.WhitePlayer,
            r.BlackPlayer,
            r.Limit,
            r.WhiteHours + u':' + r.WhiteMinutes + u':' + r.WhiteSeconds,
            r.BlackHours + u':' + r.BlackMinutes + u':' + r.BlackSeconds,
            r.TotalHours + u':' + r.TotalMinutes + u':' + r.TotalSeconds};
}

// A row the browser read while the savers wrote: the empty row, or one whole
// game of one step, never parts of two.
bool isWholeGame(const QStringList &cells)
{
    if (cells.join(QString()).isEmpty())
        return true;
    bool ok = false;
    const int step = cells.at(1).trimmed().section(u' ', 1).toInt(&ok);
    if (!ok)
        return false;
    const QString name = cells.at(0).trimmed();
    return cellsOf(GameRecord::decode(StressPlan::recordOf(step, name))) == cells;
}

// How often the file switches between the two copies' games from one record
// to the next: whether they really saved at the same time.
int switches(const QByteArray &bytes)
{
    int count = 0;
    bool previousOfB = false;
    for (qsizetype at = 2 * GameRecord::Size; at + GameRecord::Size <= bytes.size(); at += GameRecord::Size) {
        const int step = GameRecord::decode(bytes.sliced(at, GameRecord::Size)).WhitePlayer.trimmed().section(u' ', 1).toInt();
        const bool ofB = step >= FirstOfB;
        count += at > 2 * GameRecord::Size && ofB != previousOfB ? 1 : 0;
        previousOfB = ofB;
    }
    return count;
}

// Lists every row once; the rows that were not whole games.
int tornRows(const QString &path, int *rows)
{
    GameListModel model;
    QString reason;
    if (!model.open(path, &reason))
        return -1;
    int torn = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < GameListModel::ColumnCount; ++col)
            cells.append(model.data(model.index(row, col)).toString());
        torn += isWholeGame(cells) ? 0 : 1;
    }
    *rows += model.rowCount();
    return torn;
}

void startSaver(QProcess &saver, const QString &folder, const QString &prefix, int first)
{
    saver.start(QStringLiteral(VARKO_STRESS_SAVER),
                {folder, prefix, QString::number(first), QString::number(Steps), QString::number(Pause)});
}

} // namespace

class StressConcurrent : public QObject {
    Q_OBJECT
private slots:
    void twoCopiesSaveIntoOneArchive();
};

void StressConcurrent::twoCopiesSaveIntoOneArchive()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = archivePathIn(dir.path());
    // Both start on a folder without an archive: both try to create it.
    QProcess a, b;
    startSaver(a, dir.path(), QStringLiteral("A"), 0);
    startSaver(b, dir.path(), QStringLiteral("B"), FirstOfB);
    QVERIFY(a.waitForStarted(10000) && b.waitForStarted(10000));
    // Let both go at once, however long each took to start.
    a.write("go\n");
    b.write("go\n");
    QVERIFY(a.waitForBytesWritten(5000) && b.waitForBytesWritten(5000));

    int listings = 0, rows = 0, torn = 0;
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        a.waitForFinished(5);
        b.waitForFinished(5);
        if (QFile::exists(path)) {
            const int found = tornRows(path, &rows);
            QVERIFY2(found >= 0, "the browser could not open the archive while it was being saved into");
            torn += found;
            ++listings;
        }
    }
    QVERIFY2(a.exitStatus() == QProcess::NormalExit && a.exitCode() == 0, a.readAllStandardError().constData());
    QVERIFY2(b.exitStatus() == QProcess::NormalExit && b.exitCode() == 0, b.readAllStandardError().constData());
    QCOMPARE(torn, 0);

    const StressPlan::Report fromA = StressPlan::parse(a.readAllStandardOutput());
    const StressPlan::Report fromB = StressPlan::parse(b.readAllStandardOutput());
    QVERIFY2(fromA.failures.isEmpty() && fromB.failures.isEmpty(),
             qPrintable((fromA.failures + fromB.failures).join(u'\n')));
    QCOMPARE(fromA.done.size(), Steps);
    QCOMPARE(fromB.done.size(), Steps);

    StressPlan::Ledger ledger;
    ledger.apply(fromA);
    ledger.apply(fromB);
    const QByteArray bytes = StressPlan::fileBytes(path);
    QVERIFY2(bytes.size() % GameRecord::Size == 0, "a record was left torn");
    const QStringList problems = ledger.check(bytes, std::nullopt);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    QCOMPARE(bytes.size() / GameRecord::Size, ledger.records().size() + 1);
    const int interleaved = switches(bytes);
    QVERIFY2(interleaved >= 10, "the two copies did not save at the same time");

    // No numbered name went to both copies.
    const QSet<QString> numberedByA(fromA.numberedNames.cbegin(), fromA.numberedNames.cend());
    const QSet<QString> numberedByB(fromB.numberedNames.cbegin(), fromB.numberedNames.cend());
    QVERIFY(!numberedByA.isEmpty() && !numberedByB.isEmpty());
    QVERIFY2(!numberedByA.intersects(numberedByB), "a numbered name was given to both copies");

    // The counter kept up with both: the next numbered game gets a new number.
    Module1 = Module1Vars{};
    Module1.ArchivePath = path;
    QVERIFY(Legge_Sequenza_daFile().ok);
    QCOMPARE(int(Module1.LastId), int(numberedByA.size() + numberedByB.size()));
    qInfo("%d games saved by two copies, their records interleaved %d times; %d listings of %d rows read "
          "meanwhile, none torn",
          int(ledger.records().size()), interleaved, listings, rows);
}

VARKO_TEST_MAIN(StressConcurrent)
#include "test_stress_concurrent.moc"
