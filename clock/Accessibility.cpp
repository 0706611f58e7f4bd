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
        {LOre, "White hours"},
        {LMinuti, "White minutes"},
        {LSecondi, "White seconds"},
        {LOreG, "Black hours"},
        {LMinutiG, "Black minutes"},
        {LSecondiG, "Black seconds"},
        {LOreR, "Game hours"},
        {LminutiR, "Game minutes"},
        {LSecondiR, "Game seconds"},
        {lblLimitWhite, "White remaining minutes"},
        {lblLimitBlack, "Black remaining minutes"},
        {pg2, "White remaining minutes bar"},
        {pg3, "Black remaining minutes bar"},
        {IWPress, "White's push-button, pressed: White to move"},
        {IWUnpress, "White's push-button, press to hand over"},
        {IBPress, "Black's push-button, pressed: Black to move"},
        {iBUnPress, "Black's push-button, press to hand over"},
        {FaroSX, "Lamp: beam to the left, the game is running"},
        {FaroAC, "Lamp: lit, the game is running"},
        {FaroDX, "Lamp: beam to the right, the game is running"},
        {FaroSp, "Lamp: dark, the game is running"},
        {Pic1, "Lamp box"},
    };
    for (const auto &d : described)
        d.widget->setAccessibleDescription(QString::fromLatin1(d.description));

    // Widgets without text of their own get a name.
    pg2->setAccessibleName(QStringLiteral("White remaining time"));
    pg3->setAccessibleName(QStringLiteral("Black remaining time"));
    IWPress->setAccessibleName(QStringLiteral("White's push-button"));
    IWUnpress->setAccessibleName(QStringLiteral("White's push-button"));
    IBPress->setAccessibleName(QStringLiteral("Black's push-button"));
    iBUnPress->setAccessibleName(QStringLiteral("Black's push-button"));
    for (ImageControl *lamp : {FaroSX, FaroAC, FaroDX, FaroSp})
        lamp->setAccessibleName(QStringLiteral("Lighthouse lamp"));
    for (QLabel *separator : {Label1, Label2, Label3, Label4, Label8, Label9})
        separator->setAccessibleDescription(QStringLiteral("separator"));
    IWUnpress->setClickable(true);
    iBUnPress->setClickable(true);

    for (ImageControl *piece : Image)
        piece->setDecoration(true);
}
