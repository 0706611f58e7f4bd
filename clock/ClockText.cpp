#include "clock/ClockText.h"

namespace ClockText {

QString TwoDigit(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString NumberText(int n)
{
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

} // namespace ClockText

ClockStep advanceClock(int &seconds, int &minutes, int &hours)
{
    if (++seconds < 60)
        return ClockStep::Second;
    seconds = 0;
    if (++minutes < 60)
        return ClockStep::Minute;
    minutes = 0;
    ++hours;
    return ClockStep::Hour;
}
