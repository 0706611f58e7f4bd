// Archive file access: start-up, counting, searching, the id counter, locking.
#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameRecord.h"
#include "archive/SaveGame.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using ArchiveTest::archiveOf;

// A second open file description holding the lock, as another running copy would.
class OtherHolder {
public:
    explicit OtherHolder(const QString &path) : m_path(QFile::encodeName(path)) { open(); }
    ~OtherHolder() { release(); }
    bool lock() { return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0; }
    bool reopenAndLock()
    {
        release();
        open();
        return lock();
    }
    void release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    void open() { m_fd = ::open(m_path.constData(), O_RDWR | O_CLOEXEC); }
    QByteArray m_path;
    int m_fd = -1;
};

} // namespace

class TestArchiveFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartCreatesIdRecord();
    void laterStartReadsCounter_data();
    void laterStartReadsCounter();
    void startWithEmptyFileWritesNothing();
    void creatingKeepsArchiveMadeMeanwhile();
    void trailingPieceIsIgnoredAndOverwritten();
    void findGame_data();
    void findGame();
    void findGameAcrossBlocks_data();
    void findGameAcrossBlocks();
    void savedGamesListedInOrder();
    void fileExists_data();
    void fileExists();
    void missingArchiveIsReported();
    void secondHolderKeepsOperationOut();
    void operationWaitsForLockThenProceeds();

private:
    void writeArchive(const QByteArray &bytes) const { QVERIFY(m_folder->write(bytes)); }
    QByteArray archiveBytes() const { return m_folder->bytes(); }

    std::unique_ptr<ArchiveTest::Folder> m_folder;
    const QTemporaryDir *m_dir = nullptr;
    QString m_path;
};

void TestArchiveFile::init()
{
    m_folder = std::make_unique<ArchiveTest::Folder>();
    QVERIFY(m_folder->dir.isValid());
    m_dir = &m_folder->dir;
    m_path = m_folder->path;
}

void TestArchiveFile::cleanup()
{
    m_folder.reset();
}

void TestArchiveFile::firstStartCreatesIdRecord()
{
    Module1.ArchivePath.clear();
    Module1.LastId = 5; // creating does not touch the counter in memory
    const ArchiveStartup started = openArchiveAtStartup(m_dir->path());
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, QDir::toNativeSeparators(m_path));
    const QByteArray expected = QByteArray("ID") + QByteArray(13, ' ') + QByteArray(78, '\0') + "000"
                                + QByteArray(6, '\0');
    QCOMPARE(archiveBytes(), expected);
    QCOMPARE(Module1.LastId, qint16(5));

    Module1.LastId = 9;
    QVERIFY(openArchiveAtStartup(m_dir->path()).ok); // second start reads it
    QCOMPARE(Module1.LastId, qint16(0));
    QCOMPARE(archiveBytes(), expected);
}

void TestArchiveFile::laterStartReadsCounter_data()
{
    QTest::addColumn<QByteArray>("counter");
    QTest::addColumn<QStringList>("games");
    QTest::addColumn<int>("lastId");

    QTest::newRow("000") << QByteArray("000") << QStringList{} << 0;
    QTest::newRow("7 and blanks") << QByteArray("7  ") << QStringList{"Varko9"} << 7;
    QTest::newRow("blank 7 blank") << QByteArray(" 7 ") << QStringList{} << 7;
    QTest::newRow("999") << QByteArray("999") << QStringList{} << 999;
    QTest::newRow("blank counter: highest numbered name")
        << QByteArray("   ") << QStringList{"Varko3", "Blitz", "Varko12", "Varko2"} << 12;
    QTest::newRow("zero bytes, no numbered games") << QByteArray(3, '\0') << QStringList{"Blitz"} << 0;
    QTest::newRow("garbage counter") << QByteArray("a1b") << QStringList{" Varko4  "} << 4;
    QTest::newRow("negative counter is damage") << QByteArray("-1 ") << QStringList{"Varko6"} << 6;
    QTest::newRow("only true numbered names count")
        << QByteArray(3, '\0')
        << QStringList{"varko8", "Varko", "Varko5x", "Varko1000", "XVarko7", "Varko0", "Varko 9", "Varko05"} << 5;
}

void TestArchiveFile::laterStartReadsCounter()
{
    QFETCH(QByteArray, counter);
    QFETCH(QStringList, games);
    QFETCH(int, lastId);
    const QByteArray bytes = archiveOf(games, counter);
    writeArchive(bytes);
    Module1.LastId = -1;
    const ArchiveStartup started = openArchiveAtStartup(m_dir->path());
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.LastId, qint16(lastId));
    QCOMPARE(archiveBytes(), bytes); // reading never writes
}

void TestArchiveFile::startWithEmptyFileWritesNothing()
{
    writeArchive({});
    Module1.LastId = 3;
    QVERIFY(openArchiveAtStartup(m_dir->path()).ok);
    QCOMPARE(Module1.LastId, qint16(0));
    QCOMPARE(archiveBytes().size(), 0);
}

void TestArchiveFile::creatingKeepsArchiveMadeMeanwhile()
{
    // Another copy created the archive and saved between our check and our create.
    const QByteArray bytes = archiveOf({"Varko1"}, "1  ");
    writeArchive(bytes);
    const ArchiveResult created = Crea_Record_suFile();
    QVERIFY2(created.ok, qPrintable(created.message));
    QCOMPARE(archiveBytes(), bytes);
    QCOMPARE(Module1.LastId, qint16(1));
}

void TestArchiveFile::trailingPieceIsIgnoredAndOverwritten()
{
    const QByteArray start = archiveOf({"Old"}) + QByteArray(46, 'z'); // 250 bytes
    writeArchive(start);
    {
        QString message;
        const auto file = ArchiveFile::open(m_path, ArchiveFile::Access::Read, &message);
        QVERIFY2(file, qPrintable(message));
        QCOMPARE(file->count(), 2);
    }
    Module1.GameName = "New";
    const SaveResult saved = saveGame(GameSnapshot{});
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.record, 3);
    const QByteArray after = archiveBytes();
    QCOMPARE(after.size(), 306);
    QCOMPARE(after.first(204), start.first(204));
    QCOMPARE(after.sliced(204, 15), QByteArray("New            "));
}

void TestArchiveFile::findGame_data()
{
    QTest::addColumn<QStringList>("games"); // records 2, 3, ...
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("record"); // 0: none

    QTest::newRow("padded name") << QStringList{"Alpha", "Blitz"} << "Blitz" << 3;
    QTest::newRow("stored with a leading blank") << QStringList{" Blitz", "Alpha"} << "Blitz" << 2;
    QTest::newRow("searched with blanks") << QStringList{"Blitz"} << "  Blitz " << 2;
    QTest::newRow("case-sensitive") << QStringList{"Blitz"} << "blitz" << 0;
    QTest::newRow("no part match") << QStringList{"Blitz2"} << "Blitz" << 0;
    QTest::newRow("id record never matches") << QStringList{"Alpha"} << "ID" << 0;
    QTest::newRow("a game named ID does") << QStringList{"Alpha", "ID"} << "ID" << 3;
    QTest::newRow("duplicates at 3 and 6 give 6")
        << QStringList{"A", "Blitz", "B", "C", "Blitz", "D"} << "Blitz" << 6;
    QTest::newRow("long name as stored") << QStringList{"ABCDEFGHIJKLMNOPQ"} << "ABCDEFGHIJKLMNOXYZ" << 2;
    QTest::newRow("character outside the code page") << QStringList{"\u03A9mega"} << "\u03A9mega" << 2;
    QTest::newRow("empty name matches a blank record") << QStringList{"Alpha", ""} << "" << 3;
    QTest::newRow("empty archive") << QStringList{} << "Blitz" << 0;
}

void TestArchiveFile::findGame()
{
    QFETCH(QStringList, games);
    QFETCH(QString, name);
    QFETCH(int, record);
    writeArchive(archiveOf(games));
    const FindResult found = FindGame(name);
    QVERIFY2(found.ok, qPrintable(found.message));
    QCOMPARE(found.record.value_or(0), record);
}

void TestArchiveFile::findGameAcrossBlocks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("record");
    const int block = ArchiveFile::BlockRecords;
    QTest::newRow("first game") << "G2" << 2;
    QTest::newRow("last of the first block") << QString("G%1").arg(block) << block;
    QTest::newRow("first of the second block") << QString("G%1").arg(block + 1) << block + 1;
    QTest::newRow("last record") << QString("G%1").arg(2 * block + 7) << 2 * block + 7;
    QTest::newRow("duplicate in a later block wins") << "Twice" << block + 3;
    QTest::newRow("absent") << "Nobody" << 0;
}

void TestArchiveFile::findGameAcrossBlocks()
{
    QFETCH(QString, name);
    QFETCH(int, record);
    QStringList games;
    for (int n = 2; n <= 2 * ArchiveFile::BlockRecords + 7; ++n)
        games << QString("G%1").arg(n);
    games[5 - 2] = "Twice";
    games[ArchiveFile::BlockRecords + 3 - 2] = "Twice";
    writeArchive(archiveOf(games));
    const FindResult found = FindGame(name);
    QVERIFY2(found.ok, qPrintable(found.message));
    QCOMPARE(found.record.value_or(0), record);
}

void TestArchiveFile::savedGamesListedInOrder()
{
    QStringList games;
    for (int n = 0; n < ArchiveFile::BlockRecords + 2; ++n)
        games << QString("G%1").arg(n);
    writeArchive(archiveOf(games) + "short piece");
    const SavedGames saved = readSavedGames();
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.games.size(), games.size());
    QCOMPARE(saved.games.first().RecordName, u"G0"_qs.leftJustified(15));
    QCOMPARE(saved.games.last().RecordName, games.last().leftJustified(15));
    QCOMPARE(saved.games.last().WhitePlayer, (games.last() + " player").leftJustified(30));
}

void TestArchiveFile::fileExists_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("exists");
    QTest::newRow("plain file") << "file" << true;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("missing") << "missing" << false;
    QTest::newRow("empty path") << "" << false;
}

void TestArchiveFile::fileExists()
{
    QFETCH(QString, kind);
    QFETCH(bool, exists);
    const QString path = kind.isEmpty() ? QString() : m_dir->filePath(kind);
    if (kind == "file")
        writeArchive({});
    if (kind == "file")
        QVERIFY(QFile::rename(m_path, path));
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    QCOMPARE(bFileEsiste(path), exists);
    if (kind == "missing")
        QVERIFY(!QFileInfo::exists(path)); // asking never creates
}

void TestArchiveFile::missingArchiveIsReported()
{
    const ArchiveResult read = Legge_Sequenza_daFile();
    QVERIFY(!read.ok);
    QVERIFY2(read.message.contains(QDir::toNativeSeparators(m_path)), qPrintable(read.message));
    QVERIFY2(read.message.contains("No such file or directory"), qPrintable(read.message));
    QVERIFY(!QFileInfo::exists(m_path));
    QVERIFY(!FindGame("Blitz").ok);
    QVERIFY(!readSavedGames().ok);
}

void TestArchiveFile::secondHolderKeepsOperationOut()
{
    const QByteArray bytes = archiveOf({"Blitz"});
    writeArchive(bytes);
    OtherHolder other(m_path);
    QVERIFY(other.lock());
    int pauses = 0;
    ArchiveFile::setLockWait({3, [&pauses](int) { ++pauses; }});

    Module1.GameName = "Blitz";
    const SaveResult saved = saveGame(GameSnapshot{});
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains("in use by another copy"), qPrintable(saved.message));
    QCOMPARE(pauses, 2);
    QCOMPARE(archiveBytes(), bytes);
    QVERIFY(!FindGame("Blitz").ok);
    QVERIFY(!Legge_Sequenza_daFile().ok);

    other.release();
    QVERIFY(saveGame(GameSnapshot{}).ok);
    QVERIFY(FindGame("Blitz").record.has_value());
    QVERIFY(other.reopenAndLock()); // each operation let go of its lock
}

void TestArchiveFile::operationWaitsForLockThenProceeds()
{
    writeArchive(archiveOf({}));
    OtherHolder other(m_path);
    QVERIFY(other.lock());
    QList<int> attempts;
    // The other copy finishes while we wait.
    ArchiveFile::setLockWait({10, [&](int attempt) {
                                  attempts << attempt;
                                  if (attempt == 2)
                                      other.release();
                              }});
    Module1.GameName = "Blitz";
    const SaveResult saved = saveGame(GameSnapshot{});
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(attempts, (QList<int>{1, 2}));
    QCOMPARE(archiveBytes().size(), 204);
}

VARKO_TEST_MAIN(TestArchiveFile)
#include "test_archive_file.moc"
