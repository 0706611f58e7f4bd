// The archive: the code page and number fields, the bytes a save writes,
// start-up and its per-user fallback, finding, numbered names, locking, a
// failed save putting the archive back, restoring.
#include "archive/ArchiveStartup.h"
#include "archive/Cp1252.h"
#include "archive/FileSystem.h"
#include "archive/InstalledFolder.h"
#include "archive/Journal.h"
#include "archive/RestoreGame.h"
#include "archive/SaveGame.h"
#include "tests/common/FaultyDisk.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>
#include <numeric>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ArchiveTest;

namespace {

const QByteArray Idle = QByteArray("00").repeated(9) + "30 00 00 ";
const QString Z = QStringLiteral("00");
// What the window shows before any game was started.
const GameSnapshot IdleGame{"Frame1", "Frame2", Z, Z, Z, Z, Z, Z, Z, Z, Z, 30, Z, Z};

// A record's bytes after its name.
QByteArray tail(const QByteArray &white, const QByteArray &black, const QByteArray &clocks)
{
    return white.leftJustified(30) + black.leftJustified(30) + clocks;
}

const QByteArray Elsewhere = archiveOf({"Elsewhere"}, "5  ");

QStringList numbered(const QString &prefix, int games)
{
    QStringList names;
    for (int n = 1; n <= games; ++n)
        names << prefix + QString::number(n);
    return names;
}

// What lies beside a journal at the next start.
enum class Beside { AsCutLeftIt, Backup, Emptied, Shortened, EditedFirstBlock, SecondStale, EarlierVersion };

} // namespace

class TestArchive : public TestSupport::TestCase {
    Q_OBJECT

    void setUp() override
    {
        // Start-up also looks in the per-user folder; keep that away from the real one.
        QStandardPaths::setTestModeEnabled(true);
        m_dir.emplace();
        m_path = m_dir->filePath("Varko.dat");
        m_user = archivePathIn(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        Module1 = Module1Vars{};
        Module1.ArchivePath = m_path;
        removeUserArchive();
        // A per-user archive the program folder's archive takes precedence over.
        QVERIFY(QDir().mkpath(QFileInfo(m_user).path()) && writeFile(m_user, Elsewhere));
        m_disk.left = 0;
        m_disk.dead = false;
        Outside<FileSystem>::replace(m_disk);
    }
    void tearDown() override { removeUserArchive(); }

private slots:
    // Whatever another program stored comes back byte for byte when saved again.
    void everyByteSurvivesDecodeAndEncode()
    {
        QByteArray all(256, '\0');
        std::iota(all.begin(), all.end(), '\0');
        const QString decoded = fromCp1252(all);
        QCOMPARE(decoded.size(), 256);
        QCOMPARE(decoded.mid(0x80, 2), u"\u20AC\u0081"_qs); // the euro sign; an unassigned byte kept as is
        QCOMPARE(toCp1252(decoded), all);
    }

    void readNumber_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<std::optional<int>>("value");
        const std::optional<int> none;
        QTest::newRow("blank both ends") << u" 7 "_qs << std::optional(7);
        QTest::newRow("negative fraction down") << u"-2.5"_qs << std::optional(-3);
        QTest::newRow("blanks") << u"   "_qs << none;
        QTest::newRow("digit then garbage") << u"3x"_qs << none;
        QTest::newRow("too large") << u"99999999999"_qs << none;
    }
    void readNumber()
    {
        QFETCH(QString, field);
        QFETCH(std::optional<int>, value);
        QCOMPARE(readNumberField(field), value);
    }

    // The record a named save writes, byte for byte: fields cut to their
    // width, stored composed, a character outside the code page as one '?',
    // even outside the BMP; saved again, the game is found under its name as
    // stored (a full 15 bytes) and replaced.
    void recordBytes()
    {
        GameSnapshot game = IdleGame;
        game.whitePlayer = u"Rene\u0301"_qs + QString(27, u'w');
        game.blackPlayer = u"\u212Bngstro\u0308m q\u0308 \u20AC \u03A9\U0001F600"_qs;
        game.timeLimit = 120;
        game.whiteLeftCaption = " 120";
        game.blackLeftCaption = "-3";
        const QByteArray record =
            "ABCDEFGHIJKLMN\xE9" +
            tail("Ren\xE9" + QByteArray(26, 'w'), "\xC5ngstr\xF6m q? \x80 ??", Idle.first(18) + "120120-3 ");
        QVERIFY(startUp());
        Module1.GameName = u"ABCDEFGHIJKLMNe\u0301"_qs;
        for (int save = 0; save < 2; ++save) {
            QCOMPARE(saveGame(game).value_or(0), 2);
            QCOMPARE(fileBytes(m_path), GameRecord::idRecord(0) + record); // a named save leaves the counter
        }
        QCOMPARE(Module1.GameName, u"ABCDEFGHIJKLMNe\u0301"_qs); // kept as typed
    }

    // The program folder keeps the archive, even beside a per-user one; with
    // neither folder able to take it, one message names both places and why.
    void startupFallsBackToUserFolder()
    {
        Module1.ArchivePath.clear();
        const Reported<void> own = startUp();
        QVERIFY(own && own.message().isEmpty());
        QCOMPARE(Module1.ArchivePath, QDir::toNativeSeparators(m_path));
        QCOMPARE(fileBytes(m_path),
                 "ID" + QByteArray(13, ' ') + QByteArray(78, '\0') + "000" + QByteArray(6, '\0'));

        const QString blocked = m_dir->filePath("blocked");
        removeUserArchive();
        QVERIFY(writeFile(blocked, {}) && QDir().mkpath(m_user));
        const Reported<void> started = openArchiveAtStartup(blocked);
        QVERIFY(!started);
        for (const QString &part :
             {archivePathIn(blocked), QString("Not a directory"), m_user, QString("Is a directory")})
            QVERIFY2(started.message().contains(part), qPrintable(started.message()));
    }

    // A Varko.dat beside the program that cannot hold games is named, with the
    // reason, in one message, and the per-user archive is used; the archive
    // commands on it fail at once with the reason, never waiting on a pipe.
    void startupNamesUnusableArchive_data()
    {
        QTest::addColumn<QString>("reason");     // at start-up
        QTest::addColumn<QString>("openReason"); // when a command opens it
        QTest::newRow("dangling link")
            << u"gone.dat, which does not exist"_qs << u"No such file or directory"_qs;
        QTest::newRow("named pipe") << u"named pipe"_qs << u"named pipe"_qs;
        QTest::newRow("link to a device") << u"device"_qs << u"device"_qs;
    }
    void startupNamesUnusableArchive()
    {
        QFETCH(QString, reason);
        QFETCH(QString, openReason);
        const QString kind = QTest::currentDataTag();
        if (kind == "named pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
        else
            QVERIFY(
                QFile::link(kind == "link to a device" ? "/dev/zero" : m_dir->filePath("gone.dat"), m_path));
        const Reported<void> started = startUp();
        QVERIFY(started);
        for (const QString &part : {QDir::toNativeSeparators(m_path), reason, m_user})
            QVERIFY2(started.message().contains(part), qPrintable(started.message()));
        QCOMPARE(Module1.ArchivePath, m_user);
        QCOMPARE(Module1.LastId, qint16(5));
        QCOMPARE(fileBytes(m_user), Elsewhere);

        Module1.ArchivePath = m_path;
        const Reported<qint64> found = FindGame("Blitz");
        const Reported<qint64> saved = saveGame(GameSnapshot{});
        QVERIFY2(!found && found.message().contains(openReason), qPrintable(found.message()));
        QVERIFY2(!saved && saved.message().contains(openReason), qPrintable(saved.message()));
        QVERIFY(!QFileInfo(m_path).isFile()); // nothing created behind a dangling link
    }

    // Installed: the configured and the system's program folders always, any
    // other <prefix>/bin or <prefix>/games only with the help file where an
    // installation puts it.
    void installedFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("installed");
        const QStringList none;
        const QStringList help{"/opt/v/share/varko/VARKOHELP.HLP"};
        QTest::newRow("configured") << "/opt/cfg/bin" << none << true;
        QTest::newRow("configured, trailing slash") << "/opt/cfg/bin/" << none << true;
        for (const char *system : {"/usr/bin", "/usr/games", "/usr/local/bin", "/usr/local/games"})
            QTest::newRow(system) << system << none << true;
        QTest::newRow("unclean /usr/local/bin") << "/usr/share/../local//bin" << none << true;
        QTest::newRow("prefix bin") << "/opt/v/bin" << help << true;
        QTest::newRow("prefix games") << "/opt/v/games" << help << true;
        QTest::newRow("root prefix") << "/bin" << QStringList{"/share/varko/VARKOHELP.HLP"} << true;
        QTest::newRow("prefix without help") << "/opt/v/bin" << none << false;
        QTest::newRow("help only beside") << "/opt/v/bin" << QStringList{"/opt/v/bin/VARKOHELP.HLP"} << false;
        QTest::newRow("help of another prefix") << "/opt/w/bin" << help << false;
        QTest::newRow("not bin or games") << "/opt/v/sbin" << help << false;
        QTest::newRow("build tree") << "/home/a/varko/build"
                                    << QStringList{"/home/a/varko/build/VARKOHELP.HLP"} << false;
        QTest::newRow("below a system folder") << "/usr/bin/x" << none << false;
        QTest::newRow("other system folder") << "/usr/lib" << none << false;
        QTest::newRow("relative") << "bin" << QStringList{"share/varko/VARKOHELP.HLP"} << false;
        QTest::newRow("empty") << "" << none << false;
    }
    void installedFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, files);
        QFETCH(bool, installed);
        const auto isFile = [&files](const QString &path) { return files.contains(path); };
        QCOMPARE(isInstalledFolder(folder, "/opt/cfg/bin", isFile), installed);
    }

    // A program in <root>/usr/bin, the help in <root>/usr/share/varko, keeps its
    // archive in the per-user folder only: nothing is created beside it, though
    // it could be, and a Varko.dat lying there is left alone and named to a
    // user who can move it. Without the help there it keeps its own folder.
    void installedProgramStartup_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QByteArray>("beside"); // Varko.dat beside the program
        QTest::addColumn<bool>("writable");     // the program's folder
        QTest::addColumn<bool>("userArchive");  // the per-user one exists
        QTest::addColumn<bool>("told");
        const QByteArray stray = archiveOf({"Stray"}, "7  ");
        QTest::newRow("new user archive") << true << QByteArray() << true << false << false;
        QTest::newRow("user archive") << true << QByteArray() << true << true << false;
        QTest::newRow("archive beside") << true << stray << true << true << true;
        QTest::newRow("archive beside, not writable") << true << stray << false << true << false;
        QTest::newRow("own folder named bin") << false << QByteArray() << true << true << false;
    }
    void installedProgramStartup()
    {
        QFETCH(bool, installed);
        QFETCH(QByteArray, beside);
        QFETCH(bool, writable);
        QFETCH(bool, userArchive);
        QFETCH(bool, told);
        if (!writable && ::geteuid() == 0)
            QSKIP("root writes into any folder");
        const QString bin = programFolder(installed);
        QVERIFY(!bin.isEmpty());
        const QString besidePath = archivePathIn(bin);
        if (!beside.isEmpty())
            QVERIFY(writeFile(besidePath, beside));
        if (!userArchive)
            removeUserArchive();
        QVERIFY(QFile::setPermissions(bin, writable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                    : QFile::ReadOwner | QFile::ExeOwner));
        const Reported<void> started = openArchiveAtStartup(bin);
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(started);
        QCOMPARE(started.message().contains(besidePath) && started.message().contains(m_user), told);
        QCOMPARE(started.message().isEmpty(), !told);
        QCOMPARE(Module1.ArchivePath, installed ? m_user : besidePath);
        QCOMPARE(Module1.LastId, qint16(userArchive && installed ? 5 : 0));
        QCOMPARE(fileBytes(Module1.ArchivePath),
                 userArchive && installed ? Elsewhere : GameRecord::idRecord(0));
        if (installed) {
            QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     beside.isEmpty() ? QStringList() : QStringList{"Varko.dat"});
            QCOMPARE(fileBytes(besidePath), beside);
        }
    }

    // With the per-user archive unusable an installed program has none: the
    // start and a later save say why, and still nothing lands beside it.
    void installedProgramWithoutUserFolder()
    {
        const QString bin = programFolder(true);
        QVERIFY(!bin.isEmpty());
        removeUserArchive();
        QVERIFY(QDir().mkpath(m_user));
        const Reported<void> started = openArchiveAtStartup(bin);
        QVERIFY2(!started && started.message().contains(m_user), qPrintable(started.message()));
        const Reported<qint64> saved = saveGame(IdleGame);
        QVERIFY2(!saved && saved.message().contains(m_user), qPrintable(saved.message()));
        QVERIFY(QDir(bin).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    void creatingKeepsArchiveMadeMeanwhile()
    {
        // Another copy created the archive and saved between our check and our create.
        const QByteArray bytes = archiveOf({"Varko1"}, "1  ");
        QVERIFY(writeFile(m_path, bytes));
        QVERIFY(Crea_Record_suFile());
        QCOMPARE(fileBytes(m_path), bytes);
        QCOMPARE(Module1.LastId, qint16(1));
    }

    void findGame_data()
    {
        QTest::addColumn<QStringList>("games"); // records 2, 3, ...
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("record"); // 0: none
        QTest::newRow("stored with a leading blank") << QStringList{" Blitz", "Alpha"} << "Blitz" << 2;
        QTest::newRow("searched with blanks") << QStringList{"Blitz"} << "  Blitz " << 2;
        QTest::newRow("case-sensitive") << QStringList{"Blitz"} << "blitz" << 0;
        QTest::newRow("no part match") << QStringList{"Blitz2"} << "Blitz" << 0;
        QTest::newRow("id record never matches") << QStringList{"Alpha"} << "ID" << 0;
        QTest::newRow("a game named ID does") << QStringList{"Alpha", "ID"} << "ID" << 3;
        QTest::newRow("duplicates at 3 and 5")
            << QStringList{"A", "Blitz", "B", "Blitz", "C"} << "Blitz" << 5;

        // Read from the end in blocks: [B+8, 2B+7], [8, B+7], [2, 7]; "Twice" at 5 and B+3.
        const int block = ArchiveFile::BlockRecords;
        QStringList many;
        for (int n = 2; n <= 2 * block + 7; ++n)
            many << (n == 5 || n == block + 3 ? QString("Twice") : QString("G%1").arg(n));
        for (const int n : {2, block + 7, block + 8})
            QTest::addRow("record %d of many", n) << many << QString("G%1").arg(n) << n;
        QTest::newRow("duplicate in the block read first wins") << many << "Twice" << block + 3;
    }
    void findGame()
    {
        QFETCH(QStringList, games);
        QFETCH(QString, name);
        QFETCH(int, record);
        QVERIFY(writeFile(m_path, archiveOf(games)));
        const Reported<qint64> found = FindGame(name);
        QVERIFY2(found, qPrintable(found.message()));
        QCOMPARE(found.value_or(0), record);
    }

    // A game without a name gets a number no game has yet, from the counter
    // or, when that is no number in 0..999, from the highest numbered name.
    // Past Varko999, and with numbers wider than their field (they would run
    // into the next one), the save is refused: nothing written, no number used up.
    void numberedName_data()
    {
        QTest::addColumn<QByteArray>("counter");
        QTest::addColumn<QStringList>("games");
        QTest::addColumn<GameSnapshot>("snapshot");
        QTest::addColumn<QString>("given"); // the name, or what the refusal says
        const QStringList none;
        QTest::newRow("names typed") << QByteArray("1  ") << QStringList{"Varko1", " Varko3 "} << IdleGame
                                     << "Varko4";
        QTest::newRow("damaged counter")
            << QByteArray("   ") << QStringList{"Varko3",   " Varko12 ", "Varko013", "Blitz",    "varko80",
                                                "Varko50x", "Varko1000", "XVarko70", "Varko 90", "Varko"}
            << IdleGame << "Varko14";
        QTest::newRow("998 gives 999") << QByteArray("998") << none << IdleGame << "Varko999";
        QTest::newRow("999 taken") << QByteArray("999") << none << IdleGame << "name in the game settings";
        GameSnapshot wide = IdleGame;
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
        QVERIFY(writeFile(m_path, before));
        QVERIFY(startUp());
        const qint16 lastId = Module1.LastId;
        if (counter.trimmed().isEmpty()) // start-up rebuilt the counter from the names
            QCOMPARE(lastId + 1, given.mid(5).toInt());
        Module1.GameName = "   "; // a name of blanks is no name
        const Reported<qint64> saved = saveGame(snapshot);
        QCOMPARE(bool(saved), given.startsWith("Varko"));
        QVERIFY2(saved || saved.message().contains(given), qPrintable(saved.message()));
        QCOMPARE(Module1.GameName, saved ? given : u"   "_qs);
        QCOMPARE(Module1.LastId, saved ? given.mid(5).toShort() : lastId);
        const QByteArray record = given.toLatin1().leftJustified(15) + tail("Frame1", "Frame2", Idle);
        QCOMPARE(fileBytes(m_path),
                 saved ? archiveOf(games, given.mid(5).toLatin1().leftJustified(3)) + record : before);
        if (saved) // saved again, it replaces itself
            QCOMPARE(saveGame(snapshot).value_or(0), games.size() + 2);
    }

    // Another running copy holds the lock: a save or a search that cannot get
    // it touches nothing and says why.
    void lockKeepsSecondWriterOut()
    {
        QVERIFY(startUp());
        QFile other(m_path); // its own open file description, as another copy has
        QVERIFY(other.open(QIODevice::ReadWrite) && ::flock(other.handle(), LOCK_EX | LOCK_NB) == 0);
        Outside<ArchiveFile::LockWait>::emplace(ArchiveFile::LockWait{3, {}});
        const Reported<qint64> refused = saveGame(IdleGame);
        QVERIFY2(!refused && refused.message().contains("in use by another copy"),
                 qPrintable(refused.message()));
        QCOMPARE(fileBytes(m_path), GameRecord::idRecord(0));
        QVERIFY(!FindGame("Varko1"));
    }

    // Faults a single failing call does not show: the piece beyond the last
    // record must come back too, and a failed undoing must not be called a
    // success; the journal then puts the archive back at the next start.
    // Write 1 is the journal's; a failing write puts 40 bytes on the disk.
    void failedSave_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failingWrite"); // 0: none, the file-size limit stops the save
        QTest::addColumn<bool>("dies");        // the putting back fails too
        QTest::newRow("appending over a trailing piece") << "New" << 2 << false;
        QTest::newRow("replacing, disk dies") << "Alpha" << 2 << true;
        // The write stops at the limit and the next one fails with EFBIG:
        // the program must not be killed by SIGXFSZ.
        QTest::newRow("file-size limit") << "New" << 0 << false;
    }
    void failedSave()
    {
        QFETCH(QString, name);
        QFETCH(int, failingWrite);
        QFETCH(bool, dies);
        const QByteArray archive = archiveOf({"Alpha", "Blitz"}, "2  ") + "torn";
        QVERIFY(writeFile(m_path, archive));
        QVERIFY(startUp()); // as the program starts
        Module1.GameName = name;
        m_disk.fault = {Call::Write, "No space left on device", 40, false, dies};
        m_disk.left = failingWrite;
        std::signal(SIGXFSZ, SIG_IGN); // as the program's start-up does
        rlimit before{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
        const rlimit limited{failingWrite ? before.rlim_cur : 350, before.rlim_max}; // ulimit -f, in bytes
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const Reported<qint64> saved = saveGame(IdleGame);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &before) == 0);
        QVERIFY(!saved);
        const QString reason = failingWrite == 0 ? QStringLiteral("File too large") : m_disk.fault.reason;
        const QString outcome =
            dies ? QStringLiteral("could not be put back") : QStringLiteral("left as it was");
        for (const QString &part : {QDir::toNativeSeparators(m_path), reason, outcome})
            QVERIFY2(saved.message().contains(part), qPrintable(saved.message()));
        if (dies) {
            QVERIFY(!saved.message().contains("left as it was"));
            m_disk.dead = false;
            QVERIFY(startUp());
        }
        QCOMPARE(fileBytes(m_path), archive);
        QVERIFY(!QFile::exists(m_path + "-journal"));
    }

    // The journal of a save cut off after its records were written is rolled
    // back only onto an archive in a state that save can have left; any other
    // archive stays as it is, the journal is kept under a name of its own,
    // never over another, and start-up says so once, naming both files.
    // Records 46 on lie beyond the first 4 KiB block.
    void journalBesideAnotherArchive_data()
    {
        QTest::addColumn<int>("games");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<Beside>("beside");
        QTest::addColumn<QString>("keptAs"); // suffix of the journal set aside; empty: rolled back
        QTest::newRow("append rolled back") << 3 << "New" << Beside::AsCutLeftIt << "";
        QTest::newRow("far replace rolled back") << 50 << "G47" << Beside::AsCutLeftIt << "";
        QTest::newRow("backup of 12 games restored") << 3 << "New" << Beside::Backup << ".stale";
        QTest::newRow("emptied") << 3 << "New" << Beside::Emptied << ".stale";
        QTest::newRow("shorter") << 50 << "G47" << Beside::Shortened << ".stale";
        QTest::newRow("edited by hand in the first block")
            << 50 << "G47" << Beside::EditedFirstBlock << ".stale";
        QTest::newRow("a backup, a stale journal there already")
            << 3 << "New" << Beside::SecondStale << ".stale.2";
        QTest::newRow("an earlier version's journal") << 3 << "New" << Beside::EarlierVersion << ".stale";
    }
    void journalBesideAnotherArchive()
    {
        QFETCH(int, games);
        QFETCH(QString, saved);
        QFETCH(Beside, beside);
        QFETCH(QString, keptAs);
        const QByteArray before = archiveOf(numbered("G", games));
        QVERIFY(writeFile(m_path, before));
        const QString journal = m_path + "-journal", stale = journal + ".stale";
        QByteArray journalBytes = leaveInterruptedSave(saved);
        QVERIFY(!journalBytes.isEmpty());
        QByteArray archive = fileBytes(m_path);
        QVERIFY(archive != before);
        if (beside == Beside::Backup || beside == Beside::SecondStale)
            archive = archiveOf(numbered("Backup", 12));
        else if (beside == Beside::Emptied || beside == Beside::Shortened)
            archive.truncate(beside == Beside::Emptied ? 0 : 41 * GameRecord::Size);
        else if (beside == Beside::EditedFirstBlock)
            archive[300] = 'X';
        else if (beside == Beside::EarlierVersion)
            QVERIFY(writeFile(journal, journalBytes.replace(0, 8, "VarkoJnl")));
        QVERIFY(writeFile(m_path, archive));
        QVERIFY(beside != Beside::SecondStale || writeFile(stale, "earlier"));

        const Reported<void> started = startUp();
        QVERIFY2(started, qPrintable(started.message()));
        QVERIFY(!QFile::exists(journal));
        if (keptAs.isEmpty()) {
            QCOMPARE(fileBytes(m_path), before);
            QVERIFY2(started.message().isEmpty() && !QFile::exists(stale), qPrintable(started.message()));
            return;
        }
        QCOMPARE(fileBytes(m_path), archive);
        QCOMPARE(fileBytes(journal + keptAs), journalBytes);
        if (beside == Beside::SecondStale)
            QCOMPARE(fileBytes(stale), QByteArray("earlier"));
        for (const QString &part : {m_path, journal + keptAs, QString("left as it is")})
            QVERIFY2(started.message().contains(part), qPrintable(started.message()));
        QCOMPARE(startUp().message(), QString()); // told once
        QCOMPARE(fileBytes(m_path), archive);
    }

    // Whatever lies at the journal's name that cannot be read as a journal,
    // or a journal that cannot be set aside, is named with what is wrong and
    // what to do; the archive stays as it is, and so does the file.
    void journalInTheWay_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<Call>("refused"); // through the file seam; Open also for a folder and a pipe
        QTest::addColumn<int>("nth");      // the call refused, 0: none
        QTest::newRow("a folder") << "it is a folder, not a file" << Call::Open << 0;
        QTest::newRow("a named pipe") << "it is a named pipe, not a file" << Call::Open << 0;
        QTest::newRow("unreadable") << "Permission denied" << Call::Open
                                    << 2; // the archive's, then the journal's
        QTest::newRow("cannot be set aside") << "Permission denied" << Call::Rename << 1;
        QTest::newRow("set aside, its folder not synced") << "Input/output error" << Call::SyncFolder << 1;
    }
    void journalInTheWay()
    {
        QFETCH(QString, reason);
        QFETCH(Call, refused);
        QFETCH(int, nth);
        const QString journal = m_path + "-journal";
        const QByteArray archive = archiveOf({"Alpha"});
        QVERIFY(writeFile(m_path, archive));
        const QString kind = QTest::currentDataTag();
        if (kind == "a folder")
            QVERIFY(QDir().mkdir(journal));
        else if (kind == "a named pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(journal).constData(), 0600), 0);
        else // a journal the archive is too short for
            QVERIFY(writeFile(journal, Journal(archive.size() + 1).encode()));
        m_disk.fault = {refused, reason};
        m_disk.left = nth;
        const Reported<void> started = startUp();
        m_disk.left = nth;
        const Reported<qint64> save = saveGame(IdleGame);
        for (const QString &message : {started.message(), save.message()}) {
            for (const QString &part : {m_path, journal, reason, QString("out of the folder")})
                QVERIFY2(message.contains(part), qPrintable(message));
        }
        QVERIFY(!started && !save);
        QCOMPARE(fileBytes(m_path), archive);
        QVERIFY(QFileInfo::exists(journal) && !QFileInfo::exists(journal + ".stale"));
    }

    // A folder that takes no new file, beside a writable archive: the save
    // says that the journal cannot be created there, and why.
    void journalCannotBeCreated()
    {
        QVERIFY(startUp());
        m_disk.fault = {Call::Open, "Permission denied"};
        m_disk.left = 2; // the archive's, then the journal's
        const Reported<qint64> saved = saveGame(IdleGame);
        QVERIFY(!saved);
        for (const QString &part :
             {m_path + "-journal", "cannot be created in the folder " + m_dir->path() + ": Permission denied",
              QString("left as it was")})
            QVERIFY2(saved.message().contains(part), qPrintable(saved.message()));
        QVERIFY(!saved.message().contains(m_path + ": "));
        QCOMPARE(fileBytes(m_path), GameRecord::idRecord(0));
    }

    // 2^32 + 3 records, a hole between the first four and the last (no disk
    // used): the count and every offset must keep their high bits, or the
    // numbered game lands on record 4 and the far end is never searched.
    void archiveBeyond32BitCount()
    {
        const qint64 last = (qint64(1) << 32) + 3;
        const QByteArray far = archiveOf({"Varko7"}).sliced(GameRecord::Size);
        QVERIFY(writeSparse(m_path, archiveOf({"Keep2", "Keep3", "Keep4"}), last, far));
        QVERIFY(startUp());
        const Reported<qint64> saved = saveGame(IdleGame);
        QCOMPARE(saved.value_or(0), last + 1);
        QCOMPARE(Module1.GameName, u"Varko8"_qs); // Varko7 at the far end was seen
        QCOMPARE(QFileInfo(m_path).size(), (last + 1) * GameRecord::Size);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(4 * GameRecord::Size), archiveOf({"Keep2", "Keep3", "Keep4"}, "8  "));
        QCOMPARE(FindGame("Varko8").value_or(0), last + 1);
    }

    // A clock field out of range is named, and the game is not restored.
    void restoreRefused_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("what");
        const auto damaged = [](QString GameRecord::*field, const QString &value) {
            GameRecord g = GameRecord::decode("Alpha          " + tail("Anna", "Bruno", Idle));
            g.*field = value;
            return archiveOf({}) + g.encode();
        };
        QTest::newRow("seconds 60") << damaged(&GameRecord::TotalSeconds, "60") << "the total seconds";
        QTest::newRow("negative hours") << damaged(&GameRecord::WhiteHours, "-1") << "White's hours";
    }
    void restoreRefused()
    {
        QFETCH(QByteArray, archive);
        QFETCH(QString, what);
        QVERIFY(writeFile(m_path, archive));
        const Reported<RestoredGame> r = loadGame("Alpha");
        QVERIFY2(!r && r.message().contains(what) && r.message().contains("damaged"),
                 qPrintable(r.message()));
    }

private:
    // The archive in the per-user folder, a file or the folder put in its way.
    void removeUserArchive() const
    {
        QFile::remove(m_user);
        QDir(m_user).removeRecursively();
    }
    Reported<void> startUp() const { return openArchiveAtStartup(m_dir->path()); }
    // usr/bin in the temporary folder, with the help file installed beside it
    // in usr/share/varko or not; empty when it cannot be laid out.
    QString programFolder(bool installed) const
    {
        const QString bin = m_dir->filePath("usr/bin");
        const QString shared = m_dir->filePath("usr/share/varko");
        const bool laidOut =
            QDir().mkpath(bin) &&
            (!installed || (QDir().mkpath(shared) && writeFile(shared + "/VARKOHELP.HLP", "x")));
        return laidOut ? bin : QString();
    }
    // The journal of a save of `name` beside the archive that save wrote, as a
    // cut after its records leaves them: the journal's bytes, empty on failure.
    QByteArray leaveInterruptedSave(const QString &name)
    {
        const QByteArray before = fileBytes(m_path);
        const QString journal = m_path + "-journal";
        // The disk dies as the journal is to be removed, so the journal stays.
        Module1.GameName = name;
        m_disk.fault = {Call::Remove, "Input/output error", 0, false, true};
        m_disk.left = 1;
        const bool failed = startUp() && !saveGame(IdleGame);
        m_disk.dead = false;
        m_disk.left = 0;
        const QByteArray bytes = fileBytes(journal);
        // The same save again, whole, and that journal put back beside it.
        Module1.GameName = name;
        const bool whole =
            failed && writeFile(m_path, before) && QFile::remove(journal) && saveGame(IdleGame);
        return whole && writeFile(journal, bytes) ? bytes : QByteArray();
    }

    std::optional<QTemporaryDir> m_dir;
    QString m_path; // Varko.dat in m_dir
    QString m_user; // the per-user archive
    Disk m_disk;
};

VARKO_TEST_MAIN(TestArchive)
#include "test_archive.moc"
