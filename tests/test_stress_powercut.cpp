// Power cuts during saves, as a disk loses them: after every step of every
// kind of save, in turn, what was not synced is kept, dropped or scrambled
// sector by sector, several ways per step; then the program starts again. Every
// save that was reported done must be there byte for byte, the interrupted
// one wholly or not at all, and nothing else may change.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "tests/tools/SimulatedDisk.h"
#include "tests/tools/StressPlan.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr int WaysPerStep = 100;

// The id record and eight games. Record 6, Blitz, straddles the first sector
// boundary, and so does record 11, where a second append lands.
QByteArray startingArchive()
{
    QByteArray bytes = GameRecord::idRecord(2);
    int step = 100;
    for (const char *name : {"Varko1", "Alpha", "Varko2", "Beta", "Blitz", "Gamma", "Delta", "Epsilon"})
        bytes += StressPlan::recordOf(++step, QString::fromLatin1(name));
    return bytes;
}

class Bench {
public:
    // Start-up looks for the archive on the real disk; its bytes come from the simulated one.
    explicit Bench(const QTemporaryDir &dir) : path(archivePathIn(dir.path())), m_dir(dir)
    {
        QFile(path).open(QIODevice::WriteOnly);
        FileSystem::install(&m_disk);
    }
    ~Bench() { FileSystem::install(nullptr); }

    QByteArray bytes() { return m_disk.contents(path).value_or(QByteArray()); }
    bool journalStayed() { return m_disk.contents(path + QStringLiteral("-journal")).has_value(); }

    const QString path;

    // From the starting archive: one save, reported done, then a second one
    // (if any) with the power cut after its `cut`th step (0: no cut). True
    // when the saves were reported done.
    bool saveTwice(const QString &first, const std::optional<QString> &second, int cut = 0,
                   SimulatedDisk::Cut how = {}, quint32 seed = 0)
    {
        m_disk.setContents(path + QStringLiteral("-journal"), std::nullopt);
        m_disk.setContents(path, startingArchive());
        if (!startUp() || !save(first, 1))
            return false;
        secondSteps = m_disk.steps();
        m_disk.cutAfter(cut > 0 ? secondSteps + cut : 0, how, seed);
        const bool done = !second || save(*second, 2);
        secondSteps = m_disk.steps() - secondSteps;
        m_disk.restart();
        return done;
    }
    // Start-up with the power cut after its `cut`th step (0: no cut).
    bool startUp(int cut = 0, quint32 seed = 0)
    {
        Module1 = Module1Vars{};
        m_disk.cutAfter(cut, SimulatedDisk::Cut::Random, seed);
        const bool ok = openArchiveAtStartup(m_dir.path()).ok;
        m_disk.restart();
        return ok;
    }
    // What was done since is what the disk holds.
    void restart() { m_disk.restart(); }
    bool save(const QString &name, int step)
    {
        Module1.GameName = name;
        return saveGame(StressPlan::snapshotOf(step)).ok;
    }
    int secondSteps = 0;

private:
    const QTemporaryDir &m_dir;
    SimulatedDisk m_disk;
};

} // namespace

class StressPowerCut : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cutAtEveryStep_data();
    void cutAtEveryStep();
    void takenBackByNextLock_data();
    void takenBackByNextLock();
};

void StressPowerCut::cutAtEveryStep_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("named replace") << "Blitz"
                                   << "Blitz";
    QTest::newRow("named append") << "New1"
                                  << "New2";
    // Appended, and the id record rewritten with the counter.
    QTest::newRow("numbered") << ""
                              << "";
}

void StressPowerCut::cutAtEveryStep()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Bench bench(dir);
    QVERIFY(bench.saveTwice(first, std::nullopt));
    const QByteArray before = bench.bytes();
    QVERIFY(bench.saveTwice(first, second));
    const QByteArray after = bench.bytes();
    const int steps = bench.secondSteps;
    QVERIFY(before != after && steps > 0);

    int whole = 0, absent = 0;
    for (int step = 1; step <= steps; ++step) {
        for (int way = 0; way < WaysPerStep; ++way) {
            const auto how = way == 0   ? SimulatedDisk::Cut::KeepAll
                             : way == 1 ? SimulatedDisk::Cut::DropAll
                                        : SimulatedDisk::Cut::Random;
            const quint32 seed = quint32(step * 1000 + way);
            const bool done = bench.saveTwice(first, second, step, how, seed);
            // Now and then the power goes again while start-up takes the save back.
            bench.startUp(way % 3, seed);
            const QString where =
                QStringLiteral("cut after step %1 of %2, way %3: ").arg(step).arg(steps).arg(way);
            QVERIFY2(bench.startUp(), qPrintable(where + QStringLiteral("start-up fails")));
            const QByteArray bytes = bench.bytes();
            QVERIFY2(bytes == after || (!done && bytes == before),
                     qPrintable(where +
                                (done ? QStringLiteral("a save reported done is not there")
                                      : QStringLiteral("the archive is neither before nor after the save"))));
            QVERIFY2(!bench.journalStayed(), qPrintable(where + QStringLiteral("the journal stayed")));
            (bytes == after ? whole : absent) += 1;
        }
    }
    // Both outcomes were met: the cuts did fall inside the save.
    QVERIFY(whole > 0 && absent > 0);
    qInfo("%d power cuts: the save there %d times, absent %d times", steps * WaysPerStep, whole, absent);
}

enum class Next { StartUp, Browser, Restore, Save };

void StressPowerCut::takenBackByNextLock_data()
{
    QTest::addColumn<Next>("next");
    QTest::newRow("start-up") << Next::StartUp;
    QTest::newRow("browser, which otherwise takes no lock") << Next::Browser;
    QTest::newRow("restore") << Next::Restore;
    QTest::newRow("save") << Next::Save;
}

// The power goes once a save's records are synced but its journal is still
// there: whatever takes the lock next puts the old records back first.
void StressPowerCut::takenBackByNextLock()
{
    QFETCH(Next, next);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Bench bench(dir);
    const QString name = QStringLiteral("Blitz");
    QVERIFY(bench.saveTwice(name, std::nullopt));
    const QByteArray before = bench.bytes();
    QVERIFY(bench.saveTwice(name, name));
    const QByteArray after = bench.bytes();
    QVERIFY(!bench.saveTwice(name, name, bench.secondSteps - 2, SimulatedDisk::Cut::KeepAll));
    QVERIFY(bench.journalStayed() && bench.bytes() == after);

    Module1 = Module1Vars{};
    Module1.ArchivePath = bench.path;
    QString message;
    GameListModel model;
    const bool ok = next == Next::StartUp   ? bench.startUp()
                    : next == Next::Browser ? model.open(bench.path, &message) &&
                                                  model.count() == before.size() / GameRecord::Size
                    : next == Next::Restore ? loadGame(name).game.record == 6
                                            : bench.save(name, 2);
    QVERIFY(ok);
    bench.restart();
    QVERIFY(!bench.journalStayed());
    // A save made again is the interrupted one, now whole.
    QVERIFY(bench.bytes() == (next == Next::Save ? after : before));
}

VARKO_TEST_MAIN(StressPowerCut)
#include "test_stress_powercut.moc"
