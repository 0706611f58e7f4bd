// What a screen reader says about each part of the main window. Labels keep
// their text as their accessible name; the description says what it is.
#include "clock/frmMain.h"

#include "ui/ImageControl.h"
#include "ui/ProgressControl.h"

#include <QLabel>

void frmMain::describeForScreenReaders()
{
    const struct {
        QWidget *widget;
        const char *description;
    } described[] = {
        {LOre, QT_TR_NOOP("White hours")},
        {LMinuti, QT_TR_NOOP("White minutes")},
        {LSecondi, QT_TR_NOOP("White seconds")},
        {LOreG, QT_TR_NOOP("Black hours")},
        {LMinutiG, QT_TR_NOOP("Black minutes")},
        {LSecondiG, QT_TR_NOOP("Black seconds")},
        {LOreR, QT_TR_NOOP("Game hours")},
        {LminutiR, QT_TR_NOOP("Game minutes")},
        {LSecondiR, QT_TR_NOOP("Game seconds")},
        {lblLimitWhite, QT_TR_NOOP("White remaining minutes")},
        {lblLimitBlack, QT_TR_NOOP("Black remaining minutes")},
        {pg2, QT_TR_NOOP("White remaining minutes bar")},
        {pg3, QT_TR_NOOP("Black remaining minutes bar")},
        {IWPress, QT_TR_NOOP("White's push-button, pressed: White to move")},
        {IWUnpress, QT_TR_NOOP("White's push-button, press to hand over")},
        {IBPress, QT_TR_NOOP("Black's push-button, pressed: Black to move")},
        {iBUnPress, QT_TR_NOOP("Black's push-button, press to hand over")},
        {FaroSX, QT_TR_NOOP("Lamp: beam to the left, the game is running")},
        {FaroAC, QT_TR_NOOP("Lamp: lit, the game is running")},
        {FaroDX, QT_TR_NOOP("Lamp: beam to the right, the game is running")},
        {FaroSp, QT_TR_NOOP("Lamp: dark, the game is running")},
        {Pic1, QT_TR_NOOP("Lamp box")},
    };
    for (const auto &d : described)
        d.widget->setAccessibleDescription(tr(d.description));

    // Widgets without text of their own get a name.
    pg2->setAccessibleName(tr("White remaining time"));
    pg3->setAccessibleName(tr("Black remaining time"));
    IWPress->setAccessibleName(tr("White's push-button"));
    IWUnpress->setAccessibleName(tr("White's push-button"));
    IBPress->setAccessibleName(tr("Black's push-button"));
    iBUnPress->setAccessibleName(tr("Black's push-button"));
    for (ImageControl *lamp : {FaroSX, FaroAC, FaroDX, FaroSp})
        lamp->setAccessibleName(tr("Lighthouse lamp"));
    for (QLabel *separator : {Label1, Label2, Label3, Label4, Label8, Label9})
        separator->setAccessibleDescription(tr("separator"));
    IWUnpress->setClickable(true);
    iBUnPress->setClickable(true);

    for (ImageControl *piece : Image)
        piece->setDecoration(true);
}
