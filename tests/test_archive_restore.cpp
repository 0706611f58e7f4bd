// Restoring saved games: every field back as stored, damaged records refused.
#include "app/Module1.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "archive/SaveGame.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QObject>

using ArchiveTest::archiveOf;

namespace {

using ArchiveTest::alpha;

using Field = QString GameRecord::*;

} // namespace

class TestArchiveRestore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyFieldRestored();
    void savedGameComesBack_data();
    void savedGameComesBack();
    void highestRecordOfNameRestored();
    void damagedFieldRefused_data();
    void damagedFieldRefused();
    void vanishedGameRefused_data();
    void vanishedGameRefused();
    void restoringWritesNothing();

private:
    std::unique_ptr<ArchiveTest::Folder> m_folder;
};

void TestArchiveRestore::init()
{
    m_folder = std::make_unique<ArchiveTest::Folder>();
    QVERIFY(m_folder->dir.isValid());
}

void TestArchiveRestore::cleanup()
{
    m_folder.reset();
}

void TestArchiveRestore::everyFieldRestored()
{
    QVERIFY(m_folder->write(archiveOf({"Other"}) + alpha().encode()));
    const RestoreResult r = loadGame(" Alpha ");
    QVERIFY2(r.ok, qPrintable(r.message));
    const RestoredGame &g = r.game;
    QCOMPARE(g.record, 3);
    QCOMPARE(g.whitePlayer, u"Anna Rossi"_qs);
    QCOMPARE(g.blackPlayer, u"Bruno"_qs);
    const QList<std::pair<RestoredNumber, std::pair<QString, int>>> fields = {
        {g.whiteHours, {"00", 0}},    {g.whiteMinutes, {"12", 12}}, {g.whiteSeconds, {"07", 7}},
        {g.blackHours, {"00", 0}},    {g.blackMinutes, {"09", 9}},  {g.blackSeconds, {"41", 41}},
        {g.totalHours, {"00", 0}},    {g.totalMinutes, {"21", 21}}, {g.totalSeconds, {"48", 48}},
        {g.limit, {"30 ", 30}},       {g.whiteLeft, {"18 ", 18}},   {g.blackLeft, {"21 ", 21}},
    };
    for (const auto &[restored, expected] : fields) {
        QCOMPARE(restored.text, expected.first);
        QCOMPARE(restored.number, expected.second);
    }
}

void TestArchiveRestore::savedGameComesBack_data()
{
    QTest::addColumn<GameSnapshot>("snapshot");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("whiteLeft");
    GameSnapshot running{"Anna", "Bruno", "01", "02", "03", "04", "05", "06", "07", "08", "09", 30, " 18", " 21"};
    QTest::newRow("running") << running << 30 << 18;
    running.timeLimit = 120;
    running.whiteLeftCaption = " 120";
    QTest::newRow("120 minutes") << running << 120 << 120;
    running.timeLimit = 5;
    running.whiteLeftCaption = "-3";
    QTest::newRow("over time") << running << 5 << -3;
    QTest::newRow("idle window") << ArchiveTest::idleSnapshot() << 30 << 0;
}

void TestArchiveRestore::savedGameComesBack()
{
    QFETCH(GameSnapshot, snapshot);
    QFETCH(int, limit);
    QFETCH(int, whiteLeft);
    QVERIFY(m_folder->write(GameRecord::idRecord(0)));
    Module1.GameName = "Round";
    QVERIFY(saveGame(snapshot).ok);
    const RestoreResult r = loadGame("Round");
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.game.limit.number, limit);
    QCOMPARE(r.game.whiteLeft.number, whiteLeft);
    QCOMPARE(r.game.whitePlayer, snapshot.whitePlayer);
    QCOMPARE(r.game.whiteSeconds.text, snapshot.whiteSeconds);
    QCOMPARE(r.game.totalHours.text, snapshot.totalHours);
    QCOMPARE(r.game.blackMinutes.number, snapshot.blackMinutes.toInt());
}

void TestArchiveRestore::highestRecordOfNameRestored()
{
    GameRecord later = alpha();
    later.WhiteSeconds = "59";
    QVERIFY(m_folder->write(archiveOf({}) + alpha().encode() + later.encode()));
    const RestoreResult r = loadGame("Alpha");
    QVERIFY(r.ok);
    QCOMPARE(r.game.record, 3);
    QCOMPARE(r.game.whiteSeconds.number, 59);
}

void TestArchiveRestore::damagedFieldRefused_data()
{
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("what");
    QTest::newRow("white seconds blank") << &GameRecord::WhiteSeconds << "  " << "White's seconds";
    QTest::newRow("black minutes garbage") << &GameRecord::BlackMinutes << "x1" << "Black's minutes";
    QTest::newRow("total hours zero bytes") << &GameRecord::TotalHours << QString(2, QChar(0)) << "the total hours";
    QTest::newRow("limit blank") << &GameRecord::Limit << "   " << "the time limit";
    QTest::newRow("white left garbage") << &GameRecord::WhiteLeft << "a" << "White's remaining minutes";
    QTest::newRow("black left empty") << &GameRecord::BlackLeft << "" << "Black's remaining minutes";
    QTest::newRow("seconds 60") << &GameRecord::TotalSeconds << "60" << "the total seconds";
    QTest::newRow("negative hours") << &GameRecord::WhiteHours << "-1" << "White's hours";
}

void TestArchiveRestore::damagedFieldRefused()
{
    QFETCH(Field, field);
    QFETCH(QString, value);
    QFETCH(QString, what);
    GameRecord damaged = alpha();
    damaged.*field = value;
    QVERIFY(m_folder->write(archiveOf({}) + damaged.encode()));
    const RestoreResult r = loadGame("Alpha");
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(what), qPrintable(r.message));
    QVERIFY2(r.message.contains("damaged"), qPrintable(r.message));
}

void TestArchiveRestore::vanishedGameRefused_data()
{
    QTest::addColumn<QStringList>("games");
    QTest::addColumn<QString>("name");
    QTest::newRow("never saved") << QStringList{"Beta"} << "Alpha";
    QTest::newRow("only the id record") << QStringList{} << "ID";
    QTest::newRow("other case") << QStringList{"alpha"} << "Alpha";
}

void TestArchiveRestore::vanishedGameRefused()
{
    QFETCH(QStringList, games);
    QFETCH(QString, name);
    QVERIFY(m_folder->write(archiveOf(games)));
    const RestoreResult r = loadGame(name);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains("no longer in the archive"), qPrintable(r.message));
    QVERIFY2(r.message.contains(name), qPrintable(r.message));
}

void TestArchiveRestore::restoringWritesNothing()
{
    const QByteArray bytes = archiveOf({}) + alpha().encode() + "piece";
    QVERIFY(m_folder->write(bytes));
    Module1.GameName = "Current";
    QVERIFY(loadGame("Alpha").ok);
    QCOMPARE(m_folder->bytes(), bytes);
    QCOMPARE(Module1.GameName, u"Current"_qs);
}

VARKO_TEST_MAIN(TestArchiveRestore)
#include "test_archive_restore.moc"
