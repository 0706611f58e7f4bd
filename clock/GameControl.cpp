// Starting, pausing, resuming and stopping a game.
#include "clock/frmMain.h"

#include "app/Module1.h"
#include "clock/ClockText.h"
#include "dialogs/frmSet.h"
#include "ui/ImageControl.h"
#include "ui/KeepAwake.h"
#include "ui/MessageBox.h"
#include "ui/Modal.h"
#include "ui/StatusBarControl.h"
#include "ui/VTimer.h"

#include <QGroupBox>
#include <QLabel>

void frmMain::Gestione_Start()
{
    {
        frmSet settings(this);
        Modal::exec(settings);
    }
    LimitGame = Module1.TimeLimit;
    LimitWhite = LimitGame;
    LimitBlack = LimitGame;
    const QString limit = ClockText::NumberText(LimitGame);
    beginGame(Module1.WhiteName, Module1.BlackName, limit, limit);
}

void frmMain::beginGame(const QString &whiteName, const QString &blackName, const QString &whiteLeft,
                        const QString &blackLeft)
{
    Frame1->setTitle(whiteName);
    Frame2->setTitle(blackName);
    // White's turn; Black's timer stops too, or a timer left running by a
    // pause without a game would make both clocks count.
    showWhiteTurn();
    Timer3->setInterval(TickInterval);
    Timer4->setInterval(500);
    // Each clock's first second is a whole one, whatever ran before, and a
    // pause given before the game ends here.
    for (VTimer *t : {Timer1, Timer2, Timer3})
        t->forgetCarry();
    lblLimitWhite->setText(whiteLeft);
    lblLimitBlack->setText(blackLeft);
    setGameState(true, false);
}

void frmMain::setGameState(bool running, bool paused)
{
    bRunning = running;
    bPaused = paused;
    // The screen stays awake exactly while a game runs unpaused.
    KeepAwake::sync(bRunning && !bPaused);
}

void frmMain::stopAllTimers()
{
    for (VTimer *t : {Timer1, Timer2, Timer3, Timer4})
        t->setInterval(0);
}

void frmMain::Set_Limit()
{
    Gestione_Start();
}

void frmMain::Gestione_Pausa()
{
    if (!bPaused) {
        STB1->setPanelText(3, tr("... Pause Game..."));
        PausedTurn = Timer1->Interval() > 0 ? QStringLiteral("1") : QStringLiteral("2");
        stopAllTimers();
        setGameState(bRunning, true);
        return;
    }
    STB1->setPanelText(3, tr("... Running ..."));
    if (PausedTurn == QLatin1String("1")) {
        Timer1->setInterval(1000);
        Timer2->setInterval(0);
    } else {
        Timer1->setInterval(0);
        Timer2->setInterval(1000);
    }
    Timer3->setInterval(1000);
    Timer4->setInterval(500);
    setGameState(bRunning, false);
}

void frmMain::Gestione_Stop()
{
    Msg = tr("Are you sure to Stop the Game? ");
    Title = tr("Information Message");
    if (MsgBox::show(this, Msg, MsgBox::Buttons::YesNo, Title) != MsgBox::Answer::Yes)
        return;
    lockGameStart(false);
    STB1->setPanelText(3, QString());
    stopAllTimers();
    // The next game starts from exactly zero: no part-second carried over.
    for (VTimer *t : {Timer1, Timer2, Timer3})
        t->forgetCarry();
    for (int *counter : {&Secondi, &Minuti, &Ore, &SecondiG, &MinutiG, &OreG, &SecondiR, &MinutiR, &OreR})
        *counter = 0;
    for (QLabel *l : {LOre, LMinuti, LSecondi, LOreG, LMinutiG, LSecondiG, LOreR, LminutiR, LSecondiR})
        l->setText(QStringLiteral("00"));
    // A stop also ends a pause, or the next game would run with its keys dead.
    setGameState(false, false);
    MoveMarkWhite = 0;
    MoveMarkBlack = 0;
    for (ImageControl *lamp : {FaroSX, FaroAC, FaroDX, FaroSp})
        lamp->hide();
    LimitGame = Module1.TimeLimit;
    LimitWhite = LimitGame;
    LimitBlack = LimitGame;
    // The stopped game keeps its saved record: a later save of the zeroed
    // clocks takes a name of its own instead of overwriting it.
    Module1.GameName.clear();
}
