// Copies of the program saving while they are killed at random moments, and
// two copies saving into one archive at the same time. The archive must always
// open again and keep every game whose save completed, byte for byte; a torn
// last piece is never counted as a game, no numbered name is given twice.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameRecord.h"
#include "tests/tools/StressPlan.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <QTemporaryDir>

namespace {

constexpr int StepsPerRun = 24;
// A step takes one numbered name at most; an archive whose names could run out
// before its next two runs end is left, and the kills go on in a fresh one.
constexpr int NumberedNames = 999, NamesLeftForTwoRuns = 2 * StepsPerRun;
// A kill before the saver's first line lands within this time of its start.
constexpr qint64 StartUpNanos = 20'000'000;
constexpr int ConcurrentSteps = 1000, FirstOfB = 500000;

bool startSaver(QProcess &saver, const QString &folder, const QString &prefix, int first, int steps,
                const QStringList &pause = {})
{
    saver.start(QStringLiteral(VARKO_STRESS_SAVER),
                QStringList{folder, prefix, QString::number(first), QString::number(steps)} + pause);
    return saver.waitForStarted(10000);
}

bool endedWell(const QProcess &saver)
{
    return saver.exitStatus() == QProcess::NormalExit && saver.exitCode() == 0;
}

// The saver's report once it is gone, with a failure added unless it went as meant.
StressPlan::Report reportOf(QProcess &saver, const QByteArray &readSoFar, bool ok)
{
    StressPlan::Report report = StressPlan::parse(readSoFar + saver.readAllStandardOutput());
    if (!ok)
        report.failures.append(QStringLiteral("the saver failed: ") + saver.readAllStandardError());
    return report;
}

// Runs the saver and, given `lines`, kills it once it wrote that many report
// lines and then a `share` (0 to 1) of two saves' time passed, or of
// StartUpNanos for a kill before the first line. A save's time is what this
// run shows, or with too few lines the last run that showed it: so the kills
// land inside saves, and a run saves little, on a slow disk and a fast one alike.
StressPlan::Report runSaver(const QString &folder, int first, std::optional<int> lines, double share,
                            qint64 &nanosPerSave)
{
    QProcess saver;
    QByteArray output;
    bool ok = startSaver(saver, folder, QStringLiteral("K"), first, StepsPerRun);
    if (ok && lines) {
        QElapsedTimer t;
        t.start();
        qint64 firstAt = 0;
        qsizetype firstLines = 0;
        while (output.count('\n') < *lines && saver.waitForReadyRead(20000)) {
            output += saver.readAllStandardOutput();
            if (firstLines == 0) {
                firstAt = t.nsecsElapsed();
                firstLines = output.count('\n');
            }
        }
        const qsizetype later = output.count('\n') - firstLines;
        if (later >= 2) // a save reports two lines
            nanosPerSave = (t.nsecsElapsed() - firstAt) * 2 / later;
        // Busy meanwhile: the saver runs on, so the kill lands inside whatever it does.
        const qint64 wait = qint64(share * double(*lines == 0 ? StartUpNanos : 2 * nanosPerSave));
        for (t.start(); t.nsecsElapsed() < wait;) {
        }
        saver.waitForFinished(0); // notices a saver that died meanwhile
        ok = saver.state() != QProcess::NotRunning || endedWell(saver);
        saver.kill();
    }
    saver.waitForFinished(20000);
    return reportOf(saver, output, ok && (lines || endedWell(saver)));
}

} // namespace

class StressSaver : public TestSupport::TestCase {
    Q_OBJECT
private slots:
    void killedWhileSaving();
    void twoCopiesSaveIntoOneArchive();
};

// Runs of the saver, each killed at a random moment, the last of each archive
// left to finish: saving still works.
void StressSaver::killedWhileSaving()
{
    const quint32 seed = quint32(qEnvironmentVariableIntValue("VARKO_STRESS_SEED")) ^ 0x5eedc0deu;
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);
    const int wanted = qEnvironmentVariableIntValue("VARKO_STRESS_KILLS");
    const int kills = wanted > 0 ? wanted : 300;
    int runs = 0, cutShort = 0, killed = 0, records = 0;
    qint64 nanosPerSave = 1'000'000;
    while (killed < kills) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = archivePathIn(dir.path());
        StressPlan::Ledger ledger;
        for (bool last = false; !last; ++runs) {
            last = killed == kills || Module1.LastId > NumberedNames - NamesLeftForTwoRuns;
            // Even line counts stop between saves, odd ones inside a save; a few
            // runs die during start-up.
            const int lines = int(random.bounded(2 * StepsPerRun));
            const StressPlan::Report report =
                runSaver(dir.path(), runs * 1000, last ? std::nullopt : std::optional(lines),
                         random.generateDouble(), nanosPerSave);
            killed += last ? 0 : 1;
            // As the program sees it, once start-up has taken back a save the
            // kill interrupted: every completed save there, the interrupted one
            // whole or not at all.
            Module1 = Module1Vars{};
            const Reported<void> started = openArchiveAtStartup(dir.path());
            QVERIFY2(started, qPrintable(started.message()));
            const QStringList problems = ledger.check(StressPlan::fileBytes(path), {report});
            QVERIFY2(problems.isEmpty(),
                     qPrintable(QStringLiteral("after run %1: ").arg(runs) + problems.join(u'\n')));
            cutShort += report.pending ? 1 : 0;
        }
        records += ledger.size();
        Module1 = Module1Vars{}; // the next archive's counter starts at 0
    }
    QVERIFY(records > 20);
    // The kills did land inside saves.
    QVERIFY(kills < 100 || cutShort > 0);
    qInfo("%d kills, %d inside a save, %d games kept; a save took %lld µs", kills, cutShort, records,
          nanosPerSave / 1000);
}

void StressSaver::twoCopiesSaveIntoOneArchive()
{
    QTemporaryDir dir;
    // Both start on a folder without an archive, so both try to create it; each
    // waits a millisecond between two saves, as a user does, or the one holding
    // the lock would keep it nearly all the time.
    QProcess a, b;
    const QStringList pause{QStringLiteral("1000")};
    QVERIFY(startSaver(a, dir.path(), QStringLiteral("A"), 0, ConcurrentSteps, pause) &&
            startSaver(b, dir.path(), QStringLiteral("B"), FirstOfB, ConcurrentSteps, pause));
    // Let both go at once, however long each took to start.
    QVERIFY(a.write("go\n") == 3 && b.write("go\n") == 3 && a.waitForBytesWritten(5000) &&
            b.waitForBytesWritten(5000));
    const StressPlan::Report fromA = reportOf(a, {}, a.waitForFinished(120000) && endedWell(a));
    const StressPlan::Report fromB = reportOf(b, {}, b.waitForFinished(120000) && endedWell(b));
    StressPlan::Ledger ledger;
    const QByteArray bytes = StressPlan::fileBytes(archivePathIn(dir.path()));
    const QStringList problems = ledger.check(bytes, {fromA, fromB});
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    // How often the file switches between the two copies' games from one
    // record to the next: whether they really saved at the same time.
    const auto ofB = [&](qsizetype at) {
        return GameRecord::decode(bytes.sliced(at, GameRecord::Size)).WhitePlayer.section(u' ', 1).toInt() >=
               FirstOfB;
    };
    int interleaved = 0;
    for (qsizetype at = 3 * GameRecord::Size; at + GameRecord::Size <= bytes.size(); at += GameRecord::Size)
        interleaved += ofB(at) != ofB(at - GameRecord::Size) ? 1 : 0;
    QVERIFY2(interleaved >= 10, "the two copies did not save at the same time");

    // The check above finds a numbered name given to both copies; the counter
    // kept up with both: every fifth step of each saved a numbered game.
    QCOMPARE(bytes.first(GameRecord::Size), GameRecord::idRecord(2 * ConcurrentSteps / 5));
    qInfo("%d games saved by two copies, their records interleaved %d times", ledger.size(), interleaved);
}

VARKO_TEST_MAIN(StressSaver)
#include "test_stress_saver.moc"
