// Opens the saved-games browser over archives of one and of ten million games
// and prints how long it takes until the grid has painted, and the memory it
// needed. Each size runs in a process of its own, so its memory peak is its own.

#include "app/Module1.h"
#include "archive/GameRecord.h"
#include "archive/frmGame.h"
#include "ui/Fonts.h"
#include "ui/TableGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

constexpr qint64 Sizes[] = {1'000'000, 10'000'000};

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

// Numbered games Varko1, Varko2, ...: one record encoded, the name put in
// by hand, so ten million records take seconds to write.
bool writeArchive(const QString &path, qint64 records)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(GameRecord::idRecord(999));
    GameRecord g;
    g.WhitePlayer = QStringLiteral("Anna");
    g.BlackPlayer = QStringLiteral("Bruno");
    g.WhiteHours = g.WhiteMinutes = g.WhiteSeconds = QStringLiteral("00");
    g.BlackHours = g.BlackMinutes = g.BlackSeconds = QStringLiteral("00");
    g.TotalHours = g.TotalMinutes = g.TotalSeconds = QStringLiteral("00");
    g.Limit = g.WhiteLeft = g.BlackLeft = QStringLiteral("30");
    const QByteArray record = g.encode();
    QByteArray chunk;
    for (qint64 n = 1; n < records; ++n) {
        chunk += QByteArray("Varko" + QByteArray::number(n)).leftJustified(GameRecord::NameWidth, ' ', true);
        chunk += QByteArrayView(record).sliced(GameRecord::NameWidth);
        if (chunk.size() >= (1 << 20) || n == records - 1) {
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

// One size: writes the archive, opens the browser, prints the figures.
int measure(qint64 records)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Varko.dat"));
    if (!dir.isValid() || !writeArchive(path, records)) {
        std::fprintf(stderr, "cannot write the archive in %s\n", qPrintable(dir.path()));
        return 1;
    }
    Module1.ArchivePath = path;
    const qint64 baseline = peakKiB();

    QElapsedTimer clock;
    clock.start();
    frmGame browser;
    const qint64 constructedNs = clock.nsecsElapsed();
    TableGrid *grid = browser.findChild<TableGrid *>(QStringLiteral("dgGame"));
    PaintWatch watch;
    grid->viewport()->installEventFilter(&watch);
    browser.show();
    // The paint flag is set as the paint event arrives; the loop returns once
    // it has been handled.
    while (!watch.painted)
        QCoreApplication::processEvents();
    const qint64 paintedNs = clock.nsecsElapsed();
    const qint64 peak = peakKiB();

    std::printf("records:                %lld (%lld bytes)\n", records, QFile(path).size());
    std::printf("grid rows:              %d\n", grid->Rows());
    std::printf("construct (Form_Load):  %.1f ms\n", constructedNs / 1e6);
    std::printf("construct to 1st paint: %.1f ms (target <= 100 ms)\n", paintedNs / 1e6);
    std::printf("peak memory:            %.1f MiB absolute, %.1f MiB above baseline (target <= 50 MiB)\n",
                peak / 1024.0, (peak - baseline) / 1024.0);
    return 0;
}

} // namespace

// Without arguments: every size, each by a run of this program with
// "--records N".
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Fonts::registerSubstitutes();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--records"))
        return measure(args[2].toLongLong());
    for (const qint64 records : Sizes) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--records"), QString::number(records)});
        if (!run.waitForFinished(-1) || run.exitCode() != 0)
            return 1;
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
