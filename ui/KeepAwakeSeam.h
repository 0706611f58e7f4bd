#pragma once

#include "app/Outside.h"

namespace KeepAwake {

// What keeps the screen awake: the desktop's screen saver service, or a
// test's stand-in. A header of its own, so that the service can implement it
// without seeing the policy that drives it.
class Seam {
public:
    virtual ~Seam() = default;
    virtual void inhibit() = 0;
    virtual void release() = 0;

private:
    // Kept with the one it was asked of, so a stand-in starts without a hold.
    friend void sync(bool gameRunning);
    bool m_held = false;
};

} // namespace KeepAwake

template <> KeepAwake::Seam &Outside<KeepAwake::Seam>::real();
