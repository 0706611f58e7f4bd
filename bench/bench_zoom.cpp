// How long the main window takes, in the middle of a game, to show each zoom
// step and to go full screen: the key handled, the face scaled and the whole
// window painted at once (a forced paint, so all the drawing is counted).
// Goals: a step within 50 ms, full screen within 100 ms, for the median.
// VARKO_BENCH_RUNS rounds (9 unless set); the median and the slowest are
// printed.
#include "bench/bench_support.h"
#include "clock/frmMain.h"
#include "ui/AppInfo.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

double timedKey(frmMain &window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QElapsedTimer since;
    since.start();
    BenchSupport::press(window, key, modifiers);
    QCoreApplication::sendPostedEvents();
    window.repaint();
    return double(since.nsecsElapsed()) / 1e6;
}

void report(const char *what, QList<double> ms, double goal)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.1f ms, slowest %.1f ms of %d (goal <= %.0f ms: %s)\n", what,
                ms.at(ms.size() / 2), ms.last(), int(ms.size()), goal, ms.last() <= goal ? "met" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir folder; // the archive and the screen's description go here
    BenchSupport::fullHdWhenOffscreen(folder.path());
    QApplication app(argc, argv);
    Fonts::registerSubstitutes();
    App::overridePath(folder.path());
    const int runs = BenchSupport::fromEnvironment("VARKO_BENCH_RUNS", 9);

    frmMain window;
    window.show();
    BenchSupport::answerSettings(30);
    window.Toolbar1_ButtonClick(1, QStringLiteral("Start"));
    QTimer::singleShot(500, &app, &QApplication::quit);
    app.exec();

    QList<double> steps, fullScreen, back;
    QSize largest;
    for (int run = 0; run < runs; ++run) {
        // Up through every step the screen takes, then back one by one.
        for (int step = 0; step < 6; ++step) {
            steps << timedKey(window, Qt::Key_Plus, Qt::ControlModifier);
            largest = largest.expandedTo(window.size());
        }
        for (int step = 0; step < 6; ++step)
            steps << timedKey(window, Qt::Key_Minus, Qt::ControlModifier);
        fullScreen << timedKey(window, Qt::Key_F11);
        back << timedKey(window, Qt::Key_Escape);
        QCoreApplication::processEvents();
    }
    std::printf("%s platform, screen %dx%d, steps up to a window of %dx%d\n",
                qPrintable(QApplication::platformName()), window.screen()->size().width(),
                window.screen()->size().height(), largest.width(), largest.height());
    report("zoom step repainted", steps, 50);
    report("full screen entered and repainted", fullScreen, 100);
    report("full screen left and repainted", back, 100);
    return 0;
}
