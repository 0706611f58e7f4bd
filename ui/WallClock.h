#pragma once

#include "app/Outside.h"

#include <QDateTime>

// Date and time of day, as the status bar shows them; tests fix them.
namespace WallClock {

QDateTime now();

// Where they come from: the system clock, or a test's fixed time.
class Source {
public:
    virtual ~Source() = default;
    virtual QDateTime now() const = 0;
};

} // namespace WallClock

template <> WallClock::Source &Outside<WallClock::Source>::real();
