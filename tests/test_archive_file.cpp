// Archive file access: start-up and its per-user fallback, counting,
// searching, the id counter, locking.
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

using ArchiveTest::archiveOf;

namespace {

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

} // namespace

class TestArchiveFile : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_folder.emplace(); // also sends the per-user folder to a test folder
        removeUserArchive();
    }
    void cleanup() { removeUserArchive(); }

    void firstStartCreatesIdRecord()
    {
        Module1.ArchivePath.clear();
        QVERIFY(m_folder->startUp().ok);
        QCOMPARE(Module1.ArchivePath, QDir::toNativeSeparators(m_folder->path));
        QCOMPARE(m_folder->bytes(),
                 QByteArray("ID") + QByteArray(13, ' ') + QByteArray(78, '\0') + "000" + QByteArray(6, '\0'));
    }

    // A counter that is no number in 0..999 falls back to the highest numbered name.
    void damagedCounterFallsBackToNames()
    {
        const QStringList games = {"Varko3",  " Varko12 ", "Varko013",  "Blitz", // the highest is 13
                                   "varko80", "Varko50x",  "Varko1000", "XVarko70", "Varko 90", "Varko"};
        QVERIFY(m_folder->write(archiveOf(games, "   ")));
        QVERIFY(m_folder->startUp().ok);
        QCOMPARE(Module1.LastId, qint16(13));
    }

    // A program folder that can take an archive gets its own, even beside a
    // per-user archive; a plain file where the program folder should be sends
    // the archive to the user's folder; with that refused too, one message
    // names both places and why.
    void startupFallsBackToUserFolder()
    {
        const QByteArray elsewhere = archiveOf({"Elsewhere"}, "5  ");
        QVERIFY(QDir().mkpath(QFileInfo(userArchive()).path()));
        QFile user(userArchive());
        QVERIFY(user.open(QIODevice::WriteOnly) && user.write(elsewhere) == elsewhere.size());
        user.close();
        const ArchiveStartup own = m_folder->startUp();
        QVERIFY(own.ok && own.message.isEmpty());
        QCOMPARE(Module1.ArchivePath, QDir::toNativeSeparators(m_folder->path));
        QCOMPARE(m_folder->bytes(), GameRecord::idRecord(0));

        const QString blocked = m_folder->dir.filePath("blocked");
        QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
        QVERIFY(openArchiveAtStartup(blocked).ok);
        QCOMPARE(Module1.ArchivePath, userArchive());
        QCOMPARE(Module1.LastId, qint16(5));
        QCOMPARE(ArchiveTest::fileBytes(userArchive()), elsewhere);

        removeUserArchive();
        QVERIFY(QDir().mkpath(userArchive()));
        const ArchiveStartup started = openArchiveAtStartup(blocked);
        QVERIFY(!started.ok);
        for (const QString &part :
             {archivePathIn(blocked), QString("Not a directory"), userArchive(), QString("Is a directory")})
            QVERIFY2(started.message.contains(part), qPrintable(started.message));
    }

    // A Varko.dat beside the program that cannot hold games is named, with the
    // reason, in one message, and the per-user archive is used; the archive
    // commands on it fail at once with the reason, never waiting on a pipe.
    void startupNamesUnusableArchive_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");     // at start-up
        QTest::addColumn<QString>("openReason"); // when a command opens it
        QTest::newRow("folder") << "folder"
                                << "Is a directory"
                                << "Is a directory";
        QTest::newRow("dangling link") << "dangling"
                                       << "gone.dat, which does not exist"
                                       << "No such file or directory";
        QTest::newRow("named pipe") << "pipe"
                                    << "named pipe"
                                    << "named pipe";
        QTest::newRow("link to a device") << "device"
                                          << "device"
                                          << "device";
    }
    void startupNamesUnusableArchive()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QFETCH(QString, openReason);
        const QByteArray path = QFile::encodeName(m_folder->path);
        if (kind == "folder")
            QVERIFY(QDir().mkpath(m_folder->path));
        else if (kind == "pipe")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else
            QVERIFY(QFile::link(kind == "device" ? "/dev/zero" : m_folder->dir.filePath("gone.dat"),
                                m_folder->path));
        const ArchiveStartup started = m_folder->startUp();
        QVERIFY(started.ok);
        for (const QString &part : {QDir::toNativeSeparators(m_folder->path), reason, userArchive()})
            QVERIFY2(started.message.contains(part), qPrintable(started.message));
        QCOMPARE(Module1.ArchivePath, userArchive());
        QCOMPARE(ArchiveTest::fileBytes(userArchive()), GameRecord::idRecord(0));

        Module1.ArchivePath = m_folder->path;
        const FindResult found = FindGame("Blitz");
        const SaveResult saved = saveGame(GameSnapshot{});
        QVERIFY2(!found.ok && found.message.contains(openReason), qPrintable(found.message));
        QVERIFY2(!saved.ok && saved.message.contains(openReason), qPrintable(saved.message));
        QVERIFY(!QFileInfo(m_folder->path).isFile()); // nothing created behind a dangling link
    }

    void creatingKeepsArchiveMadeMeanwhile()
    {
        // Another copy created the archive and saved between our check and our create.
        const QByteArray bytes = archiveOf({"Varko1"}, "1  ");
        QVERIFY(m_folder->write(bytes));
        QVERIFY(Crea_Record_suFile().ok);
        QCOMPARE(m_folder->bytes(), bytes);
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
        QTest::newRow("duplicates at 3 and 6")
            << QStringList{"A", "Blitz", "B", "C", "Blitz", "D"} << "Blitz" << 6;

        // Read from the end in blocks: [B+8, 2B+7], [8, B+7], [2, 7]; "Twice" at 5 and B+3.
        const int block = ArchiveFile::BlockRecords;
        QStringList many;
        for (int n = 2; n <= 2 * block + 7; ++n)
            many << (n == 5 || n == block + 3 ? QString("Twice") : QString("G%1").arg(n));
        for (const int n : {2, block + 7, block + 8})
            QTest::addRow("record %d of many", n) << many << QString("G%1").arg(n) << n;
        QTest::newRow("duplicate in the block read first wins") << many << "Twice" << block + 3;
        QTest::newRow("absent from many blocks") << many << "Nobody" << 0;
    }
    void findGame()
    {
        QFETCH(QStringList, games);
        QFETCH(QString, name);
        QFETCH(int, record);
        QVERIFY(m_folder->write(archiveOf(games)));
        const FindResult found = FindGame(name);
        QVERIFY2(found.ok, qPrintable(found.message));
        QCOMPARE(found.record.value_or(0), record);
    }

    void lockKeepsSecondWriterOut()
    {
        const QByteArray bytes = archiveOf({"Blitz"});
        QVERIFY(m_folder->write(bytes));
        QFile other(m_folder->path);
        QVERIFY(ArchiveTest::lockAsOtherCopy(other));
        ArchiveFile::setLockWait({3, {}});
        Module1.GameName = "Blitz";
        const SaveResult saved = saveGame(GameSnapshot{});
        QVERIFY(!saved.ok);
        QVERIFY2(saved.message.contains("in use by another copy"), qPrintable(saved.message));
        QCOMPARE(m_folder->bytes(), bytes);
        QVERIFY(!FindGame("Blitz").ok);
    }

private:
    std::optional<ArchiveTest::Folder> m_folder;
};

VARKO_TEST_MAIN(TestArchiveFile)
#include "test_archive_file.moc"
