// Saving the game shown on the clocks, and reopening a saved one.
#include "clock/frmMain.h"

#include "app/Module1.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "archive/SaveGame.h"
#include "archive/frmGame.h"
#include "clock/ClockText.h"
#include "ui/MessageBox.h"
#include "ui/Modal.h"
#include "ui/StatusBarControl.h"

#include <QGroupBox>
#include <QLabel>
#include <algorithm>

namespace {
// A record saved with minutes below zero shows none left, never a negative number.
QString leftText(const RestoredNumber &left)
{
    return left.number < 0 ? ClockText::NumberText(0) : left.text;
}
} // namespace

void frmMain::Esegue_Salvataggio()
{
    GameSnapshot s;
    s.whitePlayer = Frame1->title();
    s.blackPlayer = Frame2->title();
    s.whiteHours = LOre->text();
    s.whiteMinutes = LMinuti->text();
    s.whiteSeconds = LSecondi->text();
    s.blackHours = LOreG->text();
    s.blackMinutes = LMinutiG->text();
    s.blackSeconds = LSecondiG->text();
    s.totalHours = LOreR->text();
    s.totalMinutes = LminutiR->text();
    s.totalSeconds = LSecondiR->text();
    s.timeLimit = Module1.TimeLimit;
    s.whiteLeftCaption = lblLimitWhite->text();
    s.blackLeftCaption = lblLimitBlack->text();
    const Reported<qint64> saved = saveGame(s);
    if (!saved.message().isEmpty())
        MsgBox::show(this, saved.message());
    if (!saved)
        return;
    STB1->setPanelText(3, tr("Save Game as %1").arg(Module1.GameName));
}

void frmMain::Esegue_Apertura()
{
    {
        frmGame browser(this);
        Modal::exec(browser);
    }
    if (Module1.SelectedGame.isEmpty())
        return;
    if (!Carica_Game())
        return;
    STB1->setPanelText(3, tr("Game %1 Opened").arg(Module1.SelectedGame.trimmed()));
    // Only a game actually restored locks the game-start commands.
    lockGameStart(true);
}

bool frmMain::Carica_Game()
{
    const Reported<RestoredGame> restored = loadGame(Module1.SelectedGame);
    if (!restored.message().isEmpty())
        MsgBox::show(this, restored.message());
    if (!restored)
        return false;
    const RestoredGame &g = *restored;
    // A later Save replaces the record this game came from.
    Module1.GameName = trimBlanks(Module1.SelectedGame).toString();
    Module1.TimeLimit = g.limit.number;
    LimitGame = g.limit.number;
    LimitWhite = std::max(g.whiteLeft.number, 0);
    LimitBlack = std::max(g.blackLeft.number, 0);
    const struct {
        int &counter;
        QLabel *label;
        const RestoredNumber &field;
    } clocks[] = {
        {Secondi, LSecondi, g.whiteSeconds},
        {Minuti, LMinuti, g.whiteMinutes},
        {Ore, LOre, g.whiteHours},
        {SecondiG, LSecondiG, g.blackSeconds},
        {MinutiG, LMinutiG, g.blackMinutes},
        {OreG, LOreG, g.blackHours},
        {SecondiR, LSecondiR, g.totalSeconds},
        {MinutiR, LminutiR, g.totalMinutes},
        {OreR, LOreR, g.totalHours},
    };
    for (const auto &c : clocks) {
        c.counter = c.field.number;
        c.label->setText(c.field.text);
    }
    // The restored clocks are the marks of the next move reports.
    MoveMarkWhite = wholeMinutes(Minuti, Ore);
    MoveMarkBlack = wholeMinutes(MinutiG, OreG);
    // White to move, whoever was to move when the game was saved.
    beginGame(g.whitePlayer, g.blackPlayer, leftText(g.whiteLeft), leftText(g.blackLeft));
    return true;
}
