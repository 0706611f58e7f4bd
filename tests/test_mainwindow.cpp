#include "tests/common/MainWindowFixture.h"
#include "ui/HelpViewer.h"
#include "ui/ProgressControl.h"
#include "ui/StatusBarControl.h"

#include <QFile>

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
    void startsIdle()
    {
        MainWindowFixture f;
        frmMain &w = f.w();
        QCOMPARE(w.windowTitle(), QStringLiteral("Varko Chronometer"));
        QCOMPARE(w.size(), QSize(703, 325));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
        for (QLabel *l : {w.LOre, w.LMinuti, w.LSecondi, w.LOreG, w.LMinutiG, w.LSecondiG, w.LOreR, w.LminutiR,
                          w.LSecondiR, w.lblLimitWhite, w.lblLimitBlack})
            QCOMPARE(l->text(), QStringLiteral("00"));
        QCOMPARE(w.Frame1->title(), QStringLiteral("Frame1"));
        QCOMPARE(w.Frame2->title(), QStringLiteral("Frame2"));
        QCOMPARE(w.Frame3->title(), QStringLiteral("...from begin Time"));
        QCOMPARE(w.pg2->Value(), 0.f);
        QVERIFY(!drawsColour(w.pg2)); // an empty bar draws no sliver of its chunk
        w.show();
        QCOMPARE(w.STB1->findChild<QWidget *>(QStringLiteral("STB1_Panel3"))->width(), 490);
        for (ImageControl *i : {w.IWPress, w.IWUnpress, w.IBPress, w.iBUnPress, w.FaroSX, w.FaroAC, w.FaroDX, w.FaroSp})
            QVERIFY2(i->isHidden(), qPrintable(i->objectName()));
        QCOMPARE(f.intervals(), QList<int>({0, 0, 0, 0}));
        QCOMPARE(w.bRunning, false);
        QCOMPARE(w.bPaused, false);
        QCOMPARE(w.TickInterval, 1000);
        QCOMPARE(Module1.TimeLimit, 30);
        QCOMPARE(w.LimitWhite, 30);
        QCOMPARE(w.LimitBlack, 30);
        QCOMPARE(f.status(), QString());
        QCOMPARE(w.STB1->panelPicture(3), QStringLiteral(":/status/clock_load.svg"));
        // Each pair of push-button pictures shares one spot.
        QCOMPARE(w.IWPress->pos(), QPoint(293, 104));
        QCOMPARE(w.IWUnpress->pos(), w.IWPress->pos());
        QCOMPARE(w.IBPress->pos(), QPoint(360, 104));
        QCOMPARE(w.iBUnPress->pos(), w.IBPress->pos());
        QCOMPARE(w.FaroSX->pos(), QPoint(8, 0));
        QCOMPARE(w.FaroSp->pos(), w.FaroSX->pos());
        QCOMPARE(App::HelpFile(), App::join(App::Path(), QStringLiteral("\\VARKOHELP.HLP")));
    }

    void createsTheArchiveOrReadsIt()
    {
        MainWindowFixture f;
        QFile archive(Module1.ArchivePath);
        QCOMPARE(Module1.ArchivePath, App::join(f.folder.path(), QStringLiteral("\\Varko.dat")));
        QVERIFY(archive.open(QIODevice::ReadOnly));
        QCOMPARE(archive.size(), 102);
    }

    void toolbarEntries()
    {
        MainWindowFixture f;
        const QStringList keys{"Start", "Save", "Open", "Stop", "Exit", "", "TimeSet", "Pause", "", "Info", "About"};
        ToolbarControl *t = f.w().Toolbar1;
        QCOMPARE(t->count(), 11);
        for (int i = 1; i <= 11; ++i) {
            QCOMPARE(t->Key(i), keys.at(i - 1));
            QCOMPARE(t->isSeparator(i), keys.at(i - 1).isEmpty());
            QVERIFY(t->Enabled(i));
            if (!t->isSeparator(i))
                QCOMPARE(t->buttonWidget(i)->size(), QSize(43, 36));
        }
        // A button without a tooltip keeps none once the toolbar is locked.
        f.start();
        QCOMPARE(t->buttonWidget(3)->toolTip(), QString());
        QCOMPARE(t->action(7)->text(), QStringLiteral("Options"));
        QCOMPARE(t->action(1)->toolTip(), QStringLiteral("Start the Game"));
        QCOMPARE(t->action(4)->toolTip(), QStringLiteral("Erase current Game"));
    }

    void noControlTakesTheFocus()
    {
        MainWindowFixture f;
        const auto children = f.w().findChildren<QWidget *>();
        for (QWidget *child : children)
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
        QVERIFY(f.w().focusPolicy() != Qt::NoFocus);
    }

    void ticksDoNothingWithoutAGame()
    {
        MainWindowFixture f;
        f.w().Timer1_Timer();
        f.w().Timer2_Timer();
        f.w().Timer3_Timer();
        f.w().Timer4_Timer();
        QCOMPARE(f.w().Secondi, 0);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:00"));
        QCOMPARE(f.blackClock(), QStringLiteral("00:00:00"));
        QCOMPARE(f.totalClock(), QStringLiteral("00:00:00"));
        QCOMPARE(f.w().pg2->Max(), 100.f);
        QVERIFY(f.w().FaroSX->isHidden());
        QCOMPARE(f.w().LampPhase, 0);
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
        QCOMPARE(w.lblLimitWhite->text(), QStringLiteral(" 29"));
        QCOMPARE(w.pg2->Value(), 30.f);
        QCOMPARE(w.pg2->Max(), 30.f);
        QVERIFY(drawsColour(w.pg2));
        f.play(1000);
        QCOMPARE(w.pg2->Value(), 29.f);
        QCOMPARE(w.lblLimitBlack->text(), QStringLiteral(" 30"));
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
        QCOMPARE(TestSupport::boxes().shown.at(0).title, QStringLiteral("Varko"));
        QCOMPARE(intervalsWhileOpen, QList<int>({0, 0, 0, 0}));
        QCOMPARE(clockWhileOpen, QStringLiteral("00:01:00"));
        QCOMPARE((white ? w.lblLimitWhite : w.lblLimitBlack)->text(), QStringLiteral(" 0"));
        QCOMPARE(white ? w.LimitWhite : w.LimitBlack, 0);
        QCOMPARE(w.bRunning, false);
        f.play(120000);
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        QCOMPARE(white ? f.whiteClock() : f.blackClock(), QStringLiteral("00:01:00"));
        // The total's tick due at the moment of over time was counted.
        QCOMPARE(f.totalClock(), QStringLiteral("00:01:00"));
        // One alarm, and the screen may blank again from the message on.
        QCOMPARE(TestSupport::desktop().calls,
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
        QVERIFY(Help::openViewer());
        QCOMPARE(Help::openViewer()->helpFile(), help.fileName());
        QVERIFY(Help::openViewer()->text().contains(QStringLiteral("Varko help")));
        f.press(Qt::Key_F1);
        QCOMPARE(Help::openViewer()->helpFile(), App::HelpFile());
        f.play(2000);
        QCOMPARE(f.whiteClock(), QStringLiteral("00:00:02"));
        Help::openViewer()->close();
    }

    void aboutBoxIsOneInstanceForTheProgramsLife()
    {
        MainWindowFixture f;
        QList<QDialog *> shown;
        TestSupport::scriptDialogs([&](QDialog &d) {
            shown.append(&d);
            d.accept();
        });
        f.clickToolbar(QStringLiteral("About"));
        f.clickToolbar(QStringLiteral("About"));
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0)->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(shown.at(0), shown.at(1));
    }

};

VARKO_TEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
