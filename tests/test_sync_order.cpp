// Real saves on the real disk, traced by strace: the order in which the
// program's writes, syncs and removals reach the operating system. A power cut
// keeps a save whole only when the journal is written and synced, its folder
// synced, the archive written and synced, the journal removed and the folder
// synced again, in that order, before the save is reported done.
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

enum class Kind { Write, Sync, Unlink };
enum class Role { Journal, Archive, Folder };
struct Event {
    Kind kind;
    Role role;
};

// Joins the two halves strace prints of a call another thread interrupted.
class Unsplitter {
public:
    // The whole call without the process id; empty while only its first half is known.
    QString take(const QString &line)
    {
        static const QRegularExpression form(QStringLiteral("^(\\d+)\\s+(.*)$"));
        const QRegularExpressionMatch m = form.match(line);
        if (!m.hasMatch())
            return {};
        const QString pid = m.captured(1), call = m.captured(2);
        if (call.endsWith(QStringLiteral("<unfinished ...>"))) {
            m_halves[pid] = call.chopped(16);
            return {};
        }
        static const QRegularExpression resumed(QStringLiteral("^<\\.\\.\\. \\w+ resumed>"));
        const QRegularExpressionMatch r = resumed.match(call);
        return r.hasMatch() ? m_halves.take(pid) + call.mid(r.capturedLength()) : call;
    }

private:
    QHash<QString, QString> m_halves;
};

// The trace of the save tool cut into its steps: for each, the writes, syncs
// and removals of the journal, the archive and their folder. Every file
// descriptor is followed from the call that opened it to the one that closed it.
class TraceReader {
public:
    explicit TraceReader(const QString &folder)
        : m_folder(QDir::cleanPath(folder)), m_archive(m_folder + QStringLiteral("/Varko.dat")),
          m_journal(m_archive + QStringLiteral("-journal"))
    {
    }

    void read(const QString &line)
    {
        static const QRegularExpression form(QStringLiteral("^(\\w+)\\((.*)\\)\\s+=\\s+(-?\\d+)"));
        const QRegularExpressionMatch m = form.match(m_unsplit.take(line));
        const qint64 result = m.captured(3).toLongLong();
        if (!m.hasMatch() || result < 0)
            return;
        const QString call = m.captured(1), args = m.captured(2);
        const int fd = args.section(u',', 0, 0).toInt();
        static const QRegularExpression marker(QStringLiteral("^1, \"(begin|done) ([\\w-]+)\\\\n\""));
        const QRegularExpressionMatch mark =
            call == u"write" ? marker.match(args) : QRegularExpressionMatch();
        if (mark.hasMatch())
            m_step = mark.captured(1) == u"begin" ? mark.captured(2) : QString();
        else if (call.startsWith(u"open") || call == u"creat")
            m_paths[int(result)] = QDir::cleanPath(quoted(args));
        else if (call.startsWith(u"dup") || (call == u"fcntl" && args.contains(QStringLiteral("F_DUPFD"))))
            m_paths[int(result)] = m_paths.value(fd);
        else if (call == u"close")
            m_paths.remove(fd);
        else if (call.contains(QStringLiteral("write")))
            note(Kind::Write, m_paths.value(fd));
        else if (call == u"fsync" || call == u"fdatasync")
            note(Kind::Sync, m_paths.value(fd));
        else if (call.startsWith(u"unlink"))
            note(Kind::Unlink, QDir::cleanPath(quoted(args)));
    }

    QHash<QString, QList<Event>> steps;

private:
    static QString quoted(const QString &args)
    {
        static const QRegularExpression string(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
        return string.match(args).captured(1);
    }
    void note(Kind kind, const QString &path)
    {
        const std::optional<Role> role = path == m_journal   ? std::optional(Role::Journal)
                                         : path == m_archive ? std::optional(Role::Archive)
                                         : path == m_folder  ? std::optional(Role::Folder)
                                                             : std::nullopt;
        if (role && !m_step.isEmpty())
            steps[m_step].append({kind, *role});
    }

    const QString m_folder, m_archive, m_journal;
    Unsplitter m_unsplit;
    QHash<int, QString> m_paths;
    QString m_step;
};

QString shown(const QList<Event> &events)
{
    static const char *const kinds[] = {"write", "sync", "remove"}, *const roles[] = {"journal", "archive",
                                                                                      "folder"};
    QStringList calls;
    for (const Event &e : events)
        calls.append(QStringLiteral("%1 %2").arg(kinds[int(e.kind)], roles[int(e.role)]));
    return calls.join(QStringLiteral(", "));
}

// What a step did out of order; empty when it went as a save must.
QString outOfOrder(const QList<Event> &events)
{
    // The first event of that kind and role in [from, to); -1 when there is none.
    const auto find = [&events](Kind kind, Role role, qsizetype from, qsizetype to = -1) {
        for (qsizetype i = std::max<qsizetype>(from, 0); i < (to < 0 ? events.size() : to); ++i) {
            if (events[i].kind == kind && events[i].role == role)
                return i;
        }
        return qsizetype(-1);
    };
    qsizetype firstWrite = -1, lastWrite = -1, lastJournalWrite = -1;
    for (qsizetype i = 0; i < events.size(); ++i) {
        const bool archive = events[i].kind == Kind::Write && events[i].role == Role::Archive;
        firstWrite = archive && firstWrite < 0 ? i : firstWrite;
        lastWrite = archive ? i : lastWrite;
        if (firstWrite < 0 && events[i].kind == Kind::Write && events[i].role == Role::Journal)
            lastJournalWrite = i;
    }
    if (firstWrite < 0)
        return QStringLiteral("the archive was not written");
    if (lastJournalWrite < 0)
        return QStringLiteral("the archive was written before the journal");
    const qsizetype journalSync = find(Kind::Sync, Role::Journal, lastJournalWrite, firstWrite);
    if (journalSync < 0)
        return QStringLiteral("the archive was written before the journal was synced");
    if (find(Kind::Sync, Role::Folder, journalSync, firstWrite) < 0)
        return QStringLiteral("the archive was written before the journal's folder was synced");
    const qsizetype removal = find(Kind::Unlink, Role::Journal, firstWrite);
    if (removal < 0)
        return QStringLiteral("the journal was not removed");
    if (find(Kind::Sync, Role::Archive, lastWrite, removal) < 0)
        return QStringLiteral("the journal was removed before the archive was synced");
    if (find(Kind::Sync, Role::Folder, removal) < 0)
        return QStringLiteral("the folder was not synced after the journal was removed");
    return {};
}

} // namespace

class TestSyncOrder : public TestSupport::TestCase {
    Q_OBJECT

    QTemporaryDir m_dir;
    QHash<QString, QList<Event>> m_steps;

private slots:
    // The save tool, run once under strace.
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString folder = m_dir.filePath(QStringLiteral("archive")), trace = m_dir.filePath("trace");
        QVERIFY(QDir().mkdir(folder));
        QProcess strace;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // LeakSanitizer cannot run under ptrace; the other tests look for leaks.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
        strace.setProcessEnvironment(env);
        strace.start("strace",
                     {"-f", "-qq", "-s", "64", "-o", trace, "-e",
                      "trace=?open,openat,?openat2,?creat,close,dup,?dup2,dup3,fcntl,write,pwrite64,"
                      "writev,pwritev,?pwritev2,fsync,fdatasync,?unlink,unlinkat",
                      VARKO_REAL_SAVE, folder});
        QVERIFY2(
            strace.waitForStarted(10000),
            qPrintable("strace cannot be run (scripts/install-deps installs it): " + strace.errorString()));
        QVERIFY(strace.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(strace.readAllStandardError());
        QVERIFY2(strace.exitStatus() == QProcess::NormalExit && strace.exitCode() == 0,
                 qPrintable((errors.contains("ptrace") ? "strace cannot trace here, as it needs ptrace: "
                                                       : "the traced save failed: ") +
                            errors));
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        TraceReader reader(folder);
        while (!file.atEnd())
            reader.read(QString::fromLocal8Bit(file.readLine()).trimmed());
        m_steps = reader.steps;
    }

    void synced_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("start-up creates the archive") << "start-up";
        QTest::newRow("a numbered game appended, the counter rewritten") << "numbered";
        QTest::newRow("a game saved over itself") << "replaced";
    }
    void synced()
    {
        QFETCH(QString, step);
        const QList<Event> events = m_steps.value(step);
        const QString problem = outOfOrder(events);
        QVERIFY2(problem.isEmpty(), qPrintable(problem + "; the calls: " + shown(events)));
    }
};

VARKO_TEST_MAIN(TestSyncOrder)
#include "test_sync_order.moc"
