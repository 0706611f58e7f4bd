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
#include "tests/tools/ForwardingFile.h"
#include "tests/tools/StressPlan.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Straight to the pipe: a line written is a line the parent gets, even if
// this process is killed right after.
bool report(const QByteArray &line)
{
    return std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size()) &&
           std::fflush(stdout) == 0;
}

// A kill leaves what was written in the system's cache, so syncing adds
// nothing to what these tests check but time; power cuts are the simulated
// disk's. Every other call is the real one.
class UnsyncedFile final : public ForwardingFile {
public:
    using ForwardingFile::ForwardingFile;
    IoResult sync() override { return IoResult::success(); }
};

class UnsyncedDisk final : public ForwardingFileSystem {
public:
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override
    {
        std::unique_ptr<FileHandle> file = real.open(path, mode, reason);
        return file ? std::make_unique<UnsyncedFile>(std::move(file)) : nullptr;
    }
    IoResult syncFolderOf(const QString &) override { return IoResult::success(); }
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 5 && argc != 6)
        return 64;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int first = std::atoi(argv[3]);
    const int steps = std::atoi(argv[4]);
    const int pause = argc == 6 ? std::atoi(argv[5]) : 0;
    char go = 0;
    if (pause > 0 && ::read(STDIN_FILENO, &go, 1) != 1)
        return 3;

    UnsyncedDisk disk;
    FileSystem::install(&disk);
    const ArchiveStartup started = openArchiveAtStartup(folder);
    if (!started.ok) {
        report(StressPlan::line('F', first, QStringLiteral("start-up: ") + started.message));
        return 2;
    }
    for (int step = first; step < first + steps; ++step) {
        Module1.GameName = StressPlan::nameFor(prefix, step, Module1.GameName);
        if (!report(StressPlan::line('B', step,
                                     Module1.GameName.isEmpty() ? QStringLiteral("-") : Module1.GameName)))
            return 3;
        const SaveResult saved = saveGame(StressPlan::snapshotOf(step));
        if (!saved.ok) {
            report(StressPlan::line('F', step, saved.message));
            return 2;
        }
        if (!report(StressPlan::line('D', step, QString::number(saved.record) + u' ' + Module1.GameName)))
            return 3;
        if (pause > 0)
            ::usleep(useconds_t(pause));
    }
    return 0;
}
