// Times the archive operations that touch every record, on archives of 1k,
// 100k and 1M records with a warm page cache. Prints the median of several runs.
#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"
#include "archive/SaveGame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Runs = 7;

bool writeArchive(const QString &path, int records)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block = GameRecord::idRecord(0);
    GameRecord game;
    game.WhitePlayer = "White";
    game.BlackPlayer = "Black";
    for (int n = 2; n <= records; ++n) {
        game.RecordName = QStringLiteral("G%1").arg(n);
        block += game.encode();
        if (block.size() >= (1 << 20) || n == records) {
            if (file.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    // On disk before timing, so background write-back does not blur the figures.
    return file.flush() && ::fsync(file.handle()) == 0;
}

// Median in milliseconds; a failed run aborts the benchmark.
double medianMs(const std::function<bool()> &run)
{
    if (!run()) // warms the cache
        std::exit(1);
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run()) {
            std::exit(1);
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool reported(bool ok, const QString &message)
{
    if (!ok)
        std::fprintf(stderr, "bench_archive: %s\n", qPrintable(message));
    return ok;
}

bool countRecords()
{
    const auto file = ArchiveFile::open(Module1.ArchivePath, ArchiveFile::Access::Read);
    return reported(file && (*file)->count() > 0, file.error());
}

bool findAbsent()
{
    const Reported<qint64> found = FindGame(QStringLiteral("Nobody"));
    return reported(found && *found == 0,
                    found ? QStringLiteral("found a game never saved") : found.message());
}

bool saveAs(const QString &name)
{
    Module1.GameName = name;
    GameSnapshot game{"White", "Black", "00", "12", "07", "00",  "09",
                      "41",    "00",    "21", "48", 30,   " 18", " 21"};
    const Reported<qint64> saved = saveGame(game);
    return reported(bool(saved), saved.message());
}

void benchmark(const QTemporaryDir &dir, int records)
{
    Module1 = Module1Vars{};
    Module1.ArchivePath = dir.filePath(QStringLiteral("Varko%1.dat").arg(records));
    if (!writeArchive(Module1.ArchivePath, records)) {
        std::fprintf(stderr, "bench_archive: cannot write %s\n", qPrintable(Module1.ArchivePath));
        std::exit(1);
    }
    int appended = 0;
    const double count = medianMs(countRecords);
    const double find = medianMs(findAbsent);
    // Record 2 is the last one a backward search reaches: the slowest replacement.
    const double replace = medianMs([] { return saveAs(QStringLiteral("G2")); });
    const double append = medianMs([&appended] { return saveAs(QStringLiteral("New%1").arg(++appended)); });
    const double numbered = medianMs([] { return saveAs(QString()); });
    std::printf("bench_archive records=%-8d count=%.3f ms find_absent=%.2f ms count+find=%.2f ms "
                "save_replace=%.2f ms save_append=%.2f ms save_numbered=%.2f ms\n",
                records, count, find, count + find, replace, append, numbered);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/bench_archive-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_archive: no temporary folder\n");
        return 1;
    }
    std::printf("bench_archive: median of %d warm runs; saves include fsync\n", Runs);
    for (const int records : {1000, 100000, 1000000})
        benchmark(dir, records);
    return 0;
}
