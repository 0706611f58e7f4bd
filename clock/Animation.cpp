// The total clock and the lamp and status animation.
#include "clock/frmMain.h"

#include "clock/ClockText.h"
#include "ui/ImageControl.h"
#include "ui/StatusBarControl.h"

#include <QLabel>

void frmMain::Timer3_Timer()
{
    if (!bRunning)
        return;
    switch (advanceClock(SecondiR, MinutiR, OreR)) {
    case ClockStep::Second: LSecondiR->setText(ClockText::TwoDigit(SecondiR)); break;
    case ClockStep::Minute:
        LSecondiR->setText(QStringLiteral("00"));
        LminutiR->setText(ClockText::TwoDigit(MinutiR));
        break;
    case ClockStep::Hour:
        LSecondiR->setText(QStringLiteral("00"));
        LminutiR->setText(QStringLiteral("00"));
        LOreR->setText(ClockText::TwoDigit(OreR));
        break;
    }
}

void frmMain::Timer4_Timer()
{
    if (!bRunning)
        return;
    // Lamp: beam left, lit, beam right, dark.
    ++LampPhase;
    const std::array<ImageControl *, 4> lampSteps{FaroSX, FaroAC, FaroDX, FaroSp};
    if (LampPhase >= 1 && LampPhase <= 4) {
        for (int i = 0; i < 4; ++i)
            lampSteps[size_t(i)]->setVisible(i == LampPhase - 1);
        if (LampPhase == 4)
            LampPhase = 0;
    }
    // Status icon: the hand turns a circle in eight steps; the text is
    // cleared once per circle.
    ++StatusPhase;
    if (StatusPhase >= 1 && StatusPhase <= 8) {
        STB1->setPanelPicture(3, IL1.picture(StatusPhase));
        if (StatusPhase == 8) {
            STB1->setPanelText(3, QString());
            StatusPhase = 0;
        }
    }
}
