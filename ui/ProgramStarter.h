#pragma once

#include "app/Outside.h"

#include <QString>

// Starts another program by its path without waiting for it.
namespace ProgramStarter {

// False when the program could not be started (an empty path never starts).
bool start(const QString &programPath);

// What starts it: the system, or a test's recorder.
class Seam {
public:
    virtual ~Seam() = default;
    virtual bool start(const QString &programPath) = 0;
};

} // namespace ProgramStarter

template <> ProgramStarter::Seam &Outside<ProgramStarter::Seam>::real();
