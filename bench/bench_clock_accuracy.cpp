// How exactly the clocks keep time: a game of VARKO_BENCH_HANDOVERS turns
// (200 unless set) handed over with the space bar at random moments from
// 0.1 s to 2 s, in real time on the real event loop. At the end each
// player's clock is set against how long his turns really lasted on the
// monotonic clock. Goal: less than 1 s off for each player.
#include "bench/bench_support.h"
#include "clock/frmMain.h"
#include "ui/AppInfo.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

struct Game {
    explicit Game(frmMain &w) : window(w) {}
    frmMain &window;
    QRandomGenerator random{20240611};
    QElapsedTimer since;
    qint64 turnStarted = 0;
    qint64 whiteNs = 0, blackNs = 0;
    bool whiteToMove = true;
    int handovers = 0;
    int wanted = 0;

    void scheduleNext()
    {
        QTimer::singleShot(100 + int(random.bounded(1901)), Qt::PreciseTimer, [this] { handOver(); });
    }

    void handOver()
    {
        const qint64 now = since.nsecsElapsed();
        (whiteToMove ? whiteNs : blackNs) += now - turnStarted;
        turnStarted = now;
        window.Form_KeyPress(32);
        whiteToMove = !whiteToMove;
        if (++handovers == wanted)
            QApplication::quit();
        else
            scheduleNext();
    }
};

void report(const char *player, int clock, qint64 turnsNs)
{
    const double lasted = double(turnsNs) / 1e9;
    const double error = clock - lasted;
    // A clock of whole seconds can show no more than the whole seconds run.
    std::printf(
        "%s: clock %s (%d s), turns lasted %.3f s (%d whole seconds), off by %+.3f s (goal: under 1 s: "
        "%s)\n",
        player, qPrintable(BenchSupport::clockText(clock)), clock, lasted, int(lasted), error,
        std::abs(error) < 1.0 ? "met" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Fonts::registerSubstitutes();
    QTemporaryDir folder; // the archive goes here, not beside the program
    App::overridePath(folder.path());

    frmMain window;
    window.show();
    BenchSupport::answerSettings(120);
    Game game(window);
    game.wanted = BenchSupport::fromEnvironment("VARKO_BENCH_HANDOVERS", 200);
    window.Toolbar1_ButtonClick(1, QStringLiteral("Start"));
    game.since.start(); // White's clock runs from here
    game.scheduleNext();
    app.exec();

    std::printf("%d hand-overs in %.1f s\n", game.handovers, double(game.since.nsecsElapsed()) / 1e9);
    report("White", window.Ore * 3600 + window.Minuti * 60 + window.Secondi, game.whiteNs);
    report("Black", window.OreG * 3600 + window.MinutiG * 60 + window.SecondiG, game.blackNs);
    return 0;
}
