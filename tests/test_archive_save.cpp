// Saving games: the bytes written, numbered names, replacing and appending.
#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameRecord.h"
#include "archive/SaveGame.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QDir>
#include <QObject>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using ArchiveTest::archiveOf;
using ArchiveTest::idleSnapshot;

namespace {

GameSnapshot runningGame()
{
    return {"Anna", "Bruno", "00", "12", "07", "00", "09", "41", "00", "21", "48", 30, " 18", " 21"};
}

QByteArray counterOf(const QByteArray &archive)
{
    return archive.mid(GameRecord::LimitOffset, GameRecord::NumberWidth);
}

// Writes to the archive as another running copy of the program would.
void otherCopyWrites(const QString &path, qint64 offset, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    QVERIFY(fd >= 0);
    QCOMPARE(::pwrite(fd, bytes.constData(), bytes.size(), offset), ssize_t(bytes.size()));
    ::close(fd);
}

} // namespace

class TestArchiveSave : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void recordBytes_data();
    void recordBytes();
    void numberedNamesInOneRunAndAfterRestart();
    void oldNameReplacesHighestRecord();
    void namesFoundAgainAsStored_data();
    void namesFoundAgainAsStored();
    void numberSkipsNamesAlreadyUsed_data();
    void numberSkipsNamesAlreadyUsed();
    void otherCopyTookNumberWhileWaiting();
    void numberedNamesEndAt999_data();
    void numberedNamesEndAt999();
    void numbersThatDoNotFitAreRefused_data();
    void numbersThatDoNotFitAreRefused();
    void emptyArchiveGetsIdRecordBack_data();
    void emptyArchiveGetsIdRecordBack();
    void noArchiveSetUp();

private:
    void startUp();
    std::unique_ptr<ArchiveTest::Folder> m_folder;
};

void TestArchiveSave::init()
{
    m_folder = std::make_unique<ArchiveTest::Folder>();
    QVERIFY(m_folder->dir.isValid());
}

void TestArchiveSave::cleanup()
{
    m_folder.reset();
}

void TestArchiveSave::startUp()
{
    const ArchiveStartup started = openArchiveAtStartup(m_folder->dir.path());
    QVERIFY2(started.ok, qPrintable(started.message));
}

void TestArchiveSave::recordBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<GameSnapshot>("snapshot");
    QTest::addColumn<QByteArray>("record");

    const QByteArray idleTail = QByteArray("Frame1").leftJustified(30) + QByteArray("Frame2").leftJustified(30)
                                + QByteArray("00").repeated(9);
    QTest::newRow("idle window") << "Idle" << idleSnapshot()
                                 << QByteArray("Idle           ") + idleTail + "30 00 00 ";
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
    QTest::newRow("names cut and converted")
        << "ABCDEFGHIJKLMNO" << names
        << QByteArray("ABCDEFGHIJKLMNO") + QByteArray(30, 'w') + QByteArray("Zo\xEB \x80 ?").leftJustified(30)
               + QByteArray("00").repeated(9) + "30 00 00 ";
}

void TestArchiveSave::recordBytes()
{
    QFETCH(QString, name);
    QFETCH(GameSnapshot, snapshot);
    QFETCH(QByteArray, record);
    startUp();
    Module1.GameName = name;
    const SaveResult saved = saveGame(snapshot);
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.record, 2);
    QCOMPARE(m_folder->record(2), record);
    QCOMPARE(m_folder->record(1), GameRecord::idRecord(0)); // a named save leaves the counter
    QCOMPARE(Module1.GameName, name);
}

void TestArchiveSave::numberedNamesInOneRunAndAfterRestart()
{
    startUp();
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
    QCOMPARE(counterOf(archive), QByteArray("1  "));
    QCOMPARE(archive.sliced(102 + 15, 4), QByteArray("Anna"));

    Module1.GameName.clear(); // stopped, next game left without a name
    QCOMPARE(saveGame(idleSnapshot()).record, 3);
    QCOMPARE(Module1.GameName, u"Varko2"_qs);

    Module1 = Module1Vars{}; // the program ends and starts again
    startUp();
    QCOMPARE(Module1.LastId, qint16(2));
    QCOMPARE(saveGame(idleSnapshot()).record, 4);
    QCOMPARE(Module1.GameName, u"Varko3"_qs);
    QCOMPARE(counterOf(m_folder->bytes()), QByteArray("3  "));
}

void TestArchiveSave::oldNameReplacesHighestRecord()
{
    const QByteArray before = archiveOf({"A", "Blitz", "B", "Blitz", "C"});
    QVERIFY(m_folder->write(before));
    startUp();
    Module1.GameName = "Blitz";
    const SaveResult saved = saveGame(runningGame());
    QCOMPARE(saved.record, 5);
    const QByteArray archive = m_folder->bytes();
    QCOMPARE(archive.size(), before.size());
    QCOMPARE(archive.first(4 * 102), before.first(4 * 102)); // the older Blitz stays
    QCOMPARE(archive.sliced(5 * 102), before.sliced(5 * 102));
    QCOMPARE(archive.sliced(4 * 102 + 15, 4), QByteArray("Anna"));
}

void TestArchiveSave::namesFoundAgainAsStored_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("trailing blank") << "Blitz " << QByteArray("Blitz          ");
    QTest::newRow("leading blank") << " Blitz" << QByteArray(" Blitz         ");
    QTest::newRow("longer than the field") << "Tournament round 3" << QByteArray("Tournament roun");
    QTest::newRow("outside the code page") << u"\u03A9mega"_qs << QByteArray("?mega          ");
}

void TestArchiveSave::namesFoundAgainAsStored()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, stored);
    startUp();
    Module1.GameName = name;
    QCOMPARE(saveGame(idleSnapshot()).record, 2);
    QCOMPARE(saveGame(runningGame()).record, 2);
    QCOMPARE(m_folder->bytes().size(), 204);
    QCOMPARE(m_folder->record(2).first(15), stored);
    QCOMPARE(Module1.GameName, name); // kept as typed
}

void TestArchiveSave::numberSkipsNamesAlreadyUsed_data()
{
    QTest::addColumn<QByteArray>("counter");
    QTest::addColumn<QStringList>("games");
    QTest::addColumn<int>("lastId");
    QTest::addColumn<QString>("given");
    QTest::newRow("name of blanks") << QByteArray("000") << QStringList{} << 0 << "Varko1";

    QTest::newRow("counter") << QByteArray("4  ") << QStringList{"Varko4"} << 4 << "Varko5";
    QTest::newRow("in memory ahead") << QByteArray("2  ") << QStringList{} << 6 << "Varko7";
    QTest::newRow("another copy bumped the counter") << QByteArray("5  ") << QStringList{"Varko5"} << 0 << "Varko6";
    QTest::newRow("name typed by the user") << QByteArray("1  ") << QStringList{"Varko1", " Varko3 "} << 1
                                            << "Varko4";
    QTest::newRow("damaged counter") << QByteArray(3, '\0') << QStringList{"Varko2", "Varko9"} << 0 << "Varko10";
}

void TestArchiveSave::numberSkipsNamesAlreadyUsed()
{
    QFETCH(QByteArray, counter);
    QFETCH(QStringList, games);
    QFETCH(int, lastId);
    QFETCH(QString, given);
    QVERIFY(m_folder->write(archiveOf(games, counter)));
    Module1.LastId = qint16(lastId);
    Module1.GameName = "   ";
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(Module1.GameName, given);
    QCOMPARE(Module1.LastId, qint16(given.mid(5).toInt()));
    QCOMPARE(counterOf(m_folder->bytes()), given.mid(5).toLatin1().leftJustified(3));
    QCOMPARE(saved.record, games.size() + 2);
}

void TestArchiveSave::otherCopyTookNumberWhileWaiting()
{
    startUp();
    const QString path = m_folder->path;
    const int holder = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    QVERIFY(holder >= 0);
    QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
    // While this copy waits for the lock, the other saves Varko1 and lets go.
    ArchiveFile::setLockWait({5, [&](int) {
                                  otherCopyWrites(path, 0, GameRecord::idRecord(1));
                                  otherCopyWrites(path, 102, ArchiveTest::namedRecord("Varko1"));
                                  ::close(holder);
                              }});
    const SaveResult saved = saveGame(runningGame());
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(Module1.GameName, u"Varko2"_qs);
    QCOMPARE(saved.record, 3);
    QCOMPARE(counterOf(m_folder->bytes()), QByteArray("2  "));
    QCOMPARE(m_folder->record(2), ArchiveTest::namedRecord("Varko1"));
}

void TestArchiveSave::numberedNamesEndAt999_data()
{
    QTest::addColumn<QByteArray>("counter");
    QTest::addColumn<QStringList>("games");
    QTest::addColumn<bool>("saved");
    QTest::newRow("998 gives 999") << QByteArray("998") << QStringList{} << true;
    QTest::newRow("999 taken") << QByteArray("999") << QStringList{} << false;
    QTest::newRow("999 taken by name") << QByteArray("   ") << QStringList{"Varko999"} << false;
}

void TestArchiveSave::numberedNamesEndAt999()
{
    QFETCH(QByteArray, counter);
    QFETCH(QStringList, games);
    QFETCH(bool, saved);
    const QByteArray before = archiveOf(games, counter);
    QVERIFY(m_folder->write(before));
    startUp();
    const Module1Vars was = Module1;
    const SaveResult result = saveGame(idleSnapshot());
    QCOMPARE(result.ok, saved);
    if (saved) {
        QCOMPARE(Module1.GameName, u"Varko999"_qs);
        QCOMPARE(counterOf(m_folder->bytes()), QByteArray("999"));
        return;
    }
    QVERIFY2(result.message.contains("name in the game settings"), qPrintable(result.message));
    QCOMPARE(m_folder->bytes(), before);
    QCOMPARE(Module1.GameName, was.GameName);
    QCOMPARE(Module1.LastId, was.LastId);
    QCOMPARE(Module1.NewId, was.NewId);
}

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
    startUp();
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
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("counter");
    QTest::newRow("empty file, named") << QByteArray() << "Blitz" << QByteArray("3  ");
    QTest::newRow("empty file, unnamed") << QByteArray() << "" << QByteArray("4  ");
    QTest::newRow("torn piece, named") << QByteArray("ID   ") << "Blitz" << QByteArray("3  ");
    QTest::newRow("file removed meanwhile") << QByteArray("removed") << "Blitz" << QByteArray("3  ");
}

void TestArchiveSave::emptyArchiveGetsIdRecordBack()
{
    QFETCH(QByteArray, start);
    QFETCH(QString, name);
    QFETCH(QByteArray, counter);
    QVERIFY(m_folder->write(start));
    if (start == "removed")
        QVERIFY(QFile::remove(m_folder->path));
    Module1.LastId = 3;
    Module1.GameName = name;
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.record, 2);
    const QByteArray archive = m_folder->bytes();
    QCOMPARE(archive.size(), 204);
    QCOMPARE(archive.first(15), QByteArray("ID             "));
    QCOMPARE(counterOf(archive), counter);
    QCOMPARE(FindGame(Module1.GameName).record, std::optional<int>(2));
}

void TestArchiveSave::noArchiveSetUp()
{
    Module1.ArchivePath.clear();
    Module1.GameName = "Blitz";
    const SaveResult saved = saveGame(idleSnapshot());
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains("unavailable"), qPrintable(saved.message));
}

VARKO_TEST_MAIN(TestArchiveSave)
#include "test_archive_save.moc"
