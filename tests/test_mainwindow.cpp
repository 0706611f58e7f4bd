#include "tests/common/MainWindowFixture.h"
#include "ui/HelpViewer.h"
#include "ui/ProgressControl.h"
#include "ui/StatusBarControl.h"
#include "ui/WallClock.h"

#include <QFile>
#include <QScopeGuard>

// Start-up of the main window and the two player clocks.
class TestMainWindow : public QObject {
    Q_OBJECT

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

private slots:
    // Idle: nothing counts, ticks without a game change nothing, and the
    // archive is created with its id record.
    void startsIdle()
    {
        WallClock::install([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 7)); });
        const auto systemClock = qScopeGuard([] { WallClock::install({}); });
        MainWindowFixture f;
        frmMain &w = f.w();
        QCOMPARE(w.STB1->panelText(2), QStringLiteral("09:05:07")); // the time of day to the second
        QVERIFY(!drawsColour(w.pg2)); // an empty bar draws no sliver of its chunk
        QCOMPARE(f.intervals(), QList<int>({0, 0, 0, 0}));
        w.Timer1_Timer();
        w.Timer2_Timer();
        w.Timer3_Timer();
        w.Timer4_Timer();
        QCOMPARE(f.whiteClock() + f.blackClock() + f.totalClock(),
                 QStringLiteral("00:00:0000:00:0000:00:00"));
        QVERIFY(w.FaroSX->isHidden());
        QFile archive(Module1.ArchivePath);
        QVERIFY(archive.open(QIODevice::ReadOnly));
        QCOMPARE(archive.size(), 102);
        // The space bar must reach the window, never a focused button.
        for (QWidget *child : w.findChildren<QWidget *>())
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
    }

    void clockRollsOver_data()
    {
        QTest::addColumn<bool>("white");
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("h");
        QTest::addColumn<QString>("shown");
        QTest::newRow("White, second") << true << 6 << 0 << 0 << "00:00:07";
        QTest::newRow("White, hour") << true << 59 << 59 << 0 << "01:00:00";
        QTest::newRow("Black, minute") << false << 59 << 4 << 0 << "00:05:00";
        QTest::newRow("Black, past 99 hours") << false << 59 << 59 << 99 << "100:00:00";
    }
    void clockRollsOver()
    {
        QFETCH(bool, white);
        QFETCH(int, s);
        QFETCH(int, m);
        QFETCH(int, h);
        MainWindowFixture f;
        frmMain &w = f.w();
        w.bRunning = true;
        Module1.TimeLimit = w.LimitWhite = w.LimitBlack = 200;
        // Only the labels of the units that change are rewritten on a tick.
        (white ? w.Secondi : w.SecondiG) = s;
        (white ? w.Minuti : w.MinutiG) = m;
        (white ? w.Ore : w.OreG) = h;
        (white ? w.LMinuti : w.LMinutiG)->setText(QString::number(m).rightJustified(2, u'0'));
        white ? w.Timer1_Timer() : w.Timer2_Timer();
        QTEST(white ? f.whiteClock() : f.blackClock(), "shown");
    }

    void limitCountsDownWithTheBarOneTickBehind()
    {
        MainWindowFixture f;
        f.start({QStringLiteral("Anna"), QStringLiteral("Boris"), QStringLiteral("30"), QString()});
        frmMain &w = f.w();
        f.play(60000);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:01:00"));
        QCOMPARE(w.lblLimitWhite->text() + w.lblLimitBlack->text(), QStringLiteral(" 29 30"));
        QCOMPARE(w.pg2->Value(), 30.f);
        QVERIFY(drawsColour(w.pg2));
        f.play(1000);
        QCOMPARE(w.pg2->Value(), 29.f);
    }

    void overTimeStopsEverythingOnce_data()
    {
        QTest::addColumn<bool>("white");
        QTest::addColumn<QString>("message");
        QTest::newRow("White") << true << "Player One is over time now!";
        QTest::newRow("Black") << false << "Player Two is over time now!";
    }
    void overTimeStopsEverythingOnce()
    {
        QFETCH(bool, white);
        QFETCH(QString, message);
        MainWindowFixture f;
        f.start({QStringLiteral("W"), QStringLiteral("B"), QStringLiteral("1"), QString()});
        if (!white)
            f.key(' ');
        frmMain &w = f.w();
        QList<int> intervalsWhileOpen;
        QString clockWhileOpen;
        TestSupport::boxes().whileOpen = [&] {
            intervalsWhileOpen = f.intervals();
            f.play(5000); // ticks go on while a message box is open
            clockWhileOpen = white ? f.whiteClock() : f.blackClock();
        };
        f.play(60000);
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QCOMPARE(TestSupport::boxes().shown.at(0).prompt, message);
        QCOMPARE(intervalsWhileOpen, QList<int>({0, 0, 0, 0}));
        QCOMPARE(clockWhileOpen, QStringLiteral("00:01:00"));
        QCOMPARE((white ? w.lblLimitWhite : w.lblLimitBlack)->text(), QStringLiteral(" 0"));
        f.play(120000);
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QCOMPARE(white ? f.whiteClock() : f.blackClock(), QStringLiteral("00:01:00"));
        // The total's tick due at the moment of over time was counted.
        QCOMPARE(f.totalClock(), QStringLiteral("00:01:00"));
        // One alarm, and the screen may blank again from the message on.
        QCOMPARE(
            TestSupport::desktop().calls,
            QStringList({QStringLiteral("inhibit"), QStringLiteral("release"), QStringLiteral("alarm")}));
        // The toolbar stays locked until a confirmed stop.
        QVERIFY(!w.Toolbar1->Enabled(1));
        QVERIFY(!w.Toolbar1->Enabled(3));
    }

    void helpOpensBesideARunningGame()
    {
        MainWindowFixture f;
        f.start();
        QFile help(App::join(f.folder.path(), QStringLiteral("\\VARKOHELP.HLP")));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("<html><body><h1>Varko help</h1></body></html>");
        help.close();
        f.clickToolbar(QStringLiteral("Info"));
        QVERIFY(Help::openViewer()->text().contains(QStringLiteral("Varko help")));
        f.play(2000);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:02"));
        Help::openViewer()->close();
    }
};

VARKO_TEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
