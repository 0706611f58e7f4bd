// The two player clocks: count up, count the limit down, end at over time.
#include "clock/frmMain.h"

#include "app/Module1.h"
#include "clock/ClockText.h"
#include "ui/Alarm.h"
#include "ui/MessageBox.h"
#include "ui/ProgressControl.h"
#include "ui/VTimer.h"

#include <QLabel>
#include <algorithm>

// The items one clock works on; White and Black differ only in these.
struct frmMain::PlayerItems {
    int &secondi;
    int &minuti;
    int &ore;
    int &limit;
    QLabel *lOre;
    QLabel *lMinuti;
    QLabel *lSecondi;
    QLabel *lblLimit;
    ProgressControl *pg;
    QString overTimeMessage;
};

frmMain::PlayerItems frmMain::white()
{
    return {Secondi, Minuti,   Ore,           LimitWhite, LOre,
            LMinuti, LSecondi, lblLimitWhite, pg2,        tr("Player One is over time now!")};
}

frmMain::PlayerItems frmMain::black()
{
    return {SecondiG, MinutiG,   OreG,          LimitBlack, LOreG,
            LMinutiG, LSecondiG, lblLimitBlack, pg3,        tr("Player Two is over time now!")};
}

void frmMain::Timer1_Timer()
{
    tickPlayer(white());
}

void frmMain::Timer2_Timer()
{
    tickPlayer(black());
}

void frmMain::tickPlayer(const PlayerItems &p)
{
    if (!bRunning)
        return;
    const ClockStep step = advanceClock(p.secondi, p.minuti, p.ore);
    // Set before the minute check, so the bar shows the minutes left before this tick.
    p.pg->setMin(0);
    p.pg->setMax(float(Module1.TimeLimit));
    p.pg->setValue(float(p.limit));
    if (step == ClockStep::Second) {
        p.lSecondi->setText(ClockText::TwoDigit(p.secondi));
        return;
    }
    p.lSecondi->setText(QStringLiteral("00"));
    if (step == ClockStep::Hour) {
        p.lMinuti->setText(QStringLiteral("00"));
        p.lOre->setText(ClockText::TwoDigit(p.ore));
    } else {
        p.lMinuti->setText(ClockText::TwoDigit(p.minuti));
    }
    // Never below zero: a restored game may come with no minutes left.
    p.limit = std::max(p.limit - 1, 0);
    p.lblLimit->setText(ClockText::NumberText(p.limit));
    if (p.limit == 0)
        overTime(p.overTimeMessage);
}

void frmMain::overTime(const QString &message)
{
    // Everything stops before the message: ticks keep coming while a message
    // box is open, and no clock may count on behind it.
    // The total's tick due at this same moment counts before it stops.
    Timer3->deliverDue();
    stopAllTimers();
    setGameState(false, bPaused);
    Alarm::overTime();
    MsgBox::show(this, message);
}
