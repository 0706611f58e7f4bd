// The real program's start under a virtual X display: from the moment its
// process starts until the window "Varko Chronometer" is mapped, against a
// plain Qt window with as many controls (goal: at most 1.15 times as long),
// and its peak memory once idle (goal: at most 40 MiB).
//
// Starts its own Xvfb; VARKO_BENCH_RUNS starts of each (7 unless set), the
// median counts. The window is found by polling xwininfo every few
// milliseconds, which costs each start a few milliseconds of its own.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int PollMs = 5;

int runs()
{
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("VARKO_BENCH_RUNS", &ok);
    return ok && wanted > 0 ? wanted : 7;
}

QByteArray xwininfo(const QProcessEnvironment &env, const QStringList &arguments)
{
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral("xwininfo"), arguments);
    probe.waitForFinished(5000);
    return probe.readAllStandardOutput();
}

// The window whose title begins with `title` (the window system may add the
// program's name to it), once it is mapped.
class WindowWatch {
public:
    WindowWatch(const QProcessEnvironment &env, const QString &title)
        : m_env(env), m_title('"' + title.toUtf8())
    {
    }

    bool mapped()
    {
        if (m_id.isEmpty()) {
            for (const QByteArray &line :
                 xwininfo(m_env, {QStringLiteral("-root"), QStringLiteral("-tree")}).split('\n')) {
                if (line.contains(m_title))
                    m_id = QString::fromLatin1(line.trimmed().split(' ').first());
            }
            if (m_id.isEmpty())
                return false;
        }
        return xwininfo(m_env, {QStringLiteral("-id"), m_id}).contains("Map State: IsViewable");
    }

private:
    const QProcessEnvironment &m_env;
    QByteArray m_title;
    QString m_id;
};

// A display of its own: the first free number from :90 on.
std::optional<QString> startXvfb(QProcess &xvfb)
{
    for (int n = 90; n < 130; ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        const QString display = QStringLiteral(":%1").arg(n);
        xvfb.start(QStringLiteral("Xvfb"),
                   {display, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!xvfb.waitForStarted(5000))
            return std::nullopt;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        for (int tries = 0; tries < 200 && xvfb.state() == QProcess::Running; ++tries) {
            QProcess probe;
            probe.setProcessEnvironment(env);
            probe.start(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
            if (probe.waitForFinished(5000) && probe.exitCode() == 0)
                return display;
            xvfb.waitForFinished(25);
        }
        xvfb.kill();
        xvfb.waitForFinished();
    }
    return std::nullopt;
}

// The peak resident size of a process so far, in KiB.
qint64 peakKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

struct Start {
    double ms = -1; // process start to window mapped
    qint64 peakKiB = -1;
};

Start startOnce(const QString &program, const QString &title, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QFileInfo(program).path());
    QElapsedTimer since;
    since.start();
    p.start(program, {});
    Start start;
    if (!p.waitForStarted(10000))
        return start;
    WindowWatch window(env, title);
    while (p.state() == QProcess::Running && since.elapsed() < 20000) {
        if (window.mapped()) {
            start.ms = double(since.nsecsElapsed()) / 1e6;
            break;
        }
        p.waitForFinished(PollMs);
    }
    p.waitForFinished(1000); // idle for a second before the memory is read
    start.peakKiB = peakKiB(p.processId());
    p.kill();
    p.waitForFinished(5000);
    return start;
}

template <typename T> T median(QList<T> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? T(-1) : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty()) {
        std::printf(
            "program start: skipped, Xvfb or xwininfo is missing (scripts/install-deps brings them)\n");
        return 0;
    }
    // The program keeps its archive beside itself: a copy in a scratch
    // folder, so the figures never touch an archive of the build.
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("varko"));
    if (!folder.isValid() || !QFile::copy(QStringLiteral(VARKO_PROGRAM), program)) {
        std::fprintf(stderr, "bench_program: cannot copy the program into a scratch folder\n");
        return 1;
    }
    QProcess xvfb;
    const std::optional<QString> display = startXvfb(xvfb);
    if (!display) {
        std::fprintf(stderr, "bench_program: Xvfb did not start\n");
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), *display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    QList<double> varkoMs, minimalMs;
    QList<qint64> varkoKiB, minimalKiB;
    // One start of each first, so both find the disk cache and the font cache warm.
    startOnce(program, QStringLiteral("Varko Chronometer"), env);
    startOnce(QStringLiteral(VARKO_MINIMAL_WINDOW), QStringLiteral("Minimal Window"), env);
    for (int run = 0; run < runs(); ++run) {
        const Start varko = startOnce(program, QStringLiteral("Varko Chronometer"), env);
        const Start minimal =
            startOnce(QStringLiteral(VARKO_MINIMAL_WINDOW), QStringLiteral("Minimal Window"), env);
        if (varko.ms < 0 || minimal.ms < 0) {
            std::fprintf(stderr, "bench_program: a window never appeared\n");
            xvfb.kill();
            return 1;
        }
        varkoMs.append(varko.ms);
        minimalMs.append(minimal.ms);
        varkoKiB.append(varko.peakKiB);
        minimalKiB.append(minimal.peakKiB);
    }
    xvfb.terminate();
    xvfb.waitForFinished(5000);

    const double ratio = median(varkoMs) / median(minimalMs);
    const double varkoMiB = double(median(varkoKiB)) / 1024.0;
    std::printf("start to idle window (median of %d, Xvfb): Varko %.0f ms, minimal window %.0f ms: %.2fx "
                "(goal <= 1.15x: %s)\n",
                int(varkoMs.size()), median(varkoMs), median(minimalMs), ratio,
                ratio <= 1.15 ? "met" : "MISSED");
    std::printf("peak RSS once idle: Varko %.1f MiB (goal <= 40 MiB: %s), minimal window %.1f MiB\n",
                varkoMiB, varkoMiB <= 40.0 ? "met" : "MISSED", double(median(minimalKiB)) / 1024.0);
    return 0;
}
