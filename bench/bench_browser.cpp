// Opens the saved-games browser over archives of one and of ten million games
// and prints how long it takes until the grid has painted, the memory it
// needed, and how long Ctrl+End and then Ctrl+Home take to repaint. Beside
// it, as the floor, a plain QTableView over an in-memory vector of as many
// rows. Each figure comes from a process of its own, so its memory peak is
// its own.

#include "app/Module1.h"
#include "archive/GameRecord.h"
#include "archive/frmGame.h"
#include "ui/Fonts.h"
#include "ui/TableGrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <vector>

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

// The floor: the games' numbers in memory, the same seven columns.
class VectorModel final : public QAbstractTableModel {
public:
    explicit VectorModel(qint64 records) : m_games(size_t(records - 1))
    {
        for (size_t n = 0; n < m_games.size(); ++n)
            m_games[n] = int(n + 1);
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_games.size()) + 1;
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 7; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || size_t(index.row()) >= m_games.size())
            return {};
        return index.column() == 0 ? QStringLiteral("Varko%1").arg(m_games[size_t(index.row())])
                                   : QStringLiteral("00:00:00");
    }

private:
    std::vector<int> m_games;
};

// Notes when a viewport has painted.
class PaintWatch final : public QObject {
public:
    bool painted = false;

    // Milliseconds from now until the next paint has been handled.
    double untilPainted(QElapsedTimer &clock)
    {
        while (!painted)
            QCoreApplication::processEvents();
        painted = false;
        return clock.nsecsElapsed() / 1e6;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

struct Figures {
    int rows;
    double paintMs, endMs, homeMs, aboveMiB;
};

// Ctrl+`key` on the view; milliseconds until it has repainted.
double keyToPaint(QAbstractItemView *view, PaintWatch &watch, Qt::Key key)
{
    QElapsedTimer clock;
    clock.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
    QApplication::sendEvent(view, &press);
    return watch.untilPainted(clock);
}

// Opens `window` (built by `open`, with `view` inside it) and takes the figures.
template <class Open> Figures measure(Open &&open)
{
    const qint64 baseline = peakKiB();
    QElapsedTimer clock;
    clock.start();
    auto [window, view] = open();
    PaintWatch watch;
    view->viewport()->installEventFilter(&watch);
    window->show();
    Figures f{view->model()->rowCount(), watch.untilPainted(clock), 0, 0, 0};
    f.aboveMiB = (peakKiB() - baseline) / 1024.0;
    view->setFocus();
    f.endMs = keyToPaint(view, watch, Qt::Key_End);
    f.homeMs = keyToPaint(view, watch, Qt::Key_Home);
    return f;
}

int run(const QString &kind, const QString &path, qint64 records)
{
    Figures f;
    std::unique_ptr<QWidget> keep;
    if (kind == QLatin1String("browser")) {
        Module1.ArchivePath = path;
        f = measure([&] {
            keep = std::make_unique<frmGame>();
            return std::pair{keep.get(), static_cast<QAbstractItemView *>(keep->findChild<TableGrid *>())};
        });
    } else {
        VectorModel model(records);
        f = measure([&] {
            auto *view = new QTableView;
            view->setModel(&model);
            view->resize(445, 164);
            keep.reset(view);
            return std::pair{keep.get(), static_cast<QAbstractItemView *>(view)};
        });
    }
    const char *label = kind == QLatin1String("browser") ? "browser" : "floor: QTableView";
    std::printf("%-20s %10d %12.1f %13.1f %13.1f %14.1f\n", label, f.rows, f.paintMs, f.endMs, f.homeMs,
                f.aboveMiB);
    return 0;
}

} // namespace

// Without arguments: every size, each figure by a run of this program with
// "--run browser|floor ARCHIVE RECORDS".
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Fonts::registerSubstitutes();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--run"))
        return run(args[2], args[3], args[4].toLongLong());
    for (const qint64 records : Sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Varko.dat"));
        if (!dir.isValid() || !writeArchive(path, records)) {
            std::fprintf(stderr, "cannot write the archive in %s\n", qPrintable(dir.path()));
            return 1;
        }
        std::printf(
            "%lld records (%lld bytes); targets: first paint <= %d ms, Ctrl+End and Ctrl+Home <= 50 ms "
            "each, memory above the program's own <= %d MiB\n",
            records, QFile(path).size(), records > 1'000'000 ? 150 : 100, records > 1'000'000 ? 150 : 50);
        std::printf("%-20s %10s %12s %13s %13s %14s\n", "", "rows", "1st paint ms", "Ctrl+End ms",
                    "Ctrl+Home ms", "MiB above own");
        std::fflush(stdout);
        for (const char *kind : {"browser", "floor"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--run"), QString::fromLatin1(kind), path, QString::number(records)});
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                return 1;
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
