#pragma once

#include <QString>

// Starts another program by its path without waiting for it.
namespace ProgramStarter {

// False when the program could not be started (an empty path never starts).
bool start(const QString &programPath);

class Seam {
public:
    virtual ~Seam() = default;
    virtual bool start(const QString &programPath) = 0;
};

// Installs a seam (not owned); nullptr goes back to really starting programs.
void installSeam(Seam *seam);

} // namespace ProgramStarter
