#pragma once

#include <QString>

// How the clock window writes numbers.
namespace ClockText {

// At least two digits, padded with a leading zero: 7 -> "07", 100 -> "100".
QString TwoDigit(int n);

// A number as the limit labels and move reports show it: a blank before a
// number that is not negative, a minus sign before one that is (30 -> " 30").
QString NumberText(int n);

} // namespace ClockText

// One step of a count-up clock of seconds, minutes and hours.
enum class ClockStep { Second, Minute, Hour };
ClockStep advanceClock(int &seconds, int &minutes, int &hours);

// A clock's whole minutes, hours included: what move reports subtract.
inline int wholeMinutes(int minutes, int hours)
{
    return hours * 60 + minutes;
}
