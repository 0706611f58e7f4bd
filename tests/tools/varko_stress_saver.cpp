// Saves games into an archive in a loop, as a running copy of the program
// would, and reports each save on standard output before it begins and once it
// has completed. The stress tests kill it at random moments, or run two of it
// at once, and then check the archive against what it reported.
//
// Usage: varko_stress_saver <folder> <name prefix> <first step> <steps> [pause]
// pause: microseconds between two saves, as a user takes time between them;
// with a pause, the saver first waits for a line on standard input, so two
// savers can be let go at the same moment.

#include "app/Module1.h"
#include "archive/ArchiveStartup.h"
#include "tests/common/FaultyDisk.h"
#include "tests/tools/StressPlan.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// A line of the report, read by StressPlan::parse(). Straight to the pipe: a line written is a line the
// parent gets, even if this process is killed right after.
bool report(char tag, int step, const QString &rest)
{
    const QByteArray line =
        tag + (' ' + QByteArray::number(step) + ' ' + QString(rest).replace(u'\n', u' ').toUtf8()) + '\n';
    return std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size()) &&
           std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 5 && argc != 6)
        return 64;
    const int first = std::atoi(argv[3]), steps = std::atoi(argv[4]),
              pause = argc == 6 ? std::atoi(argv[5]) : 0;
    char go = 0;
    if (pause > 0 && ::read(STDIN_FILENO, &go, 1) != 1)
        return 3;
    // Power cuts are the simulated disk's; a kill loses nothing a sync would keep.
    Disk disk;
    disk.syncs = false;
    Outside<FileSystem>::replace(disk);
    const Reported<void> started = openArchiveAtStartup(QString::fromLocal8Bit(argv[1]));
    if (!started)
        return report('F', first, QStringLiteral("start-up: ") + started.message()) ? 2 : 3;
    for (int step = first; step < first + steps; ++step) {
        Module1.GameName = StressPlan::nameFor(QString::fromLocal8Bit(argv[2]), step, Module1.GameName);
        if (!report('B', step, Module1.GameName.isEmpty() ? QStringLiteral("-") : Module1.GameName))
            return 3;
        const Reported<qint64> saved = saveGame(StressPlan::snapshotOf(step));
        if (!saved)
            return report('F', step, saved.message()) ? 2 : 3;
        if (!report('D', step, QString::number(*saved) + u' ' + Module1.GameName))
            return 3;
        if (pause > 0)
            ::usleep(useconds_t(pause));
    }
    return 0;
}
