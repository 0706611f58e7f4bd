#pragma once

#include <QDateTime>
#include <functional>

// Date and time of day, as the status bar shows them; tests fix them.
namespace WallClock {
QDateTime now();
void install(std::function<QDateTime()> source); // empty: the system clock
} // namespace WallClock
