// Restoring saved games: every field back as stored, damaged records refused.
#include "archive/RestoreGame.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QObject>
#include <optional>

using ArchiveTest::archiveOf;

namespace {

using Field = QString GameRecord::*;

// The game Alpha: White 00:12:07, Black 00:09:41, total 00:21:48, limit 30,
// 18 and 21 minutes left.
GameRecord alpha()
{
    return GameRecord::decode(QByteArray("Alpha          ") + QByteArray("  Anna Rossi").leftJustified(30)
                              + QByteArray("Bruno").leftJustified(30) + "001207000941002148" + "30 18 21 ");
}

} // namespace

class TestArchiveRestore : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_folder.emplace();
        QVERIFY(m_folder->dir.isValid());
    }
    void cleanup() { m_folder.reset(); }

    void everyFieldOfTheLatestRecordRestored();
    void damagedFieldRefused_data();
    void damagedFieldRefused();
    void vanishedGameRefused_data();
    void vanishedGameRefused();

private:
    std::optional<ArchiveTest::Folder> m_folder;
};

void TestArchiveRestore::everyFieldOfTheLatestRecordRestored()
{
    GameRecord earlier = alpha();
    earlier.WhiteSeconds = "59";
    const QByteArray bytes = archiveOf({"Other"}) + earlier.encode() + alpha().encode() + "piece";
    QVERIFY(m_folder->write(bytes));
    Module1.GameName = "Current";
    const RestoreResult r = loadGame(" Alpha ");
    QVERIFY2(r.ok, qPrintable(r.message));
    const RestoredGame &g = r.game;
    QCOMPARE(g.record, 4);
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
    // Restoring only reads: the file and the current game's name stay.
    QCOMPARE(m_folder->bytes(), bytes);
    QCOMPARE(Module1.GameName, u"Current"_qs);
}

void TestArchiveRestore::damagedFieldRefused_data()
{
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("what");
    QTest::newRow("white seconds blank") << &GameRecord::WhiteSeconds << "  " << "White's seconds";
    QTest::newRow("total hours zero bytes") << &GameRecord::TotalHours << QString(2, QChar(0)) << "the total hours";
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

VARKO_TEST_MAIN(TestArchiveRestore)
#include "test_archive_restore.moc"
