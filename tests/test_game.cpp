#include "tests/common/MainWindowFixture.h"
#include "ui/HelpViewer.h"
#include "ui/StatusBarControl.h"

#include <QKeyEvent>

// Playing games through the real window: start, hand-over, pause, stop,
// the total clock and the lamp and status animation.
class TestGame : public QObject {
    Q_OBJECT
    using S = MainWindowFixture::Settings;

private slots:
    void startShowsWhitesTurnAndLocksTheToolbar()
    {
        MainWindowFixture f;
        f.start(
            {QStringLiteral("Anna"), QStringLiteral("Boris"), QStringLiteral("45"), QStringLiteral("Blitz")});
        frmMain &w = f.w();
        QCOMPARE(w.Frame2->title() + w.lblLimitBlack->text(), QStringLiteral("Boris 45"));
        QVERIFY(f.whiteToMove());
        // Start, Open and Options locked; the rest usable.
        for (int entry : {1, 3, 7})
            QVERIFY(!w.Toolbar1->Enabled(entry));
        for (int entry : {2, 4, 5, 8, 10, 11})
            QVERIFY(w.Toolbar1->Enabled(entry));
        f.play(61000);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:01:01"));
        QCOMPARE(f.blackClock(), QStringLiteral("00:00:00"));
        QCOMPARE(f.totalClock(), QStringLiteral("00:01:01"));
    }

    void settingsClosedByTheCloseBoxStillStart()
    {
        MainWindowFixture f;
        TestSupport::scriptDialogs([](QDialog &dialog) { dialog.close(); });
        f.clickToolbar(QStringLiteral("Start"));
        QVERIFY(f.w().bRunning);
        QCOMPARE(f.w().lblLimitWhite->text(), QStringLiteral(" 30"));
        QCOMPARE(f.w().Frame1->title(), QString()); // no names were ever given
    }

    // Space and the push-buttons report the minutes of the move just finished,
    // hours included.
    void movesAreReported()
    {
        MainWindowFixture f;
        f.start({S().white, S().black, QStringLiteral("240"), QString()});
        frmMain &w = f.w();
        w.Minuti = w.MoveMarkWhite = 55;
        f.play(8 * 60000);
        f.key(' ');
        QCOMPARE(f.status(), QStringLiteral("White player spend  8 Minutes for this move."));
        QVERIFY(f.blackToMove());
        w.MinutiG = 5;
        w.MoveMarkBlack = 2;
        f.key(' ');
        QCOMPARE(f.status(), QStringLiteral("Black player spend  3 Minutes for this move."));
        QVERIFY(f.whiteToMove());
        w.show();
        w.MinutiG = 7;
        QTest::mouseClick(w.iBUnPress, Qt::LeftButton);
        QCOMPARE(f.status(), QStringLiteral("Black player spend  2 Minutes for this move."));
        QVERIFY(f.blackToMove());
        QTest::mouseClick(w.IWUnpress, Qt::LeftButton);
        QVERIFY(f.whiteToMove());
        QCOMPARE(f.status(), QStringLiteral("White player spend  0 Minutes for this move."));
    }

    void handOverKeepsEachPlayersPartSeconds()
    {
        // 0.7 s of White, then Black, then White again: White's next second
        // completes 0.3 s into his turn.
        MainWindowFixture f;
        f.start();
        TestSupport::clock().advanceInSteps(700, 100);
        f.key(' ');
        f.play(2000);
        f.key(' ');
        TestSupport::clock().advanceInSteps(300, 100);
        QCOMPARE(f.whiteClock() + f.blackClock() + f.totalClock(),
                 QStringLiteral("00:00:0100:00:0200:00:03"));
    }

    void spaceBeforeAnyGameShowsWhitesTurnOnly()
    {
        MainWindowFixture f;
        f.key(' ');
        QVERIFY(f.whiteToMove());
        f.play(2700);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:00"));
        // The timer left running keeps no phase: the game's first second is whole.
        f.start();
        TestSupport::clock().advanceInSteps(999, 1);
        QCOMPARE(f.whiteClock() + f.totalClock(), QStringLiteral("00:00:0000:00:00"));
        TestSupport::clock().advanceMs(1);
        QCOMPARE(f.whiteClock() + f.totalClock(), QStringLiteral("00:00:0100:00:01"));
    }

    // One press, one action: a held key's auto-repeated presses do nothing.
    void heldKeyActsOnce()
    {
        MainWindowFixture f;
        f.start();
        const auto hold = [&f](Qt::Key key, const QString &text) {
            for (bool repeated : {false, true, true, true}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, repeated);
                QApplication::sendEvent(f.window.get(), &press);
            }
        };
        hold(Qt::Key_Space, QStringLiteral(" "));
        QVERIFY(f.blackToMove());
        hold(Qt::Key_Space, QStringLiteral(" "));
        QVERIFY(f.whiteToMove());
        hold(Qt::Key_P, QStringLiteral("p"));
        QVERIFY(f.w().bPaused);
        hold(Qt::Key_P, QStringLiteral("p"));
        QVERIFY(!f.w().bPaused);
        hold(Qt::Key_S, QStringLiteral("s"));
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
    }

    // What the keys do, by what a user sees afterwards.
    void shortcutsReachTheirCommandsOnly_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, bool running, QKeyCombination keys, const char *outcome) {
            QTest::newRow(name) << running << QKeySequence(keys) << QString::fromLatin1(outcome);
        };
        row("Start", false, Qt::CTRL | Qt::Key_N, "frmSet, White to move");
        row("Options", false, Qt::CTRL | Qt::Key_T, "frmSet, White to move");
        row("Open", false, Qt::CTRL | Qt::Key_O, "frmGame");
        row("Save", false, Qt::CTRL | Qt::Key_S, "Save Game as Varko1");
        row("Exit", false, Qt::CTRL | Qt::Key_Q, "closed");
        row("Info", false, Qt::Key_F1, "help");
        // Start, Options and Open are locked while a game runs.
        row("Start locked", true, Qt::CTRL | Qt::Key_N, "White to move");
        row("Options locked", true, Qt::CTRL | Qt::Key_T, "White to move");
        row("Open locked", true, Qt::CTRL | Qt::Key_O, "White to move");
        row("Save running", true, Qt::CTRL | Qt::Key_S, "White to move, Save Game as Varko1");
        // With Ctrl or Alt held the game keys neither hand over, pause nor stop.
        row("Ctrl+space", true, Qt::CTRL | Qt::Key_Space, "White to move");
        row("Ctrl+p", true, Qt::CTRL | Qt::Key_P, "White to move");
        row("Alt+s", true, Qt::ALT | Qt::Key_S, "White to move");
        row("Alt+space", true, Qt::ALT | Qt::Key_Space, "White to move");
        row("x", true, Qt::Key_X, "White to move");
    }
    void shortcutsReachTheirCommandsOnly()
    {
        QFETCH(bool, running);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, outcome);
        MainWindowFixture f;
        if (running)
            f.start();
        f.w().STB1->setPanelText(3, QString());
        QStringList seen;
        MainWindowFixture::answerSettings(S(), &seen);
        f.press(keys);
        if (!f.w().isVisible())
            seen << QStringLiteral("closed");
        if (Help::openViewer() && Help::openViewer()->isVisible())
            seen << QStringLiteral("help");
        if (f.whiteToMove() && f.w().bRunning && !f.w().bPaused)
            seen << QStringLiteral("White to move");
        if (!f.status().isEmpty())
            seen << f.status();
        QCOMPARE(seen.join(QStringLiteral(", ")), outcome);
        QVERIFY(TestSupport::boxes().shown.isEmpty());
        if (Help::openViewer())
            Help::openViewer()->close();
    }

    void pauseAndResume_data()
    {
        QTest::addColumn<bool>("blackMoving");
        QTest::newRow("White to move") << false;
        QTest::newRow("Black to move") << true;
    }
    void pauseAndResume()
    {
        QFETCH(bool, blackMoving);
        MainWindowFixture f;
        f.start();
        if (blackMoving)
            f.key(' ');
        f.play(3000);
        const QString white = f.whiteClock(), black = f.blackClock(), total = f.totalClock();
        f.key('p');
        const int lampPhase = f.w().LampPhase;
        // While paused: the space bar, s and the push-buttons do nothing.
        f.key(' ');
        f.key('s');
        f.w().iBUnPress_Click();
        f.w().IWUnpress_Click();
        QVERIFY(TestSupport::boxes().shown.isEmpty());
        f.play(10000);
        QCOMPARE(f.whiteClock(), white);
        QCOMPARE(f.blackClock(), black);
        QCOMPARE(f.totalClock(), total);
        QCOMPARE(f.w().LampPhase, lampPhase); // the animation is frozen too
        f.key('p');
        QVERIFY(blackMoving ? f.blackToMove() : f.whiteToMove());
        f.play(1000);
        QCOMPARE(f.totalClock(), QStringLiteral("00:00:04"));
    }

    void pauseWithoutAGameThenStartRunsOnlyWhitesClock_data()
    {
        QTest::addColumn<int>("presses");
        QTest::newRow("paused") << 1;
        QTest::newRow("paused and resumed") << 2; // resumes "2": Black's timer, idle
    }
    void pauseWithoutAGameThenStartRunsOnlyWhitesClock()
    {
        QFETCH(int, presses);
        MainWindowFixture f;
        for (int i = 0; i < presses; ++i)
            f.key('p');
        f.start();
        QVERIFY(f.whiteToMove());
        f.play(5000);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:05"));
        QCOMPARE(f.blackClock(), QStringLiteral("00:00:00"));
        // The start ended any pause: the keys work, and p pauses Black's turn.
        f.key(' ');
        f.key('p');
        QCOMPARE(f.w().PausedTurn, QStringLiteral("2"));
        f.key('p');
        QVERIFY(f.blackToMove());
    }

    void stopAnsweredNoChangesNothing()
    {
        MainWindowFixture f;
        f.start();
        f.play(2500);
        f.key(' ');
        const QString status = f.status();
        const QList<int> before = f.intervals();
        TestSupport::boxes().answers = {MsgBox::Answer::No};
        f.key('s');
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QCOMPARE(f.intervals(), before);
        QCOMPARE(f.status(), status);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:02"));
        QVERIFY(!f.w().Toolbar1->Enabled(1));
    }

    void stopAnsweredYesZeroesTheClocks()
    {
        MainWindowFixture f;
        f.start({S().white, S().black, QStringLiteral("20"), QString()});
        f.play(65000);
        f.key(' ');
        f.play(1500);
        TestSupport::boxes().answers = {MsgBox::Answer::Yes};
        f.clickToolbar(QStringLiteral("Stop"));
        frmMain &w = f.w();
        QCOMPARE(f.whiteClock() + f.blackClock() + f.totalClock(),
                 QStringLiteral("00:00:0000:00:0000:00:00"));
        QCOMPARE(f.intervals(), QList<int>({0, 0, 0, 0}));
        for (ImageControl *lamp : {w.FaroSX, w.FaroAC, w.FaroDX, w.FaroSp})
            QVERIFY(lamp->isHidden());
        QVERIFY(w.Toolbar1->Enabled(1));
        // A new game starts from exactly zero: no part-second of the old one.
        f.start();
        TestSupport::clock().advanceInSteps(999, 1);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:00"));
        TestSupport::clock().advanceMs(1);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:01"));
        f.play(60000);
        f.key(' ');
        QCOMPARE(f.status(), QStringLiteral("White player spend  1 Minutes for this move."));
    }

    void stopWhilePausedEndsThePause()
    {
        MainWindowFixture f;
        f.start();
        f.key('p');
        TestSupport::boxes().answers = {MsgBox::Answer::Yes};
        f.clickToolbar(QStringLiteral("Stop"));
        QVERIFY(!f.w().bPaused);
    }

    // Script: S starts, y stops by the toolbar answering Yes, X exits (the
    // window closes and goes away); other letters are keys.
    void screenStaysAwakeWhileAGameRuns_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("calls");
        const QStringList held{QStringLiteral("inhibit")};
        const QStringList heldAndFreed{QStringLiteral("inhibit"), QStringLiteral("release")};
        QTest::newRow("start, hand-overs") << "S  " << held;
        QTest::newRow("pause") << "Sp" << heldAndFreed;
        QTest::newRow("resume") << "Spp" << heldAndFreed + held;
        QTest::newRow("stop answered No") << "Ss" << held;
        QTest::newRow("stop answered Yes, next game") << "S yS" << heldAndFreed + held;
        QTest::newRow("stop while paused") << "Spy" << heldAndFreed;
        QTest::newRow("pause and resume without a game") << "pp" << QStringList();
        QTest::newRow("exit") << "S X" << heldAndFreed;
        QTest::newRow("exit while paused") << "SpX" << heldAndFreed;
    }
    void screenStaysAwakeWhileAGameRuns()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, calls);
        MainWindowFixture f;
        for (const QChar c : script) {
            if (c == u'S') {
                f.start();
            } else if (c == u'y') {
                TestSupport::boxes().answers = {MsgBox::Answer::Yes};
                f.clickToolbar(QStringLiteral("Stop"));
            } else if (c == u'X') {
                f.clickToolbar(QStringLiteral("Exit"));
                f.window.reset();
            } else {
                f.key(char(c.unicode()));
            }
            f.play(1000);
        }
        QCOMPARE(TestSupport::desktop().calls, calls);
    }

    void lampsAndStatusIconStepTogether()
    {
        MainWindowFixture f;
        f.start();
        frmMain &w = f.w();
        w.STB1->setPanelText(3, QStringLiteral("note"));
        const QList<ImageControl *> order{w.FaroSX, w.FaroAC, w.FaroDX, w.FaroSp};
        for (int tick = 1; tick <= 8; ++tick) {
            TestSupport::clock().advanceMs(500);
            ImageControl *lit = order.at((tick - 1) % 4);
            for (ImageControl *lamp : order)
                QCOMPARE(lamp->isHidden(), lamp != lit);
            QCOMPARE(w.STB1->panelPicture(3), QStringLiteral(":/status/clock_%1.svg").arg(tick));
            QCOMPARE(f.status(), tick < 8 ? QStringLiteral("note") : QString());
        }
    }
};

VARKO_TEST_MAIN(TestGame)
#include "test_game.moc"
