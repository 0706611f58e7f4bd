// Opens the saved-games browser over an archive of a million games and prints
// how long it takes until the grid has painted, and the memory it needed.

#include "app/Module1.h"
#include "archive/GameRecord.h"
#include "archive/frmGame.h"
#include "ui/FlexGrid.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

constexpr int Records = 1'000'000;

// Peak resident memory of this process, in KiB (VmHWM).
qint64 peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QTextStream in(&status);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        if (line.startsWith(QLatin1String("VmHWM:")))
            return line.section(u' ', 1, -1, QString::SectionSkipEmpty).section(u' ', 0, 0).toLongLong();
    }
    return -1;
}

bool writeArchive(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(GameRecord::idRecord(Records - 1));
    GameRecord g;
    g.WhitePlayer = QStringLiteral("Anna");
    g.BlackPlayer = QStringLiteral("Bruno");
    g.WhiteHours = g.WhiteMinutes = g.WhiteSeconds = QStringLiteral("00");
    g.BlackHours = g.BlackMinutes = g.BlackSeconds = QStringLiteral("00");
    g.TotalHours = g.TotalMinutes = g.TotalSeconds = QStringLiteral("00");
    g.Limit = g.WhiteLeft = g.BlackLeft = QStringLiteral("30");
    QByteArray chunk;
    for (int n = 1; n < Records; ++n) {
        g.RecordName = QStringLiteral("Varko%1").arg(n);
        chunk += g.encode();
        if (chunk.size() >= (1 << 20) || n == Records - 1) {
            if (file.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return file.flush();
}

// Notes when the grid's viewport has painted.
class PaintWatch final : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Fonts::registerSubstitutes();
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Varko.dat"));
    if (!dir.isValid() || !writeArchive(path)) {
        std::fprintf(stderr, "cannot write the archive in %s\n", qPrintable(dir.path()));
        return 1;
    }
    Module1.ArchivePath = path;
    const qint64 baseline = peakKiB();

    QElapsedTimer clock;
    clock.start();
    frmGame browser;
    const qint64 constructedNs = clock.nsecsElapsed();
    FlexGrid *grid = browser.findChild<FlexGrid *>(QStringLiteral("dgGame"));
    PaintWatch watch;
    grid->viewport()->installEventFilter(&watch);
    browser.show();
    // The paint flag is set as the paint event arrives; the loop returns once
    // it has been handled.
    while (!watch.painted)
        QCoreApplication::processEvents();
    const qint64 paintedNs = clock.nsecsElapsed();
    const qint64 peak = peakKiB();

    std::printf("records:                %d (%lld bytes)\n", Records, QFile(path).size());
    std::printf("grid rows:              %d\n", grid->Rows());
    std::printf("construct (Form_Load):  %.1f ms\n", constructedNs / 1e6);
    std::printf("construct to 1st paint: %.1f ms (target <= 100 ms)\n", paintedNs / 1e6);
    std::printf("peak memory:            %.1f MiB absolute, %.1f MiB above baseline (target <= 50 MiB)\n",
                peak / 1024.0, (peak - baseline) / 1024.0);
    return 0;
}
