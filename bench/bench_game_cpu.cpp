// The CPU a running game costs: the real main window with the real clock,
// a game started through the settings dialog, then the event loop left alone
// for VARKO_BENCH_SECONDS (20 unless set). Goal: at most 1% of one core.
#include "bench/bench_support.h"
#include "clock/frmMain.h"
#include "ui/AppInfo.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Fonts::registerSubstitutes();
    QTemporaryDir folder; // the archive goes here, not beside the program
    App::overridePath(folder.path());
    const int seconds = BenchSupport::fromEnvironment("VARKO_BENCH_SECONDS", 20);

    frmMain window;
    window.show();
    BenchSupport::answerSettings(30);
    window.Toolbar1_ButtonClick(1, QStringLiteral("Start"));
    // Let showing the window and starting settle before counting.
    QTimer::singleShot(1000, &app, &QApplication::quit);
    app.exec();

    const double cpuBefore = BenchSupport::cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    const double cpu = BenchSupport::cpuSeconds() - cpuBefore;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;

    const double share = 100.0 * cpu / elapsed;
    std::printf(
        "running game, %s platform: %.3f s of CPU in %.1f s: %.2f%% of a core, %.2f s per minute of game "
        "(goal <= 1%%: %s)\n",
        qPrintable(QApplication::platformName()), cpu, elapsed, share, 60.0 * cpu / elapsed,
        share <= 1.0 ? "met" : "MISSED");
    std::printf("White's clock shows %s after %.1f s of White's turn\n",
                qPrintable(BenchSupport::clockText(window.Ore * 3600 + window.Minuti * 60 + window.Secondi)),
                elapsed + 1.0);
    return 0;
}
