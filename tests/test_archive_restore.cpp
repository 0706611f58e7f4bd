// Restoring saved games: every field back as stored, damaged records refused.
#include "archive/RestoreGame.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

using ArchiveTest::archiveOf;

namespace {

using Field = QString GameRecord::*;

// White 00:12:07, Black 00:09:41, total 00:21:48, limit 30, 18 and 21 minutes left.
GameRecord alpha()
{
    return GameRecord::decode(QByteArray("Alpha          ") + QByteArray("  Anna Rossi").leftJustified(30) +
                              QByteArray("Bruno").leftJustified(30) + "001207000941002148" + "30 18 21 ");
}

} // namespace

class TestArchiveRestore : public QObject {
    Q_OBJECT

private slots:
    void init() { m_folder.emplace(); }

    void everyFieldRestored()
    {
        const QByteArray bytes = archiveOf({"Other"}) + alpha().encode() + "piece";
        QVERIFY(m_folder->write(bytes));
        Module1.GameName = "Current";
        const RestoreResult r = loadGame(" Alpha ");
        QVERIFY2(r.ok, qPrintable(r.message));
        const RestoredGame &g = r.game;
        QCOMPARE(g.record, 3);
        QCOMPARE(g.whitePlayer + '|' + g.blackPlayer, u"Anna Rossi|Bruno"_qs);
        QStringList fields; // each as text=number
        for (const RestoredNumber &n :
             {g.whiteHours, g.whiteMinutes, g.whiteSeconds, g.blackHours, g.blackMinutes, g.blackSeconds,
              g.totalHours, g.totalMinutes, g.totalSeconds, g.limit, g.whiteLeft, g.blackLeft})
            fields << n.text + '=' + QString::number(n.number);
        QCOMPARE(fields.join('|'),
                 u"00=0|12=12|07=7|00=0|09=9|41=41|00=0|21=21|48=48|30 =30|18 =18|21 =21"_qs);
        // Restoring only reads: the file and the current game's name stay.
        QCOMPARE(m_folder->bytes(), bytes);
        QCOMPARE(Module1.GameName, u"Current"_qs);
    }

    // A damaged field is named; a game not (or no longer) there is named too.
    void refused_data()
    {
        QTest::addColumn<QByteArray>("archive"); // the game sought is Alpha
        QTest::addColumn<QStringList>("said");
        const auto damaged = [](Field field, const QString &value) {
            GameRecord g = alpha();
            g.*field = value;
            return archiveOf({}) + g.encode();
        };
        const auto broken = [](const char *what) { return QStringList{what, "damaged"}; };
        const QString zeroBytes(2, QChar(0));
        QTest::newRow("seconds blank")
            << damaged(&GameRecord::WhiteSeconds, "  ") << broken("White's seconds");
        QTest::newRow("hours zero bytes")
            << damaged(&GameRecord::TotalHours, zeroBytes) << broken("the total hours");
        QTest::newRow("left empty") << damaged(&GameRecord::BlackLeft, "")
                                    << broken("Black's remaining minutes");
        QTest::newRow("seconds 60") << damaged(&GameRecord::TotalSeconds, "60")
                                    << broken("the total seconds");
        QTest::newRow("minutes 60") << damaged(&GameRecord::WhiteMinutes, "60") << broken("White's minutes");
        QTest::newRow("negative hours") << damaged(&GameRecord::WhiteHours, "-1") << broken("White's hours");
        QTest::newRow("never saved") << archiveOf({"Beta"})
                                     << QStringList{"no longer in the archive", "Alpha"};
    }
    void refused()
    {
        QFETCH(QByteArray, archive);
        QFETCH(QStringList, said);
        QVERIFY(m_folder->write(archive));
        const RestoreResult r = loadGame("Alpha");
        QVERIFY(!r.ok);
        for (const QString &part : said)
            QVERIFY2(r.message.contains(part), qPrintable(r.message));
    }

private:
    std::optional<ArchiveTest::Folder> m_folder;
};

VARKO_TEST_MAIN(TestArchiveRestore)
#include "test_archive_restore.moc"
