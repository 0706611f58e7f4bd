// Saving games: the bytes written, numbered names, replacing and appending,
// and a failed save putting the archive back.
#include "archive/FileSystem.h"
#include "archive/PosixFile.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"
#include "tests/tools/ForwardingFile.h"

#include <QDir>
#include <QObject>
#include <optional>

using ArchiveTest::archiveOf;
using ArchiveTest::idleSnapshot;

namespace {

GameSnapshot runningGame()
{
    return {"Anna", "Bruno", "00", "12", "07", "00", "09", "41", "00", "21", "48", 30, " 18", " 21"};
}

const QString DiskFull = QStringLiteral("No space left on device");

// Which write fails (1-based, counted over every file opened; 0 for none), and
// whether every later one fails too, so putting the archive back fails as well.
struct Faults {
    int failingWrite = 0;
    bool laterWritesFail = false;
};

// A failing write still gets 40 bytes onto the disk, as a full disk does.
class FaultyFile final : public ForwardingFile {
public:
    FaultyFile(std::unique_ptr<FileHandle> real, const Faults &faults, int &writes)
        : ForwardingFile(std::move(real)), m_faults(faults), m_writes(writes)
    {
    }
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override
    {
        const int n = ++m_writes;
        const int first = m_faults.failingWrite;
        if (first == 0 || n < first || (n > first && !m_faults.laterWritesFail))
            return real().writeAt(offset, data, length);
        real().writeAt(offset, data, std::min<qint64>(length, 40));
        return IoResult::failure(DiskFull);
    }

private:
    const Faults &m_faults;
    int &m_writes;
};

class FaultyDisk final : public FileSystem {
public:
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override
    {
        std::unique_ptr<FileHandle> real = PosixFile::open(path, mode, reason);
        return real ? std::make_unique<FaultyFile>(std::move(real), faults, writes) : nullptr;
    }
    Faults faults;
    int writes = 0;
};

} // namespace

class TestArchiveSave : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_folder.emplace();
        QVERIFY(m_folder->dir.isValid());
        m_disk.faults = {};
        FileSystem::install(&m_disk);
    }
    void cleanup()
    {
        FileSystem::install(nullptr);
        m_folder.reset();
    }

    void recordBytes_data();
    void recordBytes();
    void numberedNamesInOneRunAndAfterRestart();
    void oldNameReplacesHighestRecord();
    void numberedName_data();
    void numberedName();
    void otherCopyTookNumberWhileWaiting();
    void numbersThatDoNotFitAreRefused_data();
    void numbersThatDoNotFitAreRefused();
    void emptyArchiveGetsIdRecordBack_data();
    void emptyArchiveGetsIdRecordBack();
    void noArchiveSetUp();
    void failedSave_data();
    void failedSave();

private:
    std::optional<ArchiveTest::Folder> m_folder;
    FaultyDisk m_disk;
};

// The record a named save writes, byte for byte; saved again, the game is
// found under its name as stored and replaced.
void TestArchiveSave::recordBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<GameSnapshot>("snapshot");
    QTest::addColumn<QByteArray>("record");

    const QByteArray idleTail = QByteArray("Frame1").leftJustified(30) + QByteArray("Frame2").leftJustified(30)
                                + QByteArray("00").repeated(9);
    const auto idle = [&](const char *name) { return QByteArray(name) + idleTail + "30 00 00 "; };
    QTest::newRow("idle window") << "Idle" << idleSnapshot() << idle("Idle           ");
    QTest::newRow("trailing blank") << "Blitz " << idleSnapshot() << idle("Blitz          ");
    QTest::newRow("leading blank") << " Blitz" << idleSnapshot() << idle(" Blitz         ");
    QTest::newRow("longer than the field") << "Tournament round 3" << idleSnapshot() << idle("Tournament roun");
    QTest::newRow("outside the code page") << u"\u03A9mega"_qs << idleSnapshot() << idle("?mega          ");
    QTest::newRow("running game") << "Alpha" << runningGame()
                                  << QByteArray("Alpha          ") + QByteArray("Anna").leftJustified(30)
                                         + QByteArray("Bruno").leftJustified(30) + "001207000941002148" + "30 18 21 ";
    GameSnapshot long120 = idleSnapshot();
    long120.timeLimit = 120;
    long120.whiteLeftCaption = " 120";
    long120.blackLeftCaption = "-3";
    QTest::newRow("120-minute limit") << "Long" << long120
                                      << QByteArray("Long           ") + idleTail + "120120-3 ";
    GameSnapshot names = idleSnapshot();
    names.whitePlayer = QString(30, u'w') + u'X';
    names.blackPlayer = u"Zo\u00EB \u20AC \u03A9"_qs;
    QTest::newRow("15-char name fills, 31-char player keeps 30, names converted")
        << "ABCDEFGHIJKLMNO" << names
        << QByteArray("ABCDEFGHIJKLMNO") + QByteArray(30, 'w') + QByteArray("Zo\xEB \x80 ?").leftJustified(30)
               + QByteArray("00").repeated(9) + "30 00 00 ";
}

void TestArchiveSave::recordBytes()
{
    QFETCH(QString, name);
    QFETCH(GameSnapshot, snapshot);
    QFETCH(QByteArray, record);
    QVERIFY(m_folder->startUp().ok);
    Module1.GameName = name;
    const SaveResult saved = saveGame(snapshot);
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.record, 2);
    QCOMPARE(m_folder->record(2), record);
    QCOMPARE(m_folder->record(1), GameRecord::idRecord(0)); // a named save leaves the counter
    QCOMPARE(saveGame(snapshot).record, 2);
    QCOMPARE(m_folder->bytes().size(), 204);
    QCOMPARE(Module1.GameName, name); // kept as typed
}

void TestArchiveSave::numberedNamesInOneRunAndAfterRestart()
{
    QVERIFY(m_folder->startUp().ok);
    QCOMPARE(saveGame(idleSnapshot()).record, 2);
    QCOMPARE(Module1.GameName, u"Varko1"_qs);
    QCOMPARE(Module1.LastId, qint16(1));
    QCOMPARE(Module1.NewId, 1);
    QByteArray archive = m_folder->bytes();
    QCOMPARE(archive.size(), 204);
    QCOMPARE(archive.first(102), GameRecord::idRecord(1));
    QCOMPARE(archive.sliced(102, 15), QByteArray("Varko1         "));

    QCOMPARE(saveGame(runningGame()).record, 2); // the same game again replaces it
    archive = m_folder->bytes();
    QCOMPARE(archive.size(), 204);
    QCOMPARE(m_folder->counter(), QByteArray("1  "));
    QCOMPARE(archive.sliced(102 + 15, 4), QByteArray("Anna"));

    Module1.GameName.clear(); // stopped, next game left without a name
    QCOMPARE(saveGame(idleSnapshot()).record, 3);
    QCOMPARE(Module1.GameName, u"Varko2"_qs);

    Module1 = Module1Vars{}; // the program ends and starts again
    QVERIFY(m_folder->startUp().ok);
    QCOMPARE(Module1.LastId, qint16(2));
    QCOMPARE(saveGame(idleSnapshot()).record, 4);
    QCOMPARE(Module1.GameName, u"Varko3"_qs);
    QCOMPARE(m_folder->counter(), QByteArray("3  "));
}

void TestArchiveSave::oldNameReplacesHighestRecord()
{
    const QByteArray before = archiveOf({"A", "Blitz", "B", "Blitz", "C"});
    QVERIFY(m_folder->write(before));
    QVERIFY(m_folder->startUp().ok);
    Module1.GameName = "Blitz";
    QCOMPARE(saveGame(runningGame()).record, 5);
    const QByteArray archive = m_folder->bytes();
    QCOMPARE(archive.size(), before.size());
    QCOMPARE(archive.first(4 * 102), before.first(4 * 102)); // the older Blitz stays
    QCOMPARE(archive.sliced(5 * 102), before.sliced(5 * 102));
    QCOMPARE(archive.sliced(4 * 102 + 15, 4), QByteArray("Anna"));
}

// A game without a name gets a number no game has yet, up to 999.
void TestArchiveSave::numberedName_data()
{
    QTest::addColumn<QByteArray>("counter");
    QTest::addColumn<QStringList>("games");
    QTest::addColumn<int>("lastId");
    QTest::addColumn<QString>("given"); // empty: refused
    QTest::newRow("fresh archive") << QByteArray("000") << QStringList{} << 0 << "Varko1";
    QTest::newRow("in memory ahead") << QByteArray("2  ") << QStringList{} << 6 << "Varko7";
    QTest::newRow("name typed by the user") << QByteArray("1  ") << QStringList{"Varko1", " Varko3 "} << 1
                                            << "Varko4";
    QTest::newRow("998 gives 999") << QByteArray("998") << QStringList{} << 998 << "Varko999";
    QTest::newRow("999 taken") << QByteArray("999") << QStringList{} << 999 << "";
    QTest::newRow("999 taken by name") << QByteArray("   ") << QStringList{"Varko999"} << 0 << "";
}

void TestArchiveSave::numberedName()
{
    QFETCH(QByteArray, counter);
    QFETCH(QStringList, games);
    QFETCH(int, lastId);
    QFETCH(QString, given);
    const QByteArray before = archiveOf(games, counter);
    QVERIFY(m_folder->write(before));
    Module1.LastId = qint16(lastId);
    Module1.GameName = "   "; // a name of blanks is no name
    const SaveResult saved = saveGame(idleSnapshot());
    if (given.isEmpty()) {
        QVERIFY(!saved.ok);
        QVERIFY2(saved.message.contains("name in the game settings"), qPrintable(saved.message));
        QCOMPARE(m_folder->bytes(), before);
        QCOMPARE(Module1.GameName, u"   "_qs);
        QCOMPARE(Module1.LastId, qint16(lastId));
        QCOMPARE(Module1.NewId, 0);
        return;
    }
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(Module1.GameName, given);
    QCOMPARE(Module1.LastId, qint16(given.mid(5).toInt()));
    QCOMPARE(m_folder->counter(), given.mid(5).toLatin1().leftJustified(3));
    QCOMPARE(saved.record, games.size() + 2);
}

void TestArchiveSave::otherCopyTookNumberWhileWaiting()
{
    QVERIFY(m_folder->startUp().ok);
    QFile other(m_folder->path);
    QVERIFY(ArchiveTest::lockAsOtherCopy(other));
    // While this copy waits for the lock, the other saves Varko1 and lets go.
    ArchiveFile::setLockWait({5, [&](int) {
                                  other.write(GameRecord::idRecord(1) + ArchiveTest::namedRecord("Varko1"));
                                  other.close();
                              }});
    const SaveResult saved = saveGame(runningGame());
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(Module1.GameName, u"Varko2"_qs);
    QCOMPARE(saved.record, 3);
    QCOMPARE(m_folder->counter(), QByteArray("2  "));
    QCOMPARE(m_folder->record(2), ArchiveTest::namedRecord("Varko1"));
}

// Numbers wider than their field would run into the next one.
void TestArchiveSave::numbersThatDoNotFitAreRefused_data()
{
    QTest::addColumn<GameSnapshot>("snapshot");
    QTest::addColumn<QString>("what");
    GameSnapshot limit = idleSnapshot();
    limit.timeLimit = 1000;
    QTest::newRow("limit of 1000") << limit << "the time limit (1000)";
    GameSnapshot hours = idleSnapshot();
    hours.blackHours = "100";
    QTest::newRow("100 hours") << hours << "Black's hours (100)";
    GameSnapshot left = idleSnapshot();
    left.whiteLeftCaption = "-100";
    QTest::newRow("remaining -100") << left << "White's remaining minutes (-100)";
}

void TestArchiveSave::numbersThatDoNotFitAreRefused()
{
    QFETCH(GameSnapshot, snapshot);
    QFETCH(QString, what);
    QVERIFY(m_folder->startUp().ok);
    const QByteArray before = m_folder->bytes();
    const SaveResult result = saveGame(snapshot);
    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(what), qPrintable(result.message));
    QCOMPARE(m_folder->bytes(), before);
    QVERIFY(Module1.GameName.isEmpty());
    QCOMPARE(Module1.LastId, qint16(0));
}

void TestArchiveSave::emptyArchiveGetsIdRecordBack_data()
{
    QTest::addColumn<QByteArray>("start"); // "removed": no file at all
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("torn piece") << QByteArray("ID   ");
    QTest::newRow("file removed meanwhile") << QByteArray("removed");
}

void TestArchiveSave::emptyArchiveGetsIdRecordBack()
{
    QFETCH(QByteArray, start);
    QVERIFY(m_folder->write(start));
    if (start == "removed")
        QVERIFY(QFile::remove(m_folder->path));
    Module1.LastId = 3;
    Module1.GameName = "Blitz";
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.record, 2);
    QCOMPARE(m_folder->bytes().size(), 204);
    QCOMPARE(m_folder->record(1), GameRecord::idRecord(3));
    QCOMPARE(m_folder->record(2).first(15), QByteArray("Blitz          "));
}

void TestArchiveSave::noArchiveSetUp()
{
    Module1.ArchivePath.clear();
    Module1.GameName = "Blitz";
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains("unavailable"), qPrintable(saved.message));
}

// Faults a single failing call does not show: the piece beyond the last
// record must come back too, and a failed undoing must not be called a success.
void TestArchiveSave::failedSave_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("outcome");
    const QString asItWas = QStringLiteral("left as it was");
    QTest::newRow("appending over a trailing piece") << "New" << Faults{1, false} << asItWas;
    QTest::newRow("id record fails after the game covered the piece") << "" << Faults{2, false} << asItWas;
    QTest::newRow("putting back fails too") << "Alpha" << Faults{1, true} << QStringLiteral("could not be put back");
}

void TestArchiveSave::failedSave()
{
    QFETCH(QString, name);
    QFETCH(Faults, faults);
    QFETCH(QString, outcome);
    const QByteArray archive = archiveOf({"Alpha", "Blitz"}, "2  ") + "torn";
    QVERIFY(m_folder->write(archive));
    Module1.GameName = name;
    Module1.LastId = 2;
    m_disk.faults = faults;
    m_disk.writes = 0;
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY(!saved.ok);
    for (const QString &part : {QDir::toNativeSeparators(m_folder->path), DiskFull, outcome})
        QVERIFY2(saved.message.contains(part), qPrintable(saved.message));
    QCOMPARE(Module1.GameName, name);
    QCOMPARE(Module1.LastId, qint16(2));
    if (faults.laterWritesFail) {
        QVERIFY(!saved.message.contains("left as it was"));
        return;
    }
    QCOMPARE(m_folder->bytes(), archive);
    m_disk.faults = {}; // the disk recovers: the same save now goes through
    QCOMPARE(saveGame(idleSnapshot()).record, 4);
    QCOMPARE(m_folder->bytes().size(), 4 * GameRecord::Size);
}

VARKO_TEST_MAIN(TestArchiveSave)
#include "test_archive_save.moc"
