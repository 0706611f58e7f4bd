// Starts up in a folder and saves games there through the real file system,
// as the program does, and marks on standard output where each step begins
// and ends, so a trace of its system calls can be cut into the steps.
//
// Usage: varko_real_save <folder>
// Steps: "start-up" (creates the archive), "numbered" (a game without a name:
// appended, with the id record), "replaced" (the same game saved over itself).

#include "app/Module1.h"
#include "archive/ArchiveStartup.h"
#include "tests/tools/StressPlan.h"

#include <cstdio>
#include <unistd.h>

namespace {

// One write straight to the pipe, which the trace shows as it is.
bool mark(const char *what, const char *step)
{
    char line[64];
    const int size = std::snprintf(line, sizeof line, "%s %s\n", what, step);
    return size > 0 && ::write(STDOUT_FILENO, line, size_t(size)) == size;
}

bool save(const char *step, int n)
{
    if (!mark("begin", step))
        return false;
    const Reported<qint64> saved = saveGame(StressPlan::snapshotOf(n));
    if (!saved)
        std::fprintf(stderr, "%s: %s\n", step, qPrintable(saved.message()));
    return saved && mark("done", step);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 64;
    if (!mark("begin", "start-up"))
        return 3;
    const Reported<void> started = openArchiveAtStartup(QString::fromLocal8Bit(argv[1]));
    if (!started) {
        std::fprintf(stderr, "start-up: %s\n", qPrintable(started.message()));
        return 2;
    }
    return mark("done", "start-up") && save("numbered", 1) && save("replaced", 2) ? 0 : 2;
}
