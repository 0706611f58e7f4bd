// Saving games: the bytes written, numbered names, replacing and appending,
// and a failed save putting the archive back.
#include "archive/FileSystem.h"
#include "tests/common/FaultyDisk.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QDir>
#include <QFileInfo>

#include <sys/resource.h>

using ArchiveTest::archiveOf;
using ArchiveTest::idleSnapshot;

namespace {

GameSnapshot runningGame()
{
    return {"Anna", "Bruno", "00", "12", "07", "00", "09", "41", "00", "21", "48", 30, " 18", " 21"};
}

// The records of these games after the name.
QByteArray runningTail()
{
    return QByteArray("Anna").leftJustified(30) + QByteArray("Bruno").leftJustified(30) +
           "001207000941002148" + "30 18 21 ";
}
QByteArray idleTail()
{
    return QByteArray("Frame1").leftJustified(30) + QByteArray("Frame2").leftJustified(30) +
           QByteArray("00").repeated(9) + "30 00 00 ";
}

const QString DiskFull = QStringLiteral("No space left on device");

} // namespace

class TestArchiveSave : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_folder.emplace();
        m_disk.left = 0;
        m_disk.dead = false;
        FileSystem::install(&m_disk);
    }
    void cleanup() { FileSystem::install(nullptr); }

    // The record a named save writes, byte for byte; saved again, the game is
    // found under its name as stored and replaced.
    void recordBytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<GameSnapshot>("snapshot");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("name cut and converted")
            << u"\u03A9mega round three"_qs << idleSnapshot() << "?mega round thr" + idleTail();
        QTest::newRow("running game, name with a trailing blank")
            << "Alpha " << runningGame() << "Alpha          " + runningTail();
        // One character outside the BMP is one '?'.
        GameSnapshot wide = idleSnapshot();
        wide.whitePlayer = QString(30, u'w') + u'X';
        wide.blackPlayer = u"Zo\u00EB \u20AC \u03A9\U0001F600"_qs;
        wide.timeLimit = 120;
        wide.whiteLeftCaption = " 120";
        wide.blackLeftCaption = "-3";
        // Decomposed characters with a byte of their own are stored composed.
        GameSnapshot decomposed = idleSnapshot();
        decomposed.whitePlayer = u"Rene\u0301"_qs;
        decomposed.blackPlayer = u"\u212Bngstro\u0308m q\u0308"_qs;
        QTest::newRow("decomposed in every field")
            << u"Zoe\u0308"_qs << decomposed
            << QByteArray("Zo\xEB").leftJustified(15) + QByteArray("Ren\xE9").leftJustified(30) +
                   QByteArray("\xC5ngstr\xF6m q?").leftJustified(30) + QByteArray("00").repeated(9) +
                   "30 00 00 ";
        QTest::newRow("15-char name, 31-char player keeps 30, 120-minute limit")
            << "ABCDEFGHIJKLMNO" << wide
            << "ABCDEFGHIJKLMNO" + QByteArray(30, 'w') + QByteArray("Zo\xEB \x80 ??").leftJustified(30) +
                   QByteArray("00").repeated(9) + "120120-3 ";
    }
    void recordBytes()
    {
        QFETCH(QString, name);
        QFETCH(GameSnapshot, snapshot);
        QFETCH(QByteArray, record);
        QVERIFY(m_folder->startUp().ok);
        Module1.GameName = name;
        QCOMPARE(saveGame(snapshot).record, 2);
        QCOMPARE(m_folder->bytes(), GameRecord::idRecord(0) + record); // a named save leaves the counter
        QCOMPARE(saveGame(snapshot).record, 2);
        QCOMPARE(m_folder->bytes(), GameRecord::idRecord(0) + record);
        QCOMPARE(Module1.GameName, name); // kept as typed
    }

    void numberedNamesInOneRunAndAfterRestart()
    {
        QVERIFY(m_folder->startUp().ok);
        QCOMPARE(saveGame(idleSnapshot()).record, 2);
        QCOMPARE(saveGame(runningGame()).record, 2); // the same game again replaces it
        QCOMPARE(m_folder->bytes(), GameRecord::idRecord(1) + "Varko1         " + runningTail());
        Module1.GameName.clear(); // stopped, next game left without a name
        QCOMPARE(saveGame(idleSnapshot()).record, 3);
        Module1 = Module1Vars{}; // the program ends and starts again
        QVERIFY(m_folder->startUp().ok);
        QCOMPARE(saveGame(runningGame()).record, 4);
        QCOMPARE(m_folder->bytes(), GameRecord::idRecord(3) + "Varko1         " + runningTail() +
                                        "Varko2         " + idleTail() + "Varko3         " + runningTail());
    }

    void oldNameReplacesHighestRecord()
    {
        const QByteArray before = archiveOf({"A", "Blitz", "B", "Blitz", "C"});
        QVERIFY(m_folder->write(before));
        Module1.GameName = "Blitz";
        QCOMPARE(saveGame(runningGame()).record, 5);
        // The older Blitz and the games after stay.
        QCOMPARE(m_folder->bytes(), before.first(4 * GameRecord::Size) + "Blitz          " + runningTail() +
                                        before.sliced(5 * GameRecord::Size));
    }

    // A game without a name gets a number no game has yet. Past Varko999, and
    // with numbers wider than their field (they would run into the next one),
    // the save is refused: nothing written, no number used up.
    void numberedName_data()
    {
        QTest::addColumn<QByteArray>("counter");
        QTest::addColumn<QStringList>("games");
        QTest::addColumn<GameSnapshot>("snapshot");
        QTest::addColumn<QString>("given"); // the name, or what the refusal says
        const GameSnapshot idle = idleSnapshot();
        const QStringList none;
        QTest::newRow("names typed") << QByteArray("1  ") << QStringList{"Varko1", " Varko3 "} << idle
                                     << "Varko4";
        QTest::newRow("998 gives 999") << QByteArray("998") << none << idle << "Varko999";
        QTest::newRow("999 taken") << QByteArray("999") << none << idle << "name in the game settings";
        GameSnapshot wide = idle;
        wide.blackHours = "100";
        QTest::newRow("100 hours") << QByteArray("4  ") << none << wide << "Black's hours (100)";
        wide = idle;
        wide.whiteLeftCaption = "-100";
        QTest::newRow("remaining -100") << QByteArray("4  ") << none << wide << "remaining minutes (-100)";
    }
    void numberedName()
    {
        QFETCH(QByteArray, counter);
        QFETCH(QStringList, games);
        QFETCH(GameSnapshot, snapshot);
        QFETCH(QString, given);
        const QByteArray before = archiveOf(games, counter);
        QVERIFY(m_folder->write(before));
        QVERIFY(m_folder->startUp().ok);
        const qint16 lastId = Module1.LastId;
        Module1.GameName = "   "; // a name of blanks is no name
        const SaveResult saved = saveGame(snapshot);
        QCOMPARE(saved.ok, given.startsWith("Varko"));
        if (!saved.ok) {
            QVERIFY2(saved.message.contains(given), qPrintable(saved.message));
            QCOMPARE(m_folder->bytes(), before);
            QCOMPARE(Module1.GameName, u"   "_qs);
            QCOMPARE(Module1.LastId, lastId);
            return;
        }
        QCOMPARE(Module1.GameName, given);
        QCOMPARE(m_folder->counter(), given.mid(5).toLatin1().leftJustified(3));
        QCOMPARE(saved.record, games.size() + 2);
    }

    void otherCopyTookNumberWhileWaiting()
    {
        QVERIFY(m_folder->startUp().ok);
        QFile other(m_folder->path);
        QVERIFY(ArchiveTest::lockAsOtherCopy(other));
        // While this copy waits for the lock, the other saves Varko1 and lets go.
        ArchiveFile::setLockWait({5, [&](int) {
                                      other.write(archiveOf({"Varko1"}, "1  "));
                                      other.close();
                                  }});
        QCOMPARE(saveGame(runningGame()).record, 3);
        QCOMPARE(Module1.GameName, u"Varko2"_qs);
        QCOMPARE(m_folder->bytes().first(204), archiveOf({"Varko1"}, "2  "));
    }

    // Faults a single failing call does not show: the piece beyond the last
    // record must come back too, and a failed undoing must not be called a
    // success; the journal then puts the archive back at the next start.
    // Write 1 is the journal's; a failing write puts 40 bytes on the disk.
    void failedSave_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failingWrite"); // 0: none
        QTest::addColumn<bool>("dies");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<qint64>("sizeLimit"); // ulimit -f, in bytes; 0: none
        QTest::newRow("appending over a trailing piece") << "New" << 2 << false << "left as it was" << 0LL;
        QTest::newRow("id record fails, game written") << "" << 3 << false << "left as it was" << 0LL;
        QTest::newRow("putting back fails too") << "Alpha" << 2 << true << "could not be put back" << 0LL;
        // The write stops at the limit and the next one fails with EFBIG:
        // the program must not be killed by SIGXFSZ.
        QTest::newRow("file-size limit") << "New" << 0 << false << "left as it was" << 350LL;
    }
    void failedSave()
    {
        QFETCH(QString, name);
        QFETCH(int, failingWrite);
        QFETCH(bool, dies);
        QFETCH(QString, outcome);
        QFETCH(qint64, sizeLimit);
        const QByteArray archive = archiveOf({"Alpha", "Blitz"}, "2  ") + "torn";
        QVERIFY(m_folder->write(archive));
        QVERIFY(m_folder->startUp().ok); // as the program starts
        Module1.GameName = name;
        m_disk.fault = {Call::Write, DiskFull, 40, false, dies};
        m_disk.left = failingWrite;
        rlimit before{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
        rlimit limited = before;
        limited.rlim_cur = sizeLimit > 0 ? rlim_t(sizeLimit) : before.rlim_cur;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const SaveResult saved = saveGame(idleSnapshot());
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &before) == 0);
        QVERIFY(!saved.ok);
        const QString reason = sizeLimit > 0 ? QStringLiteral("File too large") : DiskFull;
        for (const QString &part : {QDir::toNativeSeparators(m_folder->path), reason, outcome})
            QVERIFY2(saved.message.contains(part), qPrintable(saved.message));
        QCOMPARE(Module1.GameName, name);
        QCOMPARE(Module1.LastId, qint16(2));
        if (dies) {
            QVERIFY(!saved.message.contains("left as it was"));
            m_disk.dead = false;
            QVERIFY(m_folder->startUp().ok);
        }
        QCOMPARE(m_folder->bytes(), archive);
        QVERIFY(!QFile::exists(m_folder->path + "-journal"));
    }

    // 2^32 + 3 records, a hole between the first four and the last (no disk
    // used): the count and every offset must keep their high bits, or the
    // numbered game lands on record 4 and the far end is never searched.
    void archiveBeyond32BitCount()
    {
        const qint64 last = (qint64(1) << 32) + 3;
        GameRecord far;
        far.RecordName = "Varko7";
        const QByteArray head = archiveOf({"Keep2", "Keep3", "Keep4"});
        QVERIFY(ArchiveTest::writeSparse(m_folder->path, head, last, far.encode()));
        QVERIFY(m_folder->startUp().ok);
        Module1.GameName.clear();
        const SaveResult saved = saveGame(idleSnapshot());
        QVERIFY2(saved.ok, qPrintable(saved.message));
        QCOMPARE(saved.record, last + 1);
        QCOMPARE(Module1.GameName, u"Varko8"_qs); // Varko7 at the far end was seen
        QCOMPARE(QFileInfo(m_folder->path).size(), (last + 1) * GameRecord::Size);
        QFile file(m_folder->path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(4 * GameRecord::Size), archiveOf({"Keep2", "Keep3", "Keep4"}, "8  "));
        QCOMPARE(FindGame("Varko8").record, std::optional(last + 1));
        QCOMPARE(FindGame("Varko7").record, std::optional(last));
    }

private:
    std::optional<ArchiveTest::Folder> m_folder;
    Disk m_disk;
};

VARKO_TEST_MAIN(TestArchiveSave)
#include "test_archive_save.moc"
