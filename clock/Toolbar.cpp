// The toolbar's commands: one table, and the building, the click handler and
// the lock that read it.
#include "clock/frmMain.h"

#include "app/Module1.h"
#include "dialogs/frmAbout.h"
#include "ui/AppInfo.h"
#include "ui/HelpViewer.h"
#include "ui/Modal.h"
#include "ui/ToolbarControl.h"
#include "ui/Twips.h"

#include <QAction>
#include <QKeySequence>

std::span<const ToolbarCommand> frmMain::toolbarCommands()
{
    // Key, caption, tooltip, picture, shortcut, whether a running game locks it, action.
    constexpr bool Locked = true, Usable = false;
    constexpr QKeyCombination NoKey = Qt::Key_unknown;
    static const ToolbarCommand commands[] = {
        {"Start", QT_TR_NOOP("Start"), QT_TR_NOOP("Start the Game"), 6, Qt::CTRL | Qt::Key_N, Locked,
         [](frmMain &w) {
             w.Gestione_Start();
             w.lockAfterStart();
         }},
        {"Save", QT_TR_NOOP("Save"), "", 2, Qt::CTRL | Qt::Key_S, Usable,
         [](frmMain &w) { w.Esegue_Salvataggio(); }},
        {"Open", QT_TR_NOOP("Open"), "", 11, Qt::CTRL | Qt::Key_O, Locked,
         [](frmMain &w) { w.Esegue_Apertura(); }},
        {"Stop", QT_TR_NOOP("Stop"), QT_TR_NOOP("Erase current Game"), 7, NoKey, Usable,
         [](frmMain &w) { w.Gestione_Stop(); }},
        {"Exit", QT_TR_NOOP("Exit"), QT_TR_NOOP("Leave program"), 8, Qt::CTRL | Qt::Key_Q, Usable,
         [](frmMain &w) { w.close(); }},
        {},
        {"TimeSet", QT_TR_NOOP("Options"), QT_TR_NOOP("Set Limit Time"), 9, Qt::CTRL | Qt::Key_T, Locked,
         [](frmMain &w) {
             w.Set_Limit();
             w.lockAfterStart();
         }},
        {"Pause", QT_TR_NOOP("Pause"), QT_TR_NOOP("Pause Game"), 5, NoKey, Usable,
         [](frmMain &w) { w.Gestione_Pausa(); }},
        {},
        {"Info", QT_TR_NOOP("Info"), "", 1, Qt::Key_F1, Usable, [](frmMain &w) { w.openHelp(); }},
        {"About", QT_TR_NOOP("About"), "", 10, NoKey, Usable, [](frmMain &w) { w.showAbout(); }},
    };
    return commands;
}

void frmMain::buildToolbar()
{
    ImageList1 = ImageList({
        QStringLiteral(":/toolbar/01_help_book.svg"),
        QStringLiteral(":/toolbar/02_floppy.svg"),
        QStringLiteral(":/toolbar/03_question_small.svg"),
        QStringLiteral(":/toolbar/04_question_large.svg"),
        QStringLiteral(":/toolbar/05_coffee.svg"),
        QStringLiteral(":/toolbar/06_atom.svg"),
        QStringLiteral(":/toolbar/07_no_entry.svg"),
        QStringLiteral(":/toolbar/08_flag.svg"),
        QStringLiteral(":/toolbar/09_alarm_clock.svg"),
        QStringLiteral(":/toolbar/10_question_badge.svg"),
        QStringLiteral(":/toolbar/11_open_folder.svg"),
    });
    Toolbar1 = new ToolbarControl(centralWidget());
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(Twips::rect(0, 0, 9855, 540));
    // Icon above caption in 540 twips: no room for the style's own padding.
    Toolbar1->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px; border: none; }"
                                           "QToolButton { padding: 0px; margin: 0px; }"));
    // With a style sheet on the toolbar its buttons take the application's
    // font, not the toolbar's, so each button gets the small font itself.
    QFont small = font();
    small.setPointSizeF(7.5);
    for (const ToolbarCommand &c : toolbarCommands()) {
        if (c.isSeparator()) {
            Toolbar1->addSeparatorEntry();
            continue;
        }
        Toolbar1->addButton(QString::fromLatin1(c.key), tr(c.caption), tr(c.toolTip),
                            ImageList1.picture(c.picture));
        const int n = Toolbar1->count();
        QWidget *button = Toolbar1->buttonWidget(n);
        button->setFixedSize(Twips::size(645, 540));
        button->setFont(small);
        // A disabled button's action ignores its shortcut too; a held key
        // starts nothing twice.
        if (c.hasShortcut()) {
            Toolbar1->action(n)->setShortcut(QKeySequence(c.shortcut));
            Toolbar1->action(n)->setAutoRepeat(false);
        }
    }
}

void frmMain::Toolbar1_ButtonClick(int, const QString &key)
{
    for (const ToolbarCommand &c : toolbarCommands()) {
        if (!c.isSeparator() && key == QLatin1String(c.key)) {
            c.run(*this);
            return;
        }
    }
}

void frmMain::lockGameStart(bool locked)
{
    // A running game may be neither restarted nor replaced.
    const std::span<const ToolbarCommand> commands = toolbarCommands();
    for (size_t i = 0; i < commands.size(); ++i)
        if (commands[i].lockedWhileRunning)
            Toolbar1->setEnabled(int(i) + 1, !locked);
}

void frmMain::lockAfterStart()
{
    // A start without a limit leaves the game open to another start.
    if (Module1.TimeLimit != 0)
        lockGameStart(true);
}

void frmMain::openHelp()
{
    Help::showContents(App::HelpFile(), this);
}

void frmMain::showAbout()
{
    if (!m_about)
        m_about = std::make_unique<frmAbout>(this);
    Modal::exec(*m_about);
    // The about box stays for the next time, so no child goes when it closes.
    takeKeyboardBack();
}
