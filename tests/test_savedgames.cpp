#include "archive/GameRecord.h"
#include "tests/common/MainWindowFixture.h"
#include "ui/FlexGrid.h"

#include <QDir>
#include <QFile>

// Saving the game on the clocks and reopening saved games through the
// toolbar, the browser and the archive file.
class TestSavedGames : public QObject {
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
    // Answers the browser by choosing grid row `row`, or Exit when row < 0;
    // `meanwhile` runs while the browser is open.
    static void answerBrowser(int row, std::function<void()> meanwhile = {})
    {
        TestSupport::scriptDialogs([row, meanwhile](QDialog &dialog) {
            if (meanwhile)
                meanwhile();
            if (row < 0) {
                dialog.findChild<QPushButton *>(QStringLiteral("cmdExit"))->click();
                return;
            }
            dialog.findChild<FlexGrid *>(QStringLiteral("dgGame"))->setRow(row);
            dialog.findChild<QPushButton *>(QStringLiteral("cmdOpen"))->click();
        });
    }
    static GameRecord alpha()
    {
        return GameRecord::decode(QByteArray("Alpha          ") + QByteArray("Anna").leftJustified(30) +
                                  QByteArray("Boris").leftJustified(30) + "001207000941002148" +
                                  "30 18 21 ");
    }

private slots:
    void savingAnUnnamedGameGivesItANumberedName()
    {
        MainWindowFixture f;
        f.start({QStringLiteral("Anna"), QStringLiteral("Boris"), QStringLiteral("30"), QString()});
        f.play(61000);
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(f.status(), QStringLiteral("Save Game as Varko1"));
        QCOMPARE(Module1.GameName, QStringLiteral("Varko1"));
        QCOMPARE(archiveBytes().size(), 204);
        QCOMPARE(record(1).Limit, QStringLiteral("1  "));
        const GameRecord saved = record(2);
        QCOMPARE(saved.RecordName, QStringLiteral("Varko1         "));
        QCOMPARE(saved.WhitePlayer.trimmed(), QStringLiteral("Anna"));
        QCOMPARE(saved.WhiteMinutes + saved.WhiteSeconds, QStringLiteral("0101"));
        QCOMPARE(saved.TotalSeconds, QStringLiteral("01"));
        QCOMPARE(saved.Limit, QStringLiteral("30 "));
        QCOMPARE(saved.WhiteLeft, QStringLiteral("29 "));
        QCOMPARE(saved.BlackLeft, QStringLiteral("30 "));
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
        const GameRecord saved = record(2);
        QCOMPARE(saved.WhitePlayer.trimmed(), QStringLiteral("Frame1"));
        QCOMPARE(saved.BlackPlayer.trimmed(), QStringLiteral("Frame2"));
        QCOMPARE(saved.WhiteHours + saved.BlackSeconds + saved.TotalMinutes, QStringLiteral("000000"));
        QCOMPARE(saved.WhiteLeft, QStringLiteral("00 "));
        QCOMPARE(saved.Limit, QStringLiteral("30 "));
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
        QCOMPARE(f.status(), QStringLiteral("earlier"));
        QCOMPARE(Module1.GameName, QString());
        QVERIFY(f.w().bRunning);
    }

    void openingContinuesTheGameWithWhiteToMove()
    {
        MainWindowFixture f;
        appendGame(alpha());
        f.key(' ');
        f.key(' '); // Black to move before the game is opened
        f.key('p'); // and a pause, which the opening ends
        f.w().STB1->setPanelText(3, QString());
        answerBrowser(1);
        f.clickToolbar(QStringLiteral("Open"));
        frmMain &w = f.w();
        QCOMPARE(f.status(), QStringLiteral("Game Alpha Opened"));
        QCOMPARE(f.whiteClock(), QStringLiteral("00:12:07"));
        QCOMPARE(f.blackClock(), QStringLiteral("00:09:41"));
        QCOMPARE(f.totalClock(), QStringLiteral("00:21:48"));
        QCOMPARE(w.Frame1->title(), QStringLiteral("Anna"));
        QCOMPARE(w.Frame2->title(), QStringLiteral("Boris"));
        QCOMPARE(w.lblLimitWhite->text(), QStringLiteral("18 "));
        QCOMPARE(Module1.TimeLimit, 30);
        QCOMPARE(w.LimitGame, 30);
        QCOMPARE(w.LimitWhite, 18);
        QCOMPARE(w.LimitBlack, 21);
        QVERIFY(w.bRunning);
        QCOMPARE(TestSupport::desktop().calls, QStringList{QStringLiteral("inhibit")});
        QVERIFY(f.whiteToMove()); // only White's clock runs
        for (int entry : {1, 3, 7})
            QVERIFY(!w.Toolbar1->Enabled(entry));
        f.play(1000);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:12:08"));
        QCOMPARE(f.blackClock(), QStringLiteral("00:09:41"));
        // The restored clocks are the marks of the next reports.
        f.key(' ');
        QCOMPARE(f.status(), QStringLiteral("White player spend  0 Minutes for this move."));
    }

    void leavingTheBrowserLocksNothing_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("Exit") << -1;
        QTest::newRow("the empty last row") << 2;
    }
    void leavingTheBrowserLocksNothing()
    {
        QFETCH(int, row);
        MainWindowFixture f;
        appendGame(alpha());
        f.w().STB1->setPanelText(3, QStringLiteral("as it was"));
        answerBrowser(row);
        f.clickToolbar(QStringLiteral("Open"));
        QCOMPARE(f.status(), QStringLiteral("as it was"));
        QVERIFY(!f.w().bRunning);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:00"));
        for (int entry : {1, 3, 7})
            QVERIFY(f.w().Toolbar1->Enabled(entry));
        QVERIFY(TestSupport::boxes().shown.isEmpty());
    }

    void damagedOrVanishedGameIsRefused_data()
    {
        QTest::addColumn<bool>("vanish");
        QTest::newRow("record gone meanwhile") << true;
        QTest::newRow("clock field holds no number") << false;
    }
    void damagedOrVanishedGameIsRefused()
    {
        QFETCH(bool, vanish);
        MainWindowFixture f;
        GameRecord g = alpha();
        if (!vanish)
            g.WhiteMinutes = QStringLiteral("x7");
        appendGame(g);
        if (vanish) {
            // The browser offered a name that another copy's archive no longer holds.
            Module1.SelectedGame = QStringLiteral("Ghost");
            QVERIFY(!f.w().Carica_Game());
        } else {
            answerBrowser(1);
            f.clickToolbar(QStringLiteral("Open"));
        }
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QVERIFY(!TestSupport::boxes().shown.at(0).prompt.isEmpty());
        QVERIFY(!f.w().bRunning);
        QVERIFY(TestSupport::desktop().calls.isEmpty());
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:00"));
        QCOMPARE(f.w().Frame1->title(), QStringLiteral("Frame1"));
        QCOMPARE(f.intervals(), QList<int>({0, 0, 0, 0}));
        QVERIFY(f.w().Toolbar1->Enabled(1));
        QCOMPARE(f.status(), QString());
    }

    // Save after Open replaces the opened game's record, whatever game the
    // settings dialog named last.
    void savingAReopenedGameReplacesItsRecord()
    {
        MainWindowFixture f;
        appendGame(alpha());
        f.start({QStringLiteral("Carl"), QStringLiteral("Dora"), QStringLiteral("30"), QStringLiteral("Beta")});
        f.clickToolbar(QStringLiteral("Save"));
        const QByteArray beta = record(3).encode();
        TestSupport::boxes().answers = {MsgBox::Answer::Yes, MsgBox::Answer::Yes};
        f.key('s');
        answerBrowser(1);
        f.clickToolbar(QStringLiteral("Open"));
        f.play(3000);
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(f.status(), QStringLiteral("Save Game as Alpha"));
        QCOMPARE(archiveBytes().size(), 3 * GameRecord::Size);
        QCOMPARE(record(2).WhiteSeconds, QStringLiteral("10"));
        QCOMPARE(record(3).encode(), beta);
        // Once stopped, the game's record is safe from a save of the zeroed clocks.
        const QByteArray alphaSaved = record(2).encode();
        f.key('s');
        f.clickToolbar(QStringLiteral("Save"));
        QCOMPARE(record(2).encode(), alphaSaved);
        QCOMPARE(f.status(), QStringLiteral("Save Game as Varko1"));
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
        answerBrowser(1);
        f.clickToolbar(QStringLiteral("Open"));
        QLabel *label = f.w().lblLimitWhite;
        QVERIFY(!label->text().contains(u'-'));
        f.play(52000); // White's clock from 00:12:07 to 00:12:59
        QVERIFY(TestSupport::boxes().shown.isEmpty());
        f.play(1000);
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QCOMPARE(TestSupport::boxes().shown.at(0).prompt, QStringLiteral("Player One is over time now!"));
        QCOMPARE(label->text(), QStringLiteral(" 0"));
    }
};

VARKO_TEST_MAIN(TestSavedGames)
#include "test_savedgames.moc"
