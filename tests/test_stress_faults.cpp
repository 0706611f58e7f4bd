// Every file operation of every archive step made to fail in turn: start-up,
// saving, the saved-games browser and restoring. Each failure must come back
// as a message that names the reason, leave the archive byte for byte as it
// was, and leave nothing behind that stops the same step from working once
// the disk is sound again.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveStartup.h"
#include "archive/FileSystem.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "archive/SaveGame.h"
#include "archive/frmGame.h"
#include "tests/tools/ForwardingFile.h"
#include "tests/tools/StressPlan.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <cstring>

namespace {

enum class Call { Open, Lock, Size, Read, Write, Sync, Truncate };
constexpr int Calls = 7;

QString systemSays(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

struct Fault {
    Call call = Call::Open;
    QString reason;            // what the system says
    qint64 written = 0;        // a failing write: this much reaches the file first
    bool reportsShort = false; // the write stops short and says how much it wrote
};

// The real file system with one call failing: the nth of its kind, counted
// over every file opened.
class Disk final : public FileSystem {
public:
    explicit Disk(FileSystem &real) : m_real(real) {}

    void arm(const Fault &fault, int nth)
    {
        m_fault = fault;
        m_nth = nth;
        m_calls.fill(0);
        m_tripped = false;
    }
    void disarm() { m_nth = 0; }
    // Every file under `folder` cannot be opened, as in a read-only folder.
    void refuseUnder(const QString &folder) { m_refused = folder; }
    bool tripped() const { return m_tripped; }
    const Fault &fault() const { return m_fault; }

    // True when this call is the one to fail.
    bool trips(Call call)
    {
        const bool fails = m_nth > 0 && call == m_fault.call && ++m_calls[size_t(call)] == m_nth;
        m_tripped = m_tripped || fails;
        return fails;
    }

    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override;

private:
    FileSystem &m_real;
    QString m_refused;
    Fault m_fault;
    int m_nth = 0;
    std::array<int, Calls> m_calls{};
    bool m_tripped = false;
};

class DiskFile final : public ForwardingFile {
public:
    DiskFile(std::unique_ptr<FileHandle> real, Disk &disk) : ForwardingFile(std::move(real)), m_disk(disk) {}

    IoResult tryLockExclusive() override
    {
        return m_disk.trips(Call::Lock) ? failed() : real().tryLockExclusive();
    }
    IoResult size() override { return m_disk.trips(Call::Size) ? failed() : real().size(); }
    IoResult readAt(qint64 offset, char *buffer, qint64 length) override
    {
        return m_disk.trips(Call::Read) ? failed() : real().readAt(offset, buffer, length);
    }
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override
    {
        if (!m_disk.trips(Call::Write))
            return real().writeAt(offset, data, length);
        const qint64 part = std::min(length, m_disk.fault().written);
        if (part > 0)
            real().writeAt(offset, data, part);
        return m_disk.fault().reportsShort ? IoResult::success(part) : failed();
    }
    IoResult truncate(qint64 length) override
    {
        return m_disk.trips(Call::Truncate) ? failed() : real().truncate(length);
    }
    IoResult sync() override { return m_disk.trips(Call::Sync) ? failed() : real().sync(); }

private:
    IoResult failed() const { return IoResult::failure(m_disk.fault().reason); }
    Disk &m_disk;
};

std::unique_ptr<FileHandle> Disk::open(const QString &path, Mode mode, QString *reason)
{
    if (!m_refused.isEmpty() && path.startsWith(m_refused)) {
        *reason = systemSays(EROFS);
        return nullptr;
    }
    if (trips(Call::Open)) {
        *reason = m_fault.reason;
        return nullptr;
    }
    std::unique_ptr<FileHandle> file = m_real.open(path, mode, reason);
    return file ? std::make_unique<DiskFile>(std::move(file), *this) : nullptr;
}

enum class Step {
    StartupExisting,   // reading the id counter of an archive
    StartupFirstRun,   // creating the archive
    StartupFallback,   // creating it in the user's folder: the program's is read-only
    SaveNumbered,      // a new numbered game and the id record
    SaveNew,           // a new named game, appended
    SaveReplacing,     // a named game over its own record
    SaveIntoEmptyFile, // id record and game into a file without records
    Browse,            // the list model: opening, then every cell
    BrowseWindow,      // the browser window over it
    Restore,
    Find,
};

struct Outcome {
    bool ok = true;
    QString message;
    int blankRows = 0; // game rows the browser showed empty
};

QByteArray someArchive()
{
    return GameRecord::idRecord(2) + StressPlan::recordOf(10, QStringLiteral("Varko1")) +
           StressPlan::recordOf(12, QStringLiteral("Blitz")) + StressPlan::recordOf(14, QStringLiteral("Varko2"));
}

GameSnapshot someSnapshot()
{
    return StressPlan::snapshotOf(77);
}

Outcome outcomeOf(bool ok, const QString &message)
{
    return {ok, message, 0};
}

Outcome browse()
{
    GameListModel model;
    QString reason;
    if (!model.open(Module1.ArchivePath, &reason))
        return outcomeOf(false, reason);
    Outcome outcome;
    for (int row = 0; row + 1 < model.rowCount(); ++row)
        outcome.blankRows += model.data(model.index(row, 0)).toString().isEmpty() ? 1 : 0;
    return outcome;
}

Outcome browseWindow()
{
    TestSupport::boxes().reset();
    frmGame browser;
    const auto &shown = TestSupport::boxes().shown;
    return shown.isEmpty() ? Outcome{} : outcomeOf(false, shown.last().prompt);
}

Outcome run(Step step, const QString &folder)
{
    switch (step) {
    case Step::StartupExisting:
    case Step::StartupFirstRun:
    case Step::StartupFallback: {
        const ArchiveStartup started = openArchiveAtStartup(folder);
        return outcomeOf(started.ok, started.message);
    }
    case Step::SaveNumbered:
    case Step::SaveNew:
    case Step::SaveReplacing:
    case Step::SaveIntoEmptyFile: {
        const SaveResult saved = saveGame(someSnapshot());
        return outcomeOf(saved.ok, saved.message);
    }
    case Step::Browse:
        return browse();
    case Step::BrowseWindow:
        return browseWindow();
    case Step::Restore: {
        const RestoreResult restored = loadGame(QStringLiteral("Blitz"));
        return outcomeOf(restored.ok && restored.game.record == 3, restored.message);
    }
    case Step::Find:
        break;
    }
    const FindResult found = FindGame(QStringLiteral("Blitz"));
    return outcomeOf(found.ok && found.record == 3, found.message);
}

QString gameNameFor(Step step)
{
    switch (step) {
    case Step::SaveNew:
        return QStringLiteral("Fresh");
    case Step::SaveReplacing:
    case Step::SaveIntoEmptyFile:
        return QStringLiteral("Blitz");
    default:
        return {};
    }
}

// Whether the step makes calls of that kind at all.
bool makesCall(Step step, Call call)
{
    const bool writes = step == Step::StartupFirstRun || step == Step::StartupFallback || step == Step::SaveNumbered || step == Step::SaveNew ||
                        step == Step::SaveReplacing || step == Step::SaveIntoEmptyFile;
    if (call == Call::Write || call == Call::Sync || call == Call::Truncate)
        return writes;
    // The browser takes no lock: a save by another copy never waits for it.
    if (call == Call::Lock)
        return step != Step::Browse && step != Step::BrowseWindow;
    return true;
}

QString userArchive()
{
    return archivePathIn(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace

class StressFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void everyCallFails_data();
    void everyCallFails();
    void gamesSavedInTheUserFolderStayInSight();

private:
    void prepare(Step step, const QString &folder);
    std::optional<QByteArray> m_start; // the archive before the step; none: no file
};

void StressFaults::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true); // the per-user fallback folder is a test folder
    ArchiveFile::setLockWait({1, {}});
}

void StressFaults::cleanup()
{
    FileSystem::install(nullptr);
    QFile::remove(userArchive());
}

// The archive and Module1 as the step expects them.
void StressFaults::prepare(Step step, const QString &folder)
{
    const QString path = archivePathIn(folder);
    QFile::remove(path);
    QFile::remove(userArchive());
    if (m_start) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(*m_start), m_start->size());
    }
    Module1 = Module1Vars{};
    if (step != Step::StartupExisting && step != Step::StartupFirstRun && step != Step::StartupFallback) {
        Module1.ArchivePath = path;
        Module1.LastId = 2;
    }
    Module1.GameName = gameNameFor(step);
}

void StressFaults::everyCallFails_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<Fault>("fault");

    const struct {
        const char *name;
        Fault fault;
    } faults[] = {
        {"open refused", {Call::Open, systemSays(EACCES)}},
        {"lock fails", {Call::Lock, systemSays(ENOLCK)}},
        {"size unknown", {Call::Size, systemSays(EIO)}},
        {"read fails", {Call::Read, systemSays(EIO)}},
        {"disk full", {Call::Write, systemSays(ENOSPC)}},
        {"disk full half way", {Call::Write, systemSays(ENOSPC), 51}},
        {"short write", {Call::Write, QStringLiteral("51 of 102"), 51, true}},
        {"fsync fails", {Call::Sync, systemSays(EIO)}},
    };
    const struct {
        const char *name;
        Step step;
    } steps[] = {
        {"start-up", Step::StartupExisting},
        {"first start", Step::StartupFirstRun},
        {"first start, read-only folder", Step::StartupFallback},
        {"numbered save", Step::SaveNumbered},
        {"new save", Step::SaveNew},
        {"replacing save", Step::SaveReplacing},
        {"save into empty file", Step::SaveIntoEmptyFile},
        {"browse", Step::Browse},
        {"browser window", Step::BrowseWindow},
        {"restore", Step::Restore},
        {"find", Step::Find},
    };
    for (const auto &s : steps) {
        for (const auto &f : faults)
            QTest::addRow("%s, %s", s.name, f.name) << s.step << f.fault;
    }
}

void StressFaults::everyCallFails()
{
    QFETCH(Step, step);
    QFETCH(Fault, fault);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const bool firstRun = step == Step::StartupFirstRun || step == Step::StartupFallback;
    // The archive the step works on.
    const QString path = step == Step::StartupFallback ? userArchive() : archivePathIn(dir.path());
    m_start = firstRun ? std::nullopt
              : step == Step::SaveIntoEmptyFile ? std::optional(QByteArray())
                                                : std::optional(someArchive());
    Disk disk(FileSystem::current());
    FileSystem::install(&disk);
    if (step == Step::StartupFallback)
        disk.refuseUnder(dir.path());

    // What the step does on a sound disk.
    prepare(step, dir.path());
    const Module1Vars before = Module1;
    QVERIFY2(run(step, dir.path()).ok, "the step fails even on a sound disk");
    const QByteArray sound = StressPlan::fileBytes(path);
    const Module1Vars after = Module1;

    int injected = 0;
    for (int nth = 1;; ++nth) {
        prepare(step, dir.path());
        disk.arm(fault, nth);
        const Outcome outcome = run(step, dir.path());
        disk.disarm();
        if (!disk.tripped())
            break; // every such call of the step has failed once
        ++injected;
        const QString where = QStringLiteral("call %1: ").arg(nth);
        const bool fellBack = step == Step::StartupFirstRun && outcome.ok;
        if (fellBack) {
            // The program folder could not take the archive: it lives in the user's folder.
            QCOMPARE(Module1.ArchivePath, userArchive());
            QCOMPARE(StressPlan::fileBytes(userArchive()), GameRecord::idRecord(0));
            QFile::remove(userArchive());
        } else if (step == Step::Browse && outcome.ok) {
            // A row that cannot be read shows empty, never half a game.
            QVERIFY2(outcome.blankRows == 1, qPrintable(where + QString::number(outcome.blankRows)));
        } else {
            QVERIFY2(!outcome.ok, qPrintable(where + QStringLiteral("the failure went unnoticed")));
            QVERIFY2(outcome.message.contains(fault.reason), qPrintable(where + outcome.message));
        }
        // As it was: the same bytes, or still no file at all, in both folders.
        QCOMPARE(QFile::exists(path), m_start.has_value());
        QVERIFY2(StressPlan::fileBytes(path) == m_start.value_or(QByteArray()), qPrintable(where + QStringLiteral("archive changed")));
        if (firstRun)
            QVERIFY2(!QFile::exists(archivePathIn(dir.path())) && !QFile::exists(userArchive()),
                     qPrintable(where + QStringLiteral("a failed creation left a file behind")));
        if (!fellBack) {
            QCOMPARE(Module1.GameName, before.GameName);
            QCOMPARE(Module1.LastId, before.LastId);
            QCOMPARE(Module1.NewId, before.NewId);
        }
        // Once the disk is sound again the step works, and as if nothing had happened.
        Module1.ArchivePath = before.ArchivePath;
        QVERIFY2(run(step, dir.path()).ok, qPrintable(where + QStringLiteral("the step fails afterwards")));
        QVERIFY2(StressPlan::fileBytes(path) == sound, qPrintable(where + QStringLiteral("the retry wrote otherwise")));
        QCOMPARE(Module1.GameName, after.GameName);
        QCOMPARE(Module1.LastId, after.LastId);
    }
    QCOMPARE(injected > 0, makesCall(step, fault.call));
}

// A start that had to put the archive in the user's folder, then one that
// could create it in the program folder: the games saved meanwhile must not
// disappear behind a new, empty archive.
void StressFaults::gamesSavedInTheUserFolderStayInSight()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Disk disk(FileSystem::current());
    FileSystem::install(&disk);
    disk.refuseUnder(dir.path());
    Module1 = Module1Vars{};
    QVERIFY(openArchiveAtStartup(dir.path()).ok);
    QCOMPARE(Module1.ArchivePath, userArchive());
    Module1.GameName = QStringLiteral("Kept");
    QVERIFY(saveGame(someSnapshot()).ok);

    disk.refuseUnder(QString()); // the program folder takes files again
    Module1 = Module1Vars{};
    QVERIFY(openArchiveAtStartup(dir.path()).ok);
    QCOMPARE(Module1.ArchivePath, userArchive());
    QCOMPARE(FindGame(QStringLiteral("Kept")).record, std::optional(2));
    QVERIFY(!QFile::exists(archivePathIn(dir.path())));
}

VARKO_TEST_MAIN(StressFaults)
#include "test_stress_faults.moc"
