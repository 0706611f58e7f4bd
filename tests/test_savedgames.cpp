#include "archive/GameRecord.h"
#include "archive/Journal.h"
#include "tests/common/MainWindowFixture.h"
#include "ui/TableGrid.h"

#include <QDir>
#include <QFile>

// Saving the game on the clocks and reopening saved games through the
// toolbar, the browser and the archive file.
class TestSavedGames : public TestSupport::TestCase {
    Q_OBJECT

    static QByteArray archiveBytes()
    {
        QFile f(Module1.ArchivePath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static GameRecord record(int n)
    {
        return GameRecord::decode(archiveBytes().mid((n - 1) * GameRecord::Size, GameRecord::Size));
    }
    static void appendGame(const GameRecord &r)
    {
        QFile f(Module1.ArchivePath);
        QVERIFY(f.open(QIODevice::Append));
        f.write(r.encode());
    }
    // Opens the browser and chooses grid row `row`, or Exit when row < 0.
    static void openGame(MainWindowFixture &f, int row)
    {
        TestSupport::scriptDialogs([row](QDialog &dialog) {
            if (row >= 0)
                dialog.findChild<TableGrid *>(QStringLiteral("dgGame"))->setRow(row);
            dialog.findChild<QPushButton *>(row < 0 ? QStringLiteral("cmdExit") : QStringLiteral("cmdOpen"))
                ->click();
        });
        f.clickToolbar(QStringLiteral("Open"));
    }
    static GameRecord alpha()
    {
        return GameRecord::decode(QByteArray("Alpha          ") + QByteArray("Anna").leftJustified(30) +
                                  QByteArray("Boris").leftJustified(30) + "001207000941002148" + "30 18 21 ");
    }

private slots:
    void savingAnUnnamedGameGivesItANumberedName()
    {
        MainWindowFixture f;
        f.start({QStringLiteral("Anna"), QStringLiteral("Boris"), QStringLiteral("30"), QString()});
        f.play(61000);
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(f.status(), QStringLiteral("Save Game as Varko1"));
        QCOMPARE(record(1).Limit, QStringLiteral("1  "));
        QCOMPARE(archiveBytes().mid(GameRecord::Size),
                 QByteArray("Varko1         ") + QByteArray("Anna").leftJustified(30) +
                     QByteArray("Boris").leftJustified(30) + "000101000000000101" + "30 29 30 ");
        // The clocks go on as if nothing happened, and the same game saved
        // again replaces its record.
        QVERIFY(f.whiteToMove());
        f.play(2000);
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(archiveBytes().size(), 204);
        QCOMPARE(record(2).WhiteSeconds, QStringLiteral("03"));
        QCOMPARE(record(1).Limit, QStringLiteral("1  "));
    }

    void savingTheIdleWindowStoresItsTexts()
    {
        MainWindowFixture f;
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(archiveBytes().mid(GameRecord::Size + 15), QByteArray("Frame1").leftJustified(30) +
                                                                QByteArray("Frame2").leftJustified(30) +
                                                                QByteArray(18, '0') + "30 00 00 ");
    }

    void failedSaveSaysWhyAndClaimsNothing()
    {
        MainWindowFixture f;
        f.start();
        // The archive has been replaced by a folder: nothing can be written.
        QVERIFY(QFile::remove(Module1.ArchivePath));
        QVERIFY(QDir().mkdir(Module1.ArchivePath));
        f.w().STB1->setPanelText(3, QStringLiteral("earlier"));
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QVERIFY(TestSupport::boxes().shown.at(0).prompt.contains(Module1.ArchivePath));
        QCOMPARE(f.status() + Module1.GameName, QStringLiteral("earlier"));
    }

    // Opening continues the saved game with White to move, ending a pause;
    // Save then replaces its record, whatever game the settings dialog named
    // last, and once stopped the record is safe from a save of the zeroed clocks.
    void openedGameContinuesAndSavesInPlace()
    {
        MainWindowFixture f;
        appendGame(alpha());
        f.start(
            {QStringLiteral("Carl"), QStringLiteral("Dora"), QStringLiteral("30"), QStringLiteral("Beta")});
        f.clickToolbar(QStringLiteral("Save"));
        const QByteArray beta = record(3).encode();
        TestSupport::boxes().answers = {MsgBox::Answer::Yes, MsgBox::Answer::Yes};
        f.key('s');
        f.key(' ');
        f.key(' '); // Black to move before the game is opened
        f.key('p'); // and a pause, which the opening ends
        openGame(f, 1);
        frmMain &w = f.w();
        QCOMPARE(f.status(), QStringLiteral("Game Alpha Opened"));
        QCOMPARE(f.clocks(), QStringLiteral("00:12:07 00:09:41 00:21:48"));
        QCOMPARE(w.Frame2->title() + w.lblLimitWhite->text(), QStringLiteral("Boris18 "));
        QCOMPARE(w.LimitBlack, 21);
        QCOMPARE(TestSupport::desktop().calls.join(u' '), QStringLiteral("inhibit release inhibit"));
        QVERIFY(f.whiteToMove()); // only White's clock runs
        QCOMPARE(f.locked(), QStringLiteral("1 3 7"));
        f.play(3000);
        QCOMPARE(f.clocks(), QStringLiteral("00:12:10 00:09:41 00:21:51"));
        // The restored clocks are the marks of the next reports.
        f.key(' ');
        QCOMPARE(f.status(), QStringLiteral("White player spend  0 Minutes for this move."));
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(f.status(), QStringLiteral("Save Game as Alpha"));
        QCOMPARE(record(2).WhiteSeconds, QStringLiteral("10"));
        QCOMPARE(archiveBytes().mid(2 * GameRecord::Size), beta);
        const QByteArray alphaSaved = record(2).encode();
        f.key('s');
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(record(2).encode(), alphaSaved);
        QCOMPARE(f.status(), QStringLiteral("Save Game as Varko1"));
    }

    void notOpeningChangesNothing_data()
    {
        QTest::addColumn<int>("row"); // the browser's choice; -1 Exit, 0 no browser
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<int>("boxes");
        QTest::newRow("Exit") << -1 << "12" << 0;
        QTest::newRow("the empty last row") << 2 << "12" << 0;
        QTest::newRow("clock field holds no number") << 1 << "x7" << 1;
        QTest::newRow("record gone meanwhile") << 0 << "12" << 1;
    }
    void notOpeningChangesNothing()
    {
        QFETCH(int, row);
        QFETCH(QString, minutes);
        MainWindowFixture f;
        GameRecord g = alpha();
        g.WhiteMinutes = minutes;
        appendGame(g);
        f.w().STB1->setPanelText(3, QStringLiteral("as it was"));
        if (row == 0) {
            // The browser offered a name that another copy's archive no longer holds.
            Module1.SelectedGame = QStringLiteral("Ghost");
            QVERIFY(!f.w().Carica_Game());
        } else {
            openGame(f, row);
        }
        QTEST(int(TestSupport::boxes().shown.size()), "boxes");
        QVERIFY(TestSupport::desktop().calls.isEmpty() && f.idle());
        QCOMPARE(f.status() + f.clocks(), QStringLiteral("as it was00:00:00 00:00:00 00:00:00"));
    }

    // A journal left beside an archive that does not match it is set aside by
    // whichever command opens the archive first, and that command says so
    // once; the command itself goes on as usual.
    void journalSetAsideIsToldOnce_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("after"); // the status line, or the clocks of a restored game
        QTest::newRow("Save") << "Save"
                              << "Save Game as Varko1";
        QTest::newRow("Open, the browser") << "Open"
                                           << "";
        QTest::newRow("restoring") << "Restore"
                                   << "00:12:07 00:09:41 00:21:48";
    }
    void journalSetAsideIsToldOnce()
    {
        QFETCH(QString, command);
        QFETCH(QString, after);
        MainWindowFixture f;
        appendGame(alpha());
        // The journal of a save into an archive far longer than this one.
        const QString journal = Module1.ArchivePath + QStringLiteral("-journal");
        QFile file(journal);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(Journal(1 << 16).encode()) > 0);
        file.close();
        for (int time = 0; time < 2; ++time) {
            Module1.SelectedGame = QStringLiteral("Alpha"); // as the browser hands it over
            if (command == QStringLiteral("Restore"))
                QVERIFY(f.w().Carica_Game());
            else if (command == QStringLiteral("Open"))
                openGame(f, -1);
            else
                f.clickToolbar(command);
        }
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        const QString told = TestSupport::boxes().shown.at(0).prompt;
        QVERIFY2(told.contains(Module1.ArchivePath) && told.contains(journal + QStringLiteral(".stale")),
                 qPrintable(told));
        QCOMPARE(command == QStringLiteral("Restore") ? f.clocks() : f.status(), after);
        QVERIFY(QFile::exists(journal + QStringLiteral(".stale")) && !QFile::exists(journal));
    }

    // A restored player with no minutes left is over time at his clock's next
    // full minute, never showing minutes below zero.
    void restoredPlayerWithoutMinutesEndsAtHisNextMinute_data()
    {
        QTest::addColumn<QString>("left");
        QTest::newRow("none left") << "00 ";
        QTest::newRow("saved below zero") << "-2 ";
    }
    void restoredPlayerWithoutMinutesEndsAtHisNextMinute()
    {
        QFETCH(QString, left);
        MainWindowFixture f;
        GameRecord g = alpha();
        g.WhiteLeft = left;
        appendGame(g);
        openGame(f, 1);
        QVERIFY(!f.w().lblLimitWhite->text().contains(u'-'));
        f.play(52000); // White's clock from 00:12:07 to 00:12:59
        QVERIFY(TestSupport::boxes().shown.isEmpty());
        f.play(1000);
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QCOMPARE(f.w().lblLimitWhite->text(), QStringLiteral(" 0"));
    }
};

VARKO_TEST_MAIN(TestSavedGames)
#include "test_savedgames.moc"
