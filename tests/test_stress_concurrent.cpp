// Two running copies of the program saving into one archive at the same
// time: no game lost, no record torn, no numbered name given twice.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/GameRecord.h"
#include "tests/tools/StressPlan.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

namespace {

constexpr int Steps = 1000;
constexpr int FirstOfB = 500000;

// How often the file switches between the two copies' games from one record
// to the next: whether they really saved at the same time.
int switches(const QByteArray &bytes)
{
    const auto ofB = [&](qsizetype at) {
        return GameRecord::decode(bytes.sliced(at, GameRecord::Size)).WhitePlayer.section(u' ', 1).toInt() >=
               FirstOfB;
    };
    int count = 0;
    for (qsizetype at = 3 * GameRecord::Size; at + GameRecord::Size <= bytes.size(); at += GameRecord::Size)
        count += ofB(at) != ofB(at - GameRecord::Size) ? 1 : 0;
    return count;
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
    // Both start on a folder without an archive, so both try to create it; each
    // waits a millisecond between two saves, as a user does, or the one holding
    // the lock would keep it nearly all the time.
    QProcess a, b;
    a.start(QStringLiteral(VARKO_STRESS_SAVER), {dir.path(), QStringLiteral("A"), QStringLiteral("0"),
                                                 QString::number(Steps), QStringLiteral("1000")});
    b.start(QStringLiteral(VARKO_STRESS_SAVER), {dir.path(), QStringLiteral("B"), QString::number(FirstOfB),
                                                 QString::number(Steps), QStringLiteral("1000")});
    QVERIFY(a.waitForStarted(10000) && b.waitForStarted(10000));
    // Let both go at once, however long each took to start.
    QVERIFY(a.write("go\n") == 3 && b.write("go\n") == 3 && a.waitForBytesWritten(5000) &&
            b.waitForBytesWritten(5000));
    QVERIFY(a.waitForFinished(120000) && b.waitForFinished(120000));
    QVERIFY2(a.exitStatus() == QProcess::NormalExit && a.exitCode() == 0,
             a.readAllStandardError().constData());
    QVERIFY2(b.exitStatus() == QProcess::NormalExit && b.exitCode() == 0,
             b.readAllStandardError().constData());

    const StressPlan::Report fromA = StressPlan::parse(a.readAllStandardOutput());
    const StressPlan::Report fromB = StressPlan::parse(b.readAllStandardOutput());
    QVERIFY2(fromA.failures.isEmpty() && fromB.failures.isEmpty(),
             qPrintable((fromA.failures + fromB.failures).join(u'\n')));
    QCOMPARE(fromA.done.size() + fromB.done.size(), 2 * Steps);
    StressPlan::Ledger ledger;
    ledger.apply(fromA);
    ledger.apply(fromB);
    const QByteArray bytes = StressPlan::fileBytes(archivePathIn(dir.path()));
    const QStringList problems = ledger.check(bytes, std::nullopt);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    QCOMPARE(bytes.size(), (ledger.size() + 1) * GameRecord::Size);
    const int interleaved = switches(bytes);
    QVERIFY2(interleaved >= 10, "the two copies did not save at the same time");

    // No numbered name went to both copies, and the counter kept up with both.
    const QSet<QString> numberedByA(fromA.numberedNames.cbegin(), fromA.numberedNames.cend());
    const QSet<QString> numberedByB(fromB.numberedNames.cbegin(), fromB.numberedNames.cend());
    QVERIFY(!numberedByA.isEmpty() && !numberedByB.isEmpty());
    QVERIFY2(!numberedByA.intersects(numberedByB), "a numbered name was given to both copies");
    Module1 = Module1Vars{};
    Module1.ArchivePath = archivePathIn(dir.path());
    QVERIFY(Legge_Sequenza_daFile().ok);
    QCOMPARE(int(Module1.LastId), int(numberedByA.size() + numberedByB.size()));
    qInfo("%d games saved by two copies, their records interleaved %d times", ledger.size(), interleaved);
}

VARKO_TEST_MAIN(StressConcurrent)
#include "test_stress_concurrent.moc"
