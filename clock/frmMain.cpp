#include "clock/frmMain.h"

#include "app/Module1.h"
#include "archive/ArchiveStartup.h"
#include "dialogs/frmAbout.h"
#include "ui/AppInfo.h"
#include "ui/ImageControl.h"
#include "ui/KeepAwake.h"
#include "ui/MessageBox.h"
#include "ui/ToolbarControl.h"
#include "ui/VTimer.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QWindow>

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    buildControls();
    describeForScreenReaders();
    connectHandlers();
    Form_Load();
}

frmMain::~frmMain()
{
    KeepAwake::sync(false);
}

void frmMain::connectHandlers()
{
    connect(Timer1, &VTimer::Timer, this, &frmMain::Timer1_Timer);
    connect(Timer2, &VTimer::Timer, this, &frmMain::Timer2_Timer);
    connect(Timer3, &VTimer::Timer, this, &frmMain::Timer3_Timer);
    connect(Timer4, &VTimer::Timer, this, &frmMain::Timer4_Timer);
    connect(iBUnPress, &ImageControl::Click, this, &frmMain::iBUnPress_Click);
    connect(IWUnpress, &ImageControl::Click, this, &frmMain::IWUnpress_Click);
    connect(Toolbar1, &ToolbarControl::ButtonClick, this, &frmMain::Toolbar1_ButtonClick);
}

// The dialogs and message boxes are the window's children, gone once
// closed. When nothing has the keyboard then, or a window no longer shown,
// as without a window manager, it comes back to the clock, so its keys and
// shortcuts work at once.
void frmMain::childEvent(QChildEvent *event)
{
    QMainWindow::childEvent(event);
    if (event->removed())
        QTimer::singleShot(0, this, &frmMain::takeKeyboardBack);
}

void frmMain::takeKeyboardBack()
{
    const QWindow *focus = QGuiApplication::focusWindow();
    if (isVisible() && (!focus || !focus->isVisible()))
        activateWindow();
}

void frmMain::Form_Load()
{
    // The archive's place and id counter; a failure is told once and the
    // clocks work on without it.
    if (const QString told = openArchiveAtStartup(App::Path()).message(); !told.isEmpty())
        MsgBox::show(this, told);

    for (ImageControl *i : {IWUnpress, IWPress}) {
        i->hide();
        i->move(4400, 1560);
    }
    for (ImageControl *i : {iBUnPress, IBPress}) {
        i->hide();
        i->move(5400, 1560);
    }

    // One name for the help file everywhere: on a case-sensitive file system
    // two spellings would be two files.
    App::setHelpFile(App::locateHelpFile());

    LampPhase = 0;
    Module1.TimeLimit = 30;
    lblLimitWhite->setText(QStringLiteral("00"));
    lblLimitBlack->setText(QStringLiteral("00"));
    for (QLabel *l : {LOre, LMinuti, LSecondi, LOreG, LMinutiG, LSecondiG, LOreR, LminutiR, LSecondiR})
        l->setText(QStringLiteral("00"));
    Timer1->setInterval(0);
    Timer2->setInterval(0);
    Timer3->setInterval(0);
    bRunning = false;
    TickInterval = 1000;
    LimitGame = Module1.TimeLimit;
    LimitWhite = LimitGame;
    LimitBlack = LimitGame;
    for (ImageControl *lamp : {FaroDX, FaroSX, FaroAC, FaroSp}) {
        lamp->hide();
        lamp->move(120, 0);
    }
    Timer4->setInterval(0);
}

void frmMain::keyPressEvent(QKeyEvent *event)
{
    if (zoomKey(*event))
        return;
    // F1 and the Ctrl keys are the toolbar's shortcuts; with Ctrl, Alt or Meta
    // held no key hands over, pauses or stops.
    const QString text = event->text();
    // A held key acts once: auto-repeat would hand the turn back and forth.
    if (text.size() == 1 && !event->isAutoRepeat() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        Form_KeyPress(text.at(0).unicode());
    QMainWindow::keyPressEvent(event);
}
