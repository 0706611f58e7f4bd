// A saving copy of the program killed at random moments: the archive must
// always open again, keep every game whose save completed, byte for byte, and
// never count a half-written record as a game.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "tests/tools/StressPlan.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

constexpr int StepsPerRun = 24;

int killCount()
{
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("VARKO_STRESS_KILLS", &ok);
    return ok && wanted > 0 ? wanted : 300;
}

// Busy for `micros` microseconds: the saver runs on meanwhile, so the kill
// lands somewhere inside whatever it does at that moment.
void spin(qint64 micros)
{
    QElapsedTimer t;
    t.start();
    while (t.nsecsElapsed() < micros * 1000) {
    }
}

struct Run {
    QByteArray output;
    QByteArray errors;
    bool finished = false; // ended by itself, not by the kill
    bool crashed = false;  // died by itself before the kill, and not with success
    int exitCode = 0;
};

// Starts the saver and kills it once it wrote `lines` report lines (0: at
// once) and a further `micros` microseconds passed; without `lines`, lets it
// finish.
Run runSaver(const QString &folder, int first, std::optional<int> lines, qint64 micros)
{
    QProcess saver;
    saver.start(QStringLiteral(VARKO_STRESS_SAVER),
                {folder, QStringLiteral("K"), QString::number(first), QString::number(StepsPerRun)});
    Run run;
    if (!saver.waitForStarted(10000))
        return run;
    if (lines) {
        while (run.output.count('\n') < *lines && saver.waitForReadyRead(20000))
            run.output += saver.readAllStandardOutput();
        spin(micros);
        saver.waitForFinished(0); // notices a saver that died meanwhile
        if (saver.state() == QProcess::NotRunning)
            run.crashed = saver.exitStatus() != QProcess::NormalExit || saver.exitCode() != 0;
        saver.kill();
    }
    saver.waitForFinished(20000);
    run.finished = saver.exitStatus() == QProcess::NormalExit;
    run.exitCode = saver.exitCode();
    run.output += saver.readAllStandardOutput();
    run.errors = saver.readAllStandardError();
    return run;
}

// What start-up and the browser make of the archive after a kill.
QStringList checkAsTheProgramSeesIt(const QString &folder, const QByteArray &bytes)
{
    QStringList problems;
    Module1 = Module1Vars{};
    const ArchiveStartup started = openArchiveAtStartup(folder);
    if (!started.ok)
        problems.append(QStringLiteral("start-up failed: ") + started.message);
    const int count = int(bytes.size() / GameRecord::Size);
    GameListModel model;
    QString reason;
    if (!model.open(Module1.ArchivePath, &reason))
        problems.append(QStringLiteral("the browser cannot read the archive: ") + reason);
    // A trailing piece is no game: the rows are the whole records and the empty row.
    if (model.rowCount() != std::max(count, 1))
        problems.append(QStringLiteral("the browser shows %1 rows for %2 records").arg(model.rowCount()).arg(count));
    if (count >= 2) {
        const QString lastName = GameRecord::decode(bytes.sliced(qsizetype(count - 1) * GameRecord::Size)).RecordName;
        if (model.data(model.index(count - 2, 0)).toString() != lastName)
            problems.append(QStringLiteral("the browser's last game is not the last record"));
        const FindResult found = FindGame(lastName);
        if (!found.ok || found.record != count)
            problems.append(QStringLiteral("the last game cannot be found by its name"));
    }
    return problems;
}

} // namespace

// Kills per archive: a few hundred runs of the saver take nearly all of the
// 999 numbered names, so a longer run goes on in a fresh archive.
constexpr int KillsPerArchive = 250;

struct Tally {
    int kills = 0, cutShort = 0, kept = 0, pieces = 0, games = 0;
};

class StressCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWhileSaving();

private:
    void killRound(int kills, QRandomGenerator &random, Tally &tally);
    quint32 m_seed = 0;
};

void StressCrash::killedWhileSaving()
{
    m_seed = quint32(qEnvironmentVariableIntValue("VARKO_STRESS_SEED")) ^ 0x5eedc0deu;
    QRandomGenerator random(m_seed);
    Tally tally;
    for (int left = killCount(); left > 0 && !QTest::currentTestFailed(); left -= KillsPerArchive)
        killRound(std::min(left, KillsPerArchive), random, tally);
    qInfo("%d kills, %d inside a save (%d of those saves reached the disk whole), %d trailing pieces, %d games",
          tally.kills, tally.cutShort, tally.kept, tally.pieces, tally.games);
}

// `kills` runs of the saver on one archive, each killed at a random moment,
// then one left to finish: saving still works.
void StressCrash::killRound(int kills, QRandomGenerator &random, Tally &tally)
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = archivePathIn(dir.path());
    StressPlan::Ledger ledger;
    for (int k = 0; k <= kills; ++k) {
        const bool last = k == kills;
        // Even line counts stop between saves, odd ones inside a save; a few
        // runs die during start-up.
        const int lines = int(random.bounded(2 * StepsPerRun));
        const qint64 micros = random.bounded(lines == 0 ? 20000 : 3000);
        const Run run = runSaver(dir.path(), k * 1000, last ? std::nullopt : std::optional(lines), micros);
        const StressPlan::Report report = StressPlan::parse(run.output);
        QVERIFY2(report.failures.isEmpty(), qPrintable(report.failures.join(u'\n') + QString::fromUtf8(run.errors)));
        QVERIFY2(!run.crashed, qPrintable(QStringLiteral("the saver died by itself: ") + QString::fromUtf8(run.errors)));
        if (last)
            QVERIFY2(run.finished && run.exitCode == 0, run.errors.constData());

        const QByteArray bytes = StressPlan::fileBytes(path);
        ledger.apply(report);
        const QStringList problems = ledger.check(bytes, report.pending) + checkAsTheProgramSeesIt(dir.path(), bytes);
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("after kill %1 (seed %2): ").arg(tally.kills).arg(m_seed) +
                                                  problems.join(u'\n')));
        tally.kills += last ? 0 : 1;
        tally.cutShort += report.pending ? 1 : 0;
        tally.kept += ledger.pendingReachedDisk() ? 1 : 0;
        tally.pieces += bytes.size() % GameRecord::Size != 0 ? 1 : 0;
    }
    QVERIFY(ledger.records().size() > 20);
    tally.games += int(ledger.records().size());
}

VARKO_TEST_MAIN(StressCrash)
#include "test_stress_crash.moc"
