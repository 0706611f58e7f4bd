#pragma once

// The desktop's alarm sound when a player is over time.
namespace Alarm {

// Plays "alarm-clock-elapsed" of the freedesktop sound theme and returns at
// once; where no sound can be played, nothing happens.
void overTime();

class Seam {
public:
    virtual ~Seam() = default;
    virtual void overTime() = 0;
};

// Installs a seam (not owned); nullptr goes back to the real sound.
void installSeam(Seam *seam);

} // namespace Alarm
