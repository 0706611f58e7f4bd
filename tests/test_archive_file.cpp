// Archive file access: start-up and its per-user fallback, counting,
// searching, the id counter, locking.
#include "archive/Archive.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QDir>
#include <QObject>
#include <optional>

namespace {

using ArchiveTest::archiveOf;

QString userArchive()
{
    return archivePathIn(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

// The archive in the per-user folder, a file or the folder put in its way.
void removeUserArchive()
{
    QFile::remove(userArchive());
    QDir(userArchive()).removeRecursively();
}

// More games than one block of the scan holds, "G2" at record 2 and so on;
// records 5 and BlockRecords + 3 are both named "Twice".
QStringList gamesOverBlocks()
{
    QStringList games;
    for (int n = 2; n <= 2 * ArchiveFile::BlockRecords + 7; ++n)
        games << QString("G%1").arg(n);
    games[5 - 2] = "Twice";
    games[ArchiveFile::BlockRecords + 3 - 2] = "Twice";
    return games;
}

} // namespace

class TestArchiveFile : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_folder.emplace(); // also sends the per-user folder to a test folder
        QVERIFY(m_folder->dir.isValid());
        removeUserArchive();
    }
    void cleanup()
    {
        removeUserArchive();
        m_folder.reset();
    }

    void firstStartCreatesIdRecord();
    void laterStartReadsCounter_data();
    void laterStartReadsCounter();
    void startupFallsBackToUserFolder();
    void creatingKeepsArchiveMadeMeanwhile();
    void trailingPieceIsIgnoredAndOverwritten();
    void findGame_data();
    void findGame();
    void savedGamesListedInOrder();
    void missingArchiveIsNeitherSeenNorCreated();
    void lockKeepsSecondWriterOut();

private:
    std::optional<ArchiveTest::Folder> m_folder;
};

void TestArchiveFile::firstStartCreatesIdRecord()
{
    Module1.ArchivePath.clear();
    Module1.LastId = 5; // creating does not touch the counter in memory
    const ArchiveStartup started = m_folder->startUp();
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, QDir::toNativeSeparators(m_folder->path));
    QCOMPARE(m_folder->bytes(), ArchiveTest::idBytes("000"));
    QCOMPARE(Module1.LastId, qint16(5));
}

void TestArchiveFile::laterStartReadsCounter_data()
{
    QTest::addColumn<QByteArray>("counter");
    QTest::addColumn<QStringList>("games");
    QTest::addColumn<int>("lastId");

    QTest::newRow("sound counter wins over names") << QByteArray("7  ") << QStringList{"Varko9"} << 7;
    QTest::newRow("blank counter: highest numbered name")
        << QByteArray("   ") << QStringList{"Varko3", "Blitz", "Varko12", "Varko2"} << 12;
    QTest::newRow("zero bytes, no numbered games") << QByteArray(3, '\0') << QStringList{"Blitz"} << 0;
    QTest::newRow("garbage counter, padded name") << QByteArray("a1b") << QStringList{" Varko4  "} << 4;
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
    QVERIFY(m_folder->write(bytes));
    Module1.LastId = -1;
    const ArchiveStartup started = m_folder->startUp();
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.LastId, qint16(lastId));
    QCOMPARE(m_folder->bytes(), bytes); // reading never writes
}

// A plain file where the program folder should be takes no archive: it goes
// to the user's folder, where saving goes and the next start finds it again.
// With that folder refusing it too, one message names both places and why;
// the clocks go on, and saving says why it cannot.
void TestArchiveFile::startupFallsBackToUserFolder()
{
    const QString blocked = m_folder->dir.filePath("blocked");
    QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
    QVERIFY(openArchiveAtStartup(blocked).ok);
    QCOMPARE(Module1.ArchivePath, userArchive());
    QCOMPARE(ArchiveTest::fileBytes(userArchive()), GameRecord::idRecord(0));
    QVERIFY(saveGame(ArchiveTest::idleSnapshot()).ok);
    QCOMPARE(Module1.GameName, u"Varko1"_qs);
    Module1 = Module1Vars{};
    QVERIFY(openArchiveAtStartup(blocked).ok);
    QCOMPARE(Module1.ArchivePath, userArchive());
    QCOMPARE(Module1.LastId, qint16(1));
    QCOMPARE(ArchiveTest::fileBytes(userArchive()).size(), 204);

    removeUserArchive();
    QVERIFY(QDir().mkpath(userArchive()));
    const ArchiveStartup started = openArchiveAtStartup(blocked);
    QVERIFY(!started.ok);
    const QString primary = archivePathIn(blocked);
    for (const QString &part : {primary, QString("Not a directory"), userArchive(), QString("Is a directory")})
        QVERIFY2(started.message.contains(part), qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, primary);
    const SaveResult saved = saveGame(ArchiveTest::idleSnapshot());
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains("Not a directory"), qPrintable(saved.message));
}

void TestArchiveFile::creatingKeepsArchiveMadeMeanwhile()
{
    // Another copy created the archive and saved between our check and our create.
    const QByteArray bytes = archiveOf({"Varko1"}, "1  ");
    QVERIFY(m_folder->write(bytes));
    const ArchiveResult created = Crea_Record_suFile();
    QVERIFY2(created.ok, qPrintable(created.message));
    QCOMPARE(m_folder->bytes(), bytes);
    QCOMPARE(Module1.LastId, qint16(1));
}

void TestArchiveFile::trailingPieceIsIgnoredAndOverwritten()
{
    const QByteArray start = archiveOf({"Old"}) + QByteArray(46, 'z'); // 250 bytes
    QVERIFY(m_folder->write(start));
    {
        QString message;
        const auto file = ArchiveFile::open(m_folder->path, ArchiveFile::Access::Read, &message);
        QVERIFY2(file, qPrintable(message));
        QCOMPARE(file->count(), 2);
    }
    Module1.GameName = "New";
    const SaveResult saved = saveGame(GameSnapshot{});
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.record, 3);
    const QByteArray after = m_folder->bytes();
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

    const QStringList many = gamesOverBlocks();
    const int block = ArchiveFile::BlockRecords;
    QTest::newRow("last of the first block") << many << QString("G%1").arg(block) << block;
    QTest::newRow("first of the second block") << many << QString("G%1").arg(block + 1) << block + 1;
    QTest::newRow("last record") << many << QString("G%1").arg(2 * block + 7) << 2 * block + 7;
    QTest::newRow("duplicate in a later block wins") << many << "Twice" << block + 3;
    QTest::newRow("absent from many blocks") << many << "Nobody" << 0;
}

void TestArchiveFile::findGame()
{
    QFETCH(QStringList, games);
    QFETCH(QString, name);
    QFETCH(int, record);
    QVERIFY(m_folder->write(archiveOf(games)));
    const FindResult found = FindGame(name);
    QVERIFY2(found.ok, qPrintable(found.message));
    QCOMPARE(found.record.value_or(0), record);
}

void TestArchiveFile::savedGamesListedInOrder()
{
    const QStringList games = gamesOverBlocks();
    QVERIFY(m_folder->write(archiveOf(games) + "short piece"));
    const SavedGames saved = readSavedGames();
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.games.size(), games.size());
    QCOMPARE(saved.games.first().RecordName, u"G2"_qs.leftJustified(15));
    QCOMPARE(saved.games.at(ArchiveFile::BlockRecords + 1).RecordName, u"Twice"_qs.leftJustified(15));
    QCOMPARE(saved.games.last().RecordName, games.last().leftJustified(15));
    QCOMPARE(saved.games.last().WhitePlayer, (games.last() + " player").leftJustified(30));
}

// Only a plain file counts as the archive, and reading one that is not there
// reports it rather than creating it.
void TestArchiveFile::missingArchiveIsNeitherSeenNorCreated()
{
    QVERIFY(!bFileEsiste(m_folder->path));
    QVERIFY(!bFileEsiste(QString()));
    QVERIFY(!bFileEsiste(m_folder->dir.path()));
    const ArchiveResult read = Legge_Sequenza_daFile();
    QVERIFY(!read.ok);
    QVERIFY2(read.message.contains(QDir::toNativeSeparators(m_folder->path)), qPrintable(read.message));
    QVERIFY2(read.message.contains("No such file or directory"), qPrintable(read.message));
    QVERIFY(!FindGame("Blitz").ok);
    QVERIFY(!readSavedGames().ok);
    QVERIFY(!QFileInfo::exists(m_folder->path));
    QVERIFY(m_folder->write({}));
    QVERIFY(bFileEsiste(m_folder->path));
}

void TestArchiveFile::lockKeepsSecondWriterOut()
{
    const QByteArray bytes = archiveOf({"Blitz"});
    QVERIFY(m_folder->write(bytes));
    QFile other(m_folder->path);
    QVERIFY(ArchiveTest::lockAsOtherCopy(other));
    int pauses = 0;
    ArchiveFile::setLockWait({3, [&pauses](int) { ++pauses; }});
    Module1.GameName = "Blitz";
    const SaveResult saved = saveGame(GameSnapshot{});
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains("in use by another copy"), qPrintable(saved.message));
    QCOMPARE(pauses, 2);
    QCOMPARE(m_folder->bytes(), bytes);
    QVERIFY(!FindGame("Blitz").ok);
    QVERIFY(!Legge_Sequenza_daFile().ok);

    // The other copy finishes while this one waits: the save goes through.
    QList<int> attempts;
    ArchiveFile::setLockWait({10, [&](int attempt) {
                                  attempts << attempt;
                                  if (attempt == 2)
                                      other.close();
                              }});
    QVERIFY(saveGame(ArchiveTest::idleSnapshot()).ok);
    QCOMPARE(attempts, (QList<int>{1, 2}));
    QCOMPARE(m_folder->record(2).sliced(15, 6), QByteArray("Frame1"));
    QFile again(m_folder->path);
    QVERIFY(ArchiveTest::lockAsOtherCopy(again)); // each operation let go of its lock
}

VARKO_TEST_MAIN(TestArchiveFile)
#include "test_archive_file.moc"
