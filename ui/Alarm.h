#pragma once

#include "app/Outside.h"

// The desktop's alarm sound when a player is over time.
namespace Alarm {

// Plays "alarm-clock-elapsed" of the freedesktop sound theme and returns at
// once; where no sound can be played, nothing happens.
void overTime();

// What sounds it: the desktop's sound server, or a test's recorder.
class Seam {
public:
    virtual ~Seam() = default;
    virtual void overTime() = 0;
};

} // namespace Alarm

template <> Alarm::Seam &Outside<Alarm::Seam>::real();
