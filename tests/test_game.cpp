#include "tests/common/MainWindowFixture.h"
#include "ui/FaceZoom.h"
#include "ui/HelpViewer.h"
#include "ui/ProgressControl.h"
#include "ui/SvgPixmap.h"
#include "ui/WallClock.h"
#include "ui/ZoomSteps.h"

#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QSvgRenderer>

// Playing games through the real window: start-up, hand-over, pause, stop,
// over time, the keys and the lamp and status animation.
class TestGame : public TestSupport::TestCase {
    Q_OBJECT
    using S = MainWindowFixture::Settings;

    // Whether the widget paints any coloured pixel (a bar's chunk; its groove is grey).
    static bool drawsColour(QWidget *widget)
    {
        const QImage image = widget->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).saturation() > 60)
                    return true;
        return false;
    }

    // What a picture control paints, without the window's background behind it.
    static QImage painted(QWidget *widget)
    {
        QImage image(widget->size() * widget->devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(widget->devicePixelRatioF());
        image.fill(Qt::transparent);
        widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    // Each control's place, font and frame lines, at `times` their size.
    static QHash<QWidget *, QString> looks(const frmMain &w, int times = 1)
    {
        QHash<QWidget *, QString> seen;
        for (QWidget *c : w.centralWidget()->findChildren<QWidget *>()) {
            if (c->isWindow())
                continue;
            const QRect r = c->geometry();
            const auto *frame = qobject_cast<const QFrame *>(c);
            seen.insert(c, QStringLiteral("%1 %2,%3 %4x%5 %6pt %7px")
                               .arg(c->objectName() + QLatin1String(c->metaObject()->className()))
                               .arg(r.x() * times)
                               .arg(r.y() * times)
                               .arg(r.width() * times)
                               .arg(r.height() * times)
                               .arg(c->font().pointSizeF() * times)
                               .arg(frame ? frame->lineWidth() * times : 0));
        }
        return seen;
    }
    static void keys(frmMain &w, const QList<QKeyCombination> &combinations)
    {
        for (const QKeyCombination k : combinations)
            QTest::keyClick(&w, k.key(), k.keyboardModifiers());
    }
    static qreal zoom(const frmMain &w) { return FaceZoom::of(&w)->factor(); }

private slots:
    // Idle: nothing counts, and the archive is created with its id record.
    // The settings dialog closed by its close box still starts a game, with
    // the default limit: White's turn, the toolbar locked, his limit counting
    // down by minutes with the bar one tick behind.
    void startsIdleThenCountsDown()
    {
        struct Fixed final : WallClock::Source {
            QDateTime now() const override { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 7)); }
        };
        Outside<WallClock::Source>::emplace<Fixed>();
        MainWindowFixture f;
        frmMain &w = f.w();
        QCOMPARE(f.panel("STB1_Panel2"), QStringLiteral("09:05:07")); // the time of day to the second
        QVERIFY(!drawsColour(w.pg2)); // an empty bar draws no sliver of its chunk
        QVERIFY(f.idle());
        QCOMPARE(QFile(Module1.ArchivePath).size(), 102);
        // The space bar must reach the window, never a focused button.
        for (QWidget *child : w.findChildren<QWidget *>())
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
        TestSupport::scriptDialogs([](QDialog &dialog) { dialog.close(); });
        f.clickToolbar(QStringLiteral("Start"));
        QVERIFY(f.whiteToMove());
        QCOMPARE(f.locked(), QStringLiteral("1 3 7"));
        f.play(60000);
        QCOMPARE(f.clocks(), QStringLiteral("00:01:00 00:00:00 00:01:00"));
        // No names were given.
        QCOMPARE(w.Frame1->title() + w.lblLimitWhite->text() + w.lblLimitBlack->text(),
                 QStringLiteral(" 29 30"));
        QCOMPARE(w.pg2->value(), 30);
        QVERIFY(drawsColour(w.pg2));
        f.play(1000);
        QCOMPARE(w.pg2->value(), 29);
    }

    void clockRollsOver_data()
    {
        QTest::addColumn<bool>("white");
        QTest::addColumn<int>("counted"); // seconds on the clock before the tick
        QTest::addColumn<QString>("shown");
        QTest::newRow("White, second") << true << 6 << "00:00:07";
        QTest::newRow("White, hour") << true << 3599 << "01:00:00";
        QTest::newRow("Black, minute") << false << 299 << "00:05:00";
        QTest::newRow("Black, past 99 hours") << false << 359999 << "100:00:00";
    }
    void clockRollsOver()
    {
        QFETCH(bool, white);
        QFETCH(int, counted);
        MainWindowFixture f;
        frmMain &w = f.w();
        w.bRunning = true;
        Module1.TimeLimit = w.LimitWhite = w.LimitBlack = 200;
        (white ? w.Secondi : w.SecondiG) = counted % 60;
        (white ? w.Minuti : w.MinutiG) = counted / 60 % 60;
        (white ? w.Ore : w.OreG) = counted / 3600;
        // Only the labels of the units that change are rewritten on a tick.
        (white ? w.LMinuti : w.LMinutiG)->setText(QString::number(counted / 60 % 60).rightJustified(2, u'0'));
        white ? w.Timer1_Timer() : w.Timer2_Timer();
        QTEST(f.clocks().split(u' ').at(white ? 0 : 1), "shown");
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
        // A stop drops the marks: the next game's first report counts from its start.
        TestSupport::boxes().answers = {MsgBox::Answer::Yes};
        f.key('s');
        f.start();
        f.play(60000);
        f.key(' ');
        QCOMPARE(f.status(), QStringLiteral("White player spend  1 Minutes for this move."));
    }

    // Space before any game shows White's turn only. The timer it leaves
    // running keeps no phase: the game's first second is whole. Within the
    // game each player keeps his part-seconds across hand-overs.
    void secondsAreWholeAndKeptPerPlayer()
    {
        MainWindowFixture f;
        f.key(' ');
        QVERIFY(f.whiteToMove());
        f.play(2700);
        QCOMPARE(f.clocks(), QStringLiteral("00:00:00 00:00:00 00:00:00"));
        f.start();
        TestSupport::clock().advanceInSteps(999, 1);
        QCOMPARE(f.clocks(), QStringLiteral("00:00:00 00:00:00 00:00:00"));
        TestSupport::clock().advanceMs(1);
        QCOMPARE(f.clocks(), QStringLiteral("00:00:01 00:00:00 00:00:01"));
        f.play(700);
        f.key(' ');
        f.play(2000);
        f.key(' ');
        f.play(300);
        QCOMPARE(f.clocks(), QStringLiteral("00:00:02 00:00:02 00:00:04"));
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
        // Locked while a game runs (which entries lock, the other tests show).
        row("Start locked", true, Qt::CTRL | Qt::Key_N, "White to move");
        // With Ctrl or Alt held the game keys neither hand over, pause nor stop.
        row("Ctrl+space", true, Qt::CTRL | Qt::Key_Space, "White to move");
        row("Alt+s", true, Qt::ALT | Qt::Key_S, "White to move");
    }
    void shortcutsReachTheirCommandsOnly()
    {
        QFETCH(bool, running);
        QFETCH(QKeySequence, keys);
        MainWindowFixture f;
        if (running)
            f.start();
        f.w().STB1->setPanelText(3, QString());
        QStringList seen;
        MainWindowFixture::answerSettings(S(), &seen);
        f.press(keys);
        if (!f.w().isVisible())
            seen << QStringLiteral("closed");
        HelpViewer *help = f.w().findChild<HelpViewer *>();
        if (help && help->isVisible())
            seen << QStringLiteral("help");
        if (f.whiteToMove() && f.w().bRunning && !f.w().bPaused)
            seen << QStringLiteral("White to move");
        if (!f.status().isEmpty())
            seen << f.status();
        QTEST(seen.join(QStringLiteral(", ")), "outcome");
        QVERIFY(TestSupport::boxes().shown.isEmpty());
        if (help)
            help->close();
    }

    void overTimeStopsEverythingOnce_data()
    {
        QTest::addColumn<bool>("white");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("clocks");
        QTest::newRow("White") << true << "Player One is over time now!"
                               << "00:01:00 00:00:00 00:01:00";
        QTest::newRow("Black") << false << "Player Two is over time now!"
                               << "00:00:00 00:01:00 00:01:00";
    }
    void overTimeStopsEverythingOnce()
    {
        QFETCH(bool, white);
        MainWindowFixture f;
        f.start({QStringLiteral("W"), QStringLiteral("B"), QStringLiteral("1"), QString()});
        if (!white)
            f.key(' ');
        QList<int> intervalsWhileOpen;
        QString clocksWhileOpen;
        TestSupport::boxes().whileOpen = [&] {
            intervalsWhileOpen = f.intervals();
            f.play(5000); // ticks go on while a message box is open
            clocksWhileOpen = f.clocks();
        };
        f.play(60000);
        f.play(120000);
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QTEST(TestSupport::boxes().shown.at(0).prompt, "message");
        QCOMPARE(intervalsWhileOpen, QList<int>({0, 0, 0, 0}));
        // The total's tick due at the moment of over time was counted.
        QTEST(clocksWhileOpen, "clocks");
        QTEST(f.clocks(), "clocks");
        QCOMPARE((white ? f.w().lblLimitWhite : f.w().lblLimitBlack)->text(), QStringLiteral(" 0"));
        // One alarm, and the screen may blank again from the message on.
        QCOMPARE(TestSupport::desktop().calls.join(u' '), QStringLiteral("inhibit release alarm"));
        QCOMPARE(f.locked(), QStringLiteral("1 3 7")); // until a confirmed stop
    }

    // Plays a script, a second after each step: S starts, y stops by the toolbar
    // answering Yes, X exits (the window goes away), w and b click White's
    // and Black's push-button; other letters are keys, each held so that it
    // repeats. Shows the clocks, the desktop's calls, the message boxes, the
    // lit lamp, the locked toolbar entries and whether a pause goes on.
    void scripts_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, const char *script, const char *outcome) {
            QTest::newRow(name) << QString::fromLatin1(script) << QString::fromLatin1(outcome);
        };
        row("start, hand-overs", "S  ",
            "00:00:02 00:00:01 00:00:03 | inhibit | 0 box(es) | lamp 2 | locked: 1 3 7");
        row("paused, nothing acts", "Sp sbwp",
            "00:00:02 00:00:00 00:00:02 | inhibit release inhibit | 0 box(es) | lamp 4 | locked: 1 3 7");
        row("Black paused and resumed", "S pp",
            "00:00:01 00:00:02 00:00:03 | inhibit release inhibit | 0 box(es) | lamp 2 | locked: 1 3 7");
        row("stop by a held s, answered No", "Ss",
            "00:00:02 00:00:00 00:00:02 | inhibit | 1 box(es) | lamp 4 | locked: 1 3 7");
        row("stop answered Yes", "S y",
            "00:00:00 00:00:00 00:00:00 | inhibit release | 1 box(es) | dark | locked: ");
        row("stop answered Yes, next game", "S yS",
            "00:00:01 00:00:00 00:00:01 | inhibit release inhibit | 1 box(es) | lamp 2 | locked: 1 3 7");
        row("stop ends a pause", "Spy",
            "00:00:00 00:00:00 00:00:00 | inhibit release | 1 box(es) | dark | locked: ");
        row("pause without a game", "pp", "00:00:00 00:00:00 00:00:00 |  | 0 box(es) | dark | locked: ");
        row("start ends a pause", "pS ",
            "00:00:01 00:00:01 00:00:02 | inhibit | 0 box(es) | lamp 4 | locked: 1 3 7");
        row("start stops Black's timer left by a resume", "ppS ",
            "00:00:01 00:00:01 00:00:02 | inhibit | 0 box(es) | lamp 4 | locked: 1 3 7");
        row("exit", "S X", "closed | inhibit release | 0 box(es)");
        row("exit while paused", "SpX", "closed | inhibit release | 0 box(es)");
    }
    void scripts()
    {
        QFETCH(QString, script);
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
            } else if (c == u'w' || c == u'b') {
                (c == u'w' ? f.w().IWUnpress_Click() : f.w().iBUnPress_Click());
            } else {
                for (bool repeated : {false, true, true}) {
                    QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, c, repeated);
                    QApplication::sendEvent(f.window.get(), &press);
                }
            }
            f.play(1000);
        }
        QStringList seen{f.window ? f.clocks() : QStringLiteral("closed"),
                         TestSupport::desktop().calls.join(u' '),
                         QStringLiteral("%1 box(es)").arg(TestSupport::boxes().shown.size())};
        if (f.window) {
            const QList<ImageControl *> lamps{f.w().FaroSX, f.w().FaroAC, f.w().FaroDX, f.w().FaroSp};
            int lit = 0;
            while (lit < lamps.size() && lamps[lit]->isHidden())
                ++lit;
            seen << (lit < lamps.size() ? QStringLiteral("lamp %1").arg(lit + 1) : QStringLiteral("dark"))
                 << QStringLiteral("locked: ") + f.locked();
            if (f.w().bPaused)
                seen << QStringLiteral("paused");
        }
        QTEST(seen.join(QStringLiteral(" | ")), "outcome");
    }

    // The steps, each as large as the room allows; from between two steps
    // (a full-screen factor) a step goes to the neighbouring one.
    void zoomStepsFitTheRoom_data()
    {
        QTest::addColumn<qreal>("current");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<qreal>("next");
        const QSize hd(1920, 1080), uhd(3840, 2160);
        QTest::newRow("up from 100%") << 1.0 << 1 << hd << 1.25;
        QTest::newRow("up from 200%") << 2.0 << 1 << hd << 2.5;
        QTest::newRow("300% is wider than the room") << 2.5 << 1 << hd << 2.5;
        QTest::newRow("room for 400%") << 3.0 << 1 << uhd << 4.0;
        QTest::newRow("400% is the top") << 4.0 << 1 << uhd << 4.0;
        QTest::newRow("no room for 125%") << 1.0 << 1 << QSize(800, 600) << 1.0;
        QTest::newRow("down from 400%") << 4.0 << -1 << uhd << 3.0;
        QTest::newRow("down to the largest that fits") << 4.0 << -1 << QSize(1280, 1024) << 1.5;
        QTest::newRow("100% is the bottom") << 1.0 << -1 << hd << 1.0;
        QTest::newRow("back to 100%") << 3.0 << 0 << uhd << 1.0;
        QTest::newRow("up from between steps") << 2.73 << 1 << uhd << 3.0;
        QTest::newRow("down from between steps") << 2.73 << -1 << uhd << 2.5;
    }
    void zoomStepsFitTheRoom()
    {
        QFETCH(qreal, current);
        QFETCH(int, direction);
        QFETCH(QSize, room);
        QTEST(ZoomSteps::next(current, direction, QSize(703, 325), room), "next");
    }

    // Full screen takes the largest factor at which the face fits: the face
    // touches two edges of the screen and passes none.
    void fullScreenFactorFitsTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<qreal>("factor");
        QTest::newRow("1920x1080: digits 2.7 times as high") << QSize(1920, 1080) << 1920.0 / 703;
        QTest::newRow("1280x1024") << QSize(1280, 1024) << 1280.0 / 703;
        QTest::newRow("portrait 1080x1920") << QSize(1080, 1920) << 1080.0 / 703;
        QTest::newRow("ultra-wide 3440x1440") << QSize(3440, 1440) << 1440.0 / 325;
        QTest::newRow("the face's own size") << QSize(703, 325) << 1.0;
    }
    void fullScreenFactorFitsTheScreen()
    {
        QFETCH(QSize, screen);
        const QSize face(703, 325);
        const qreal factor = ZoomSteps::fullScreen(face, screen);
        QTEST(factor, "factor");
        const QSize shown = ZoomSteps::scaled(face, factor);
        QVERIFY(shown.width() <= screen.width() && shown.height() <= screen.height());
        QVERIFY(shown.width() == screen.width() || shown.height() == screen.height());
    }

    // At 200% every control lies at twice its place, twice its size, with
    // twice its font and frame lines; back at 100% all is as it was.
    void zoomScalesTheFaceAsOne_data()
    {
        QTest::addColumn<QList<QKeyCombination>>("in");
        QTest::addColumn<QList<QKeyCombination>>("out");
        const auto thrice = [](QKeyCombination k) { return QList<QKeyCombination>{k, k, k}; };
        QTest::newRow("Ctrl+Plus, Ctrl+0")
            << thrice(Qt::CTRL | Qt::Key_Plus) << QList<QKeyCombination>{Qt::CTRL | Qt::Key_0};
        QTest::newRow("Ctrl+Shift+=, Ctrl+Minus")
            << thrice(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Plus)
            << thrice(Qt::CTRL | Qt::Key_Minus);
        QTest::newRow("Ctrl+=, keypad") << thrice(Qt::CTRL | Qt::Key_Equal)
                                        << thrice(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus);
        QTest::newRow("keypad plus, Ctrl+0")
            << thrice(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus)
            << QList<QKeyCombination>{Qt::CTRL | Qt::Key_0};
    }
    void zoomScalesTheFaceAsOne()
    {
        QFETCH(QList<QKeyCombination>, in);
        QFETCH(QList<QKeyCombination>, out);
        MainWindowFixture f;
        frmMain &w = f.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QHash<QWidget *, QString> before = looks(w), doubled = looks(w, 2);
        QCOMPARE(w.size(), QSize(703, 325));
        keys(w, in);
        QCoreApplication::processEvents(); // the layouts' turn, had they one
        QCOMPARE(w.size(), QSize(1406, 650));
        const QHash<QWidget *, QString> zoomed = looks(w);
        QCOMPARE(zoomed.size(), 62);
        for (QWidget *c : zoomed.keys())
            QCOMPARE(zoomed.value(c), doubled.value(c));
        keys(w, out);
        QCOMPARE(w.size(), QSize(703, 325));
        QCOMPARE(looks(w), before);
    }

    // Pictures are drawn from their SVG at the size they are shown at.
    void picturesAreDrawnAtTheirZoomedSize()
    {
        MainWindowFixture f;
        frmMain &w = f.w();
        w.show();
        keys(w, QList<QKeyCombination>(4, Qt::CTRL | Qt::Key_Plus));
        QCOMPARE(zoom(w), 2.5);
        ImageControl *queen = w.Image[0];
        QCOMPARE(queen->size(), QSize(88, 88)); // 35 pixels at 250%
        const QImage shown = painted(queen);
        QCOMPARE(shown, SvgPixmap::render(QStringLiteral(":/pieces/white_queen.svg"), QSize(88, 88),
                                          queen->devicePixelRatioF())
                            .toImage());
        // Not the 100% picture blown up.
        const QImage blownUp = SvgPixmap::render(QStringLiteral(":/pieces/white_queen.svg"), QSize(35, 35), 1)
                                   .toImage()
                                   .scaled(88, 88);
        QVERIFY(shown.convertToFormat(blownUp.format()) != blownUp);
    }

    // Zoom and full screen in the middle of a game: no tick lost, no
    // hand-over, the locks kept; in full screen the face is centred on the
    // window's background and the game keys go on working.
    void zoomLeavesTheGameAlone()
    {
        MainWindowFixture f;
        f.start();
        frmMain &w = f.w();
        w.show();
        const QList<QKeyCombination> steps{
            Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal, Qt::Key_F11, Qt::CTRL | Qt::Key_Minus,
            Qt::Key_Escape,          Qt::CTRL | Qt::Key_0,     Qt::Key_F11};
        for (const QKeyCombination k : steps) {
            f.play(500);
            keys(w, {k});
            f.play(500);
        }
        QCOMPARE(f.clocks(), QStringLiteral("00:00:07 00:00:00 00:00:07"));
        QVERIFY(f.whiteToMove());
        QCOMPARE(f.locked(), QStringLiteral("1 3 7"));
        QVERIFY(!w.bPaused);
        QVERIFY(w.isFullScreen());
        QCOMPARE(w.geometry(), w.screen()->geometry());
        QCOMPARE(zoom(w), 1920.0 / 703);
        QCOMPARE(w.centralWidget()->geometry(), QRect(0, 96, 1920, 888));
        QCOMPARE(w.grab().toImage().pixelColor(960, 48), w.palette().color(QPalette::Window));
        f.key(' ');
        QVERIFY(f.blackToMove());
        f.key('p');
        QVERIFY(w.bPaused);
        f.key('p');
        TestSupport::boxes().answers = {MsgBox::Answer::Yes};
        f.key('s');
        QVERIFY(f.idle());
        // Leaving full screen goes back to the step before it.
        keys(w, {Qt::Key_Escape, Qt::CTRL | Qt::Key_Plus, Qt::Key_F11, Qt::Key_F11});
        QVERIFY(!w.isFullScreen());
        QCOMPARE(w.size(), QSize(879, 406));
    }

    // The settings dialog opens 200 twips right of and below the face's
    // top-left corner, scaled with the face.
    void settingsOpenAtTheFaceCorner_data()
    {
        QTest::addColumn<QList<QKeyCombination>>("keys");
        QTest::newRow("100%") << QList<QKeyCombination>{};
        QTest::newRow("200%") << QList<QKeyCombination>(3, Qt::CTRL | Qt::Key_Plus);
        QTest::newRow("full screen") << QList<QKeyCombination>{Qt::Key_F11};
    }
    void settingsOpenAtTheFaceCorner()
    {
        QFETCH(QList<QKeyCombination>, keys);
        MainWindowFixture f;
        frmMain &w = f.w();
        w.show();
        w.move(100, 50);
        TestGame::keys(w, keys);
        QPoint at;
        TestSupport::scriptDialogs([&at](QDialog &dialog) { at = dialog.pos(); });
        f.clickToolbar(QStringLiteral("Start"));
        const int offset = int(std::lround(13 * zoom(w))); // 200 twips
        QCOMPARE(at, w.frameGeometry().topLeft() + w.centralWidget()->pos() + QPoint(offset, offset));
    }

    // A dialog closed in full screen gives the keyboard back to the clock.
    void keyboardComesBackFromDialogs()
    {
        MainWindowFixture f;
        frmMain &w = f.w();
        f.press(Qt::Key_F11);
        QWindow *inDialog = nullptr;
        TestSupport::scriptDialogs([&inDialog](QDialog &dialog) {
            dialog.activateWindow();
            QCoreApplication::processEvents();
            inDialog = QGuiApplication::focusWindow();
        });
        for (const char *command : {"Start", "About"}) {
            f.clickToolbar(QLatin1String(command));
            QVERIFY(inDialog && inDialog != w.windowHandle());
            QCoreApplication::processEvents();
            QCOMPARE(QGuiApplication::focusWindow(), w.windowHandle());
        }
    }

    // The lamps and the status picture step together, each step a picture
    // of its own; the status note goes after a full round.
    void picturesAnimateTheGame()
    {
        MainWindowFixture f;
        f.start();
        frmMain &w = f.w();
        w.STB1->setPanelText(3, QStringLiteral("note"));
        const QList<ImageControl *> order{w.FaroSX, w.FaroAC, w.FaroDX, w.FaroSp};
        ImageControl *icon = w.STB1->findChild<ImageControl *>();
        QList<QImage> seen;
        for (int tick = 1; tick <= 8; ++tick) {
            TestSupport::clock().advanceMs(500);
            ImageControl *lit = order.at((tick - 1) % 4);
            for (ImageControl *lamp : order)
                QCOMPARE(lamp->isHidden(), lamp != lit);
            // The icon shows this step's picture, drawn at its size.
            const QString picture = QStringLiteral(":/status/clock_%1.svg").arg(tick);
            seen << painted(icon);
            QCOMPARE(seen.last(),
                     SvgPixmap::render(picture, icon->size(), icon->devicePixelRatioF()).toImage());
            QVERIFY2(seen.count(seen.last()) == 1, qPrintable(picture + " repeats an earlier step"));
            QCOMPARE(f.status(), tick < 8 ? QStringLiteral("note") : QString());
        }
        // Every picture compiled into the program parses.
        int pictures = 0;
        for (QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.svg")}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext(); ++pictures) {
            const QString path = it.next();
            QVERIFY2(QSvgRenderer(path).isValid(), qPrintable(path));
        }
        QVERIFY(pictures > 40);
    }
};

VARKO_TEST_MAIN(TestGame)
#include "test_game.moc"
