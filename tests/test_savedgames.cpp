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
        QCOMPARE(Module1.GameName, QStringLiteral("Varko1"));
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
        QCOMPARE(f.whiteClock() + f.blackClock() + f.totalClock(),
                 QStringLiteral("00:12:0700:09:4100:21:48"));
        QCOMPARE(w.Frame2->title() + w.lblLimitWhite->text(), QStringLiteral("Boris18 "));
        QCOMPARE(w.LimitBlack, 21);
        QCOMPARE(TestSupport::desktop().calls, QStringList{QStringLiteral("inhibit")});
        QVERIFY(f.whiteToMove()); // only White's clock runs
        for (int entry : {1, 3, 7})
            QVERIFY(!w.Toolbar1->Enabled(entry));
        f.play(1000);
        QCOMPARE(f.whiteClock() + f.blackClock(), QStringLiteral("00:12:0800:09:41"));
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
        QCOMPARE(f.intervals(), QList<int>({0, 0, 0, 0}));
        QVERIFY(f.w().Toolbar1->Enabled(1));
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
        QVERIFY(TestSupport::desktop().calls.isEmpty());
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:00"));
        QCOMPARE(f.intervals(), QList<int>({0, 0, 0, 0}));
        QVERIFY(f.w().Toolbar1->Enabled(1));
    }

    // Save after Open replaces the opened game's record, whatever game the
    // settings dialog named last.
    void savingAReopenedGameReplacesItsRecord()
    {
        MainWindowFixture f;
        appendGame(alpha());
        f.start(
            {QStringLiteral("Carl"), QStringLiteral("Dora"), QStringLiteral("30"), QStringLiteral("Beta")});
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
        QCOMPARE(label->text(), QStringLiteral(" 0"));
    }
};

VARKO_TEST_MAIN(TestSavedGames)
#include "test_savedgames.moc"
