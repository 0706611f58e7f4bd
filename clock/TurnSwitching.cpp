// Handing the turn over: the keyboard handler and the push-buttons.
#include "clock/frmMain.h"

#include "clock/ClockText.h"
#include "ui/ImageControl.h"
#include "ui/StatusBarControl.h"
#include "ui/VTimer.h"

namespace {
const int KeySpace = 32;
const int KeyP = 112;
const int KeyS = 115;
} // namespace

void frmMain::Form_KeyPress(int keyAscii)
{
    if (keyAscii == KeyP)
        Gestione_Pausa();
    if (bPaused)
        return;
    if (keyAscii == KeySpace) {
        if (!IWPress->isHidden()) {
            moveReport(tr("White player spend %1 Minutes for this move."), Minuti, Ore, MoveMarkWhite);
            showBlackTurn();
        } else {
            moveReport(tr("Black player spend %1 Minutes for this move."), MinutiG, OreG, MoveMarkBlack);
            showWhiteTurn();
        }
    }
    if (keyAscii == KeyS)
        Gestione_Stop();
}

void frmMain::iBUnPress_Click()
{
    if (bPaused)
        return;
    moveReport(tr("Black player spend %1 Minutes for this move."), MinutiG, OreG, MoveMarkBlack);
    showBlackTurn();
}

void frmMain::IWUnpress_Click()
{
    if (bPaused)
        return;
    moveReport(tr("White player spend %1 Minutes for this move."), Minuti, Ore, MoveMarkWhite);
    showWhiteTurn();
}

void frmMain::moveReport(const QString &report, int minutes, int hours, int &moveMark)
{
    // Whole minutes including hours, so a move across an hour reports its length.
    const int total = wholeMinutes(minutes, hours);
    STB1->setPanelText(3, report.arg(ClockText::NumberText(total - moveMark)));
    moveMark = total;
}

void frmMain::showBlackTurn()
{
    Timer1->setInterval(0);
    Timer2->setInterval(TickInterval);
    iBUnPress->hide();
    IBPress->show();
    IWPress->hide();
    IWUnpress->show();
}

void frmMain::showWhiteTurn()
{
    Timer1->setInterval(TickInterval);
    Timer2->setInterval(0);
    iBUnPress->show();
    IBPress->hide();
    IWPress->show();
    IWUnpress->hide();
}
