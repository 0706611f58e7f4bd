// libFuzzer target: every input is an archive file, sent through every path
// of the program that reads one. A broken expectation aborts, so the fuzzer
// keeps the input like a crash.

#include "fuzz/ArchiveExercise.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

// In memory where the machine has it: saves sync the file, and on a real disk
// that would make each input cost milliseconds.
QString scratchParent()
{
    const QString shm = QStringLiteral("/dev/shm");
    return QDir(shm).exists() ? shm : QDir::tempPath();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Lives until the process ends and is never destroyed: libFuzzer leaves
    // through exit(), when the platform plugin's statics may already be gone.
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A folder per input: libFuzzer may end the process without running
    // destructors, and a folder kept for the whole run would stay behind.
    const QTemporaryDir folder(scratchParent() + QStringLiteral("/varko-fuzz-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "fuzz_archive: no scratch folder\n");
        std::abort();
    }
    const QStringList broken =
        exerciseArchive(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), folder.path());
    if (broken.isEmpty())
        return 0;
    for (const QString &line : broken)
        std::fprintf(stderr, "fuzz_archive: %s\n", qPrintable(line));
    std::abort();
}
