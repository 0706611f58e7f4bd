// Failures of the disk underneath the archive: every failed operation is
// reported with its reason and leaves the archive and Module1 as they were.
#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveStartup.h"
#include "archive/FileSystem.h"
#include "archive/PosixFile.h"
#include "archive/RestoreGame.h"
#include "archive/SaveGame.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QDir>
#include <QObject>
#include <QStandardPaths>

using ArchiveTest::archiveOf;
using ArchiveTest::idleSnapshot;

namespace {

const QString DiskFull = QStringLiteral("No space left on device");

// Which call fails (1-based, counted over every file opened), 0 for none.
struct Faults {
    QString openFailsUnder; // folder whose files cannot be opened
    QString openReason = QStringLiteral("Permission denied");
    int failingWrite = 0;
    qint64 bytesBeforeFailing = 0; // a short write: this much reaches the file first
    bool laterWritesFail = false;  // from the failing write on, so putting back fails too
    int failingSync = 0;
    int failingRead = 0;
    bool lockFails = false;
    QString reason = DiskFull;
};

struct Counters {
    int writes = 0, syncs = 0, reads = 0;
};

class FaultyHandle final : public FileHandle {
public:
    FaultyHandle(std::unique_ptr<FileHandle> real, const Faults &faults, Counters &counters)
        : m_real(std::move(real)), m_faults(faults), m_counters(counters)
    {
    }
    IoResult tryLockExclusive() override
    {
        return m_faults.lockFails ? IoResult::failure("Resource deadlock avoided") : m_real->tryLockExclusive();
    }
    IoResult size() override { return m_real->size(); }
    IoResult readAt(qint64 offset, char *buffer, qint64 length) override
    {
        if (++m_counters.reads == m_faults.failingRead)
            return IoResult::failure("Input/output error");
        return m_real->readAt(offset, buffer, length);
    }
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override
    {
        const int n = ++m_counters.writes;
        const bool fails = m_faults.failingWrite > 0
                           && (n == m_faults.failingWrite || (m_faults.laterWritesFail && n > m_faults.failingWrite));
        if (!fails)
            return m_real->writeAt(offset, data, length);
        if (m_faults.bytesBeforeFailing > 0)
            m_real->writeAt(offset, data, std::min(length, m_faults.bytesBeforeFailing));
        return IoResult::failure(m_faults.reason);
    }
    IoResult truncate(qint64 length) override { return m_real->truncate(length); }
    IoResult sync() override
    {
        if (++m_counters.syncs == m_faults.failingSync)
            return IoResult::failure(m_faults.reason);
        return m_real->sync();
    }

private:
    std::unique_ptr<FileHandle> m_real;
    const Faults &m_faults;
    Counters &m_counters;
};

class FaultyFileSystem final : public FileSystem {
public:
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override
    {
        if (!faults.openFailsUnder.isEmpty() && path.startsWith(faults.openFailsUnder)) {
            *reason = faults.openReason;
            return nullptr;
        }
        std::unique_ptr<FileHandle> real = PosixFile::open(path, mode, reason);
        if (!real)
            return nullptr;
        return std::make_unique<FaultyHandle>(std::move(real), faults, counters);
    }
    Faults faults;
    Counters counters;
};

} // namespace

class TestArchiveFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void failedSaveChangesNothing_data();
    void failedSaveChangesNothing();
    void failedPutBackIsReported();
    void creatingFailsWithReason();
    void startupFallsBackToUserFolder();
    void startupUsesArchiveAlreadyInUserFolder();
    void startupWithoutAnyArchive();
    void unreadableArchiveAtStartup();
    void failedReadsAreReported();

private:
    QString userArchive() const;
    std::unique_ptr<ArchiveTest::Folder> m_folder;
    FaultyFileSystem m_fs;
};

void TestArchiveFaults::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true); // the per-user folder becomes a test folder
}

void TestArchiveFaults::init()
{
    m_folder = std::make_unique<ArchiveTest::Folder>();
    QVERIFY(m_folder->dir.isValid());
    m_fs.faults = {};
    m_fs.counters = {};
    FileSystem::install(&m_fs);
    QFile::remove(userArchive());
}

void TestArchiveFaults::cleanup()
{
    FileSystem::install(nullptr);
    QFile::remove(userArchive());
    m_folder.reset();
}

QString TestArchiveFaults::userArchive() const
{
    return archivePathIn(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

void TestArchiveFaults::failedSaveChangesNothing_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("reason");

    const QByteArray games = archiveOf({"Alpha", "Blitz"}, "2  ");
    const QByteArray withPiece = games + "torn";
    Faults full;
    full.failingWrite = 1;
    full.bytesBeforeFailing = 40;
    QTest::newRow("disk full appending") << games << "New" << full << DiskFull;
    QTest::newRow("disk full over a trailing piece") << withPiece << "New" << full << DiskFull;
    QTest::newRow("short write replacing") << games << "Alpha" << full << DiskFull;
    QTest::newRow("disk full on a numbered game") << games << "" << full << DiskFull;
    Faults secondWrite = full;
    secondWrite.failingWrite = 2;
    secondWrite.reason = "Input/output error";
    QTest::newRow("id record torn after the game") << games << "" << secondWrite << "Input/output error";
    QTest::newRow("id record fails on empty file") << QByteArray() << "Blitz" << full << DiskFull;
    QTest::newRow("game fails on empty file") << QByteArray() << "Blitz" << secondWrite << "Input/output error";
    Faults sync;
    sync.failingSync = 1;
    QTest::newRow("fsync fails replacing") << games << "Blitz" << sync << DiskFull;
    QTest::newRow("fsync fails appending") << games << "" << sync << DiskFull;
    Faults secondSync;
    secondSync.failingSync = 2;
    QTest::newRow("fsync of the id record fails") << games << "" << secondSync << DiskFull;
    Faults open;
    open.openFailsUnder = "/";
    QTest::newRow("cannot open") << games << "Blitz" << open << "Permission denied";
    Faults lock;
    lock.lockFails = true;
    QTest::newRow("cannot lock") << games << "Blitz" << lock << "Resource deadlock avoided";
    Faults read;
    read.failingRead = 1;
    QTest::newRow("cannot read while searching") << games << "Blitz" << read << "Input/output error";
    QTest::newRow("cannot read the counter") << games << "" << read << "Input/output error";
}

void TestArchiveFaults::failedSaveChangesNothing()
{
    QFETCH(QByteArray, archive);
    QFETCH(QString, name);
    QFETCH(Faults, faults);
    QFETCH(QString, reason);
    QVERIFY(m_folder->write(archive));
    Module1.GameName = name;
    Module1.LastId = 2;
    Module1.NewId = 2;
    m_fs.faults = faults;

    const SaveResult saved = saveGame(ArchiveTest::idleSnapshot());
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains(reason), qPrintable(saved.message));
    QVERIFY2(saved.message.contains(QDir::toNativeSeparators(m_folder->path)), qPrintable(saved.message));
    QCOMPARE(m_folder->bytes(), archive);
    QCOMPARE(Module1.GameName, name);
    QCOMPARE(Module1.LastId, qint16(2));
    QCOMPARE(Module1.NewId, 2);

    m_fs.faults = {}; // the disk recovers: the same save now goes through
    QVERIFY(saveGame(ArchiveTest::idleSnapshot()).ok);
}

void TestArchiveFaults::failedPutBackIsReported()
{
    QVERIFY(m_folder->write(archiveOf({"Alpha"})));
    Module1.GameName = "Alpha";
    m_fs.faults.failingWrite = 1;
    m_fs.faults.bytesBeforeFailing = 10;
    m_fs.faults.laterWritesFail = true;
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains("could not be put back"), qPrintable(saved.message));
    QVERIFY(!saved.message.contains("left as it was"));
}

void TestArchiveFaults::creatingFailsWithReason()
{
    m_fs.faults.failingWrite = 1;
    const ArchiveResult created = Crea_Record_suFile();
    QVERIFY(!created.ok);
    QVERIFY2(created.message.contains(DiskFull), qPrintable(created.message));
    QCOMPARE(m_folder->bytes().size(), 0);
}

void TestArchiveFaults::startupFallsBackToUserFolder()
{
    m_fs.faults.openFailsUnder = m_folder->dir.path();
    const ArchiveStartup started = openArchiveAtStartup(m_folder->dir.path());
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, userArchive());
    QVERIFY(!QFile::exists(m_folder->path));
    QFile user(userArchive());
    QVERIFY(user.open(QIODevice::ReadOnly));
    QCOMPARE(user.readAll(), GameRecord::idRecord(0));

    Module1.GameName = "Blitz";
    QVERIFY(saveGame(idleSnapshot()).ok); // later commands use the same archive
    QCOMPARE(QFileInfo(userArchive()).size(), 204);
}

void TestArchiveFaults::startupUsesArchiveAlreadyInUserFolder()
{
    QVERIFY(QDir().mkpath(QFileInfo(userArchive()).path()));
    QFile user(userArchive());
    QVERIFY(user.open(QIODevice::WriteOnly));
    user.write(archiveOf({"Varko1"}, "6  "));
    user.close();
    m_fs.faults.openFailsUnder = m_folder->dir.path();
    QVERIFY(openArchiveAtStartup(m_folder->dir.path()).ok);
    QCOMPARE(Module1.LastId, qint16(6));
    QCOMPARE(QFileInfo(userArchive()).size(), 204);
}

void TestArchiveFaults::startupWithoutAnyArchive()
{
    m_fs.faults.openFailsUnder = "/";
    m_fs.faults.openReason = "Read-only file system";
    const ArchiveStartup started = openArchiveAtStartup(m_folder->dir.path());
    QVERIFY(!started.ok);
    QVERIFY2(started.message.contains(QDir::toNativeSeparators(m_folder->path)), qPrintable(started.message));
    QVERIFY2(started.message.contains(userArchive()), qPrintable(started.message));
    QVERIFY2(started.message.contains("Read-only file system"), qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, QDir::toNativeSeparators(m_folder->path));

    Module1.GameName = "Blitz"; // the clocks go on; saving says why it cannot
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains("Read-only file system"), qPrintable(saved.message));
}

void TestArchiveFaults::unreadableArchiveAtStartup()
{
    const QByteArray bytes = archiveOf({"Alpha"}, "3  ");
    QVERIFY(m_folder->write(bytes));
    m_fs.faults.failingRead = 1;
    Module1.LastId = 0;
    const ArchiveStartup started = openArchiveAtStartup(m_folder->dir.path());
    QVERIFY(!started.ok);
    QVERIFY2(started.message.contains("Input/output error"), qPrintable(started.message));
    QCOMPARE(Module1.LastId, qint16(0));
    QCOMPARE(Module1.ArchivePath, QDir::toNativeSeparators(m_folder->path));
    QCOMPARE(m_folder->bytes(), bytes); // no fallback archive hides the real one
    QVERIFY(!QFile::exists(userArchive()));
}

void TestArchiveFaults::failedReadsAreReported()
{
    QVERIFY(m_folder->write(archiveOf({"Alpha"})));
    m_fs.faults.failingRead = 1;
    const FindResult found = FindGame("Alpha");
    QVERIFY(!found.ok);
    QVERIFY(!found.record);
    m_fs.counters = {};
    const SavedGames listed = readSavedGames();
    QVERIFY(!listed.ok);
    QVERIFY(listed.games.isEmpty());
    m_fs.counters = {};
    const RestoreResult restored = loadGame("Alpha");
    QVERIFY(!restored.ok);
    QVERIFY2(restored.message.contains("Input/output error"), qPrintable(restored.message));
}

VARKO_TEST_MAIN(TestArchiveFaults)
#include "test_archive_faults.moc"
