// Damaged and odd archives, each taken through every path that meets it:
// start-up, the record count, the search by name, the saved-games list,
// restoring, and the next numbered save. Each has one sound outcome; none
// crashes, and reading never changes the file.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveStartup.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "archive/SaveGame.h"
#include "tests/tools/StressPlan.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

namespace {

constexpr int Size = GameRecord::Size;

QByteArray game(int step, const QString &name)
{
    return StressPlan::recordOf(step, name);
}

// A game whose bytes at `offset` were replaced by `damage`.
QByteArray damaged(int step, const QString &name, int offset, const QByteArray &damage)
{
    return game(step, name).replace(offset, damage.size(), damage);
}

QByteArray idRecord(const QByteArray &counter)
{
    return GameRecord::idRecord(0).replace(GameRecord::LimitOffset, counter.size(), counter);
}

QString userArchive()
{
    return archivePathIn(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace

class StressBadArchive : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void badArchive_data();
    void badArchive();
    void directoryInPlaceOfTheArchive();
};

void StressBadArchive::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void StressBadArchive::cleanup()
{
    QFile::remove(userArchive());
}

void StressBadArchive::badArchive_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("lastId");        // after start-up
    QTest::addColumn<QStringList>("names"); // the list's name column, blanks at the ends removed
    QTest::addColumn<QString>("find");
    QTest::addColumn<int>("found");          // record, 0 for none
    QTest::addColumn<QString>("refusal");    // what restoring `find` says; empty: it restores
    QTest::addColumn<QString>("numbered");   // the next numbered game; empty: refused
    QTest::addColumn<qsizetype>("savedAt");  // where its record goes

    const QByteArray blitz = game(1, QStringLiteral("Blitz"));
    const QByteArray varko1 = game(2, QStringLiteral("Varko1"));
    const QString gone = QStringLiteral("no longer in the archive");
    const QString broken = QStringLiteral("damaged");

    QTest::newRow("empty file") << QByteArray() << 0 << QStringList{} << "Blitz" << 0 << gone << "Varko1" << qsizetype(Size);
    QTest::newRow("shorter than one record")
        << idRecord("4  ").first(60) << 0 << QStringList{} << "ID" << 0 << gone << "Varko1" << qsizetype(Size);
    QTest::newRow("id record only") << idRecord("000") << 0 << QStringList{} << "ID" << 0 << gone << "Varko1" << qsizetype(Size);
    QTest::newRow("trailing garbage")
        << idRecord("1  ") + varko1 + blitz + "garbage" << 1 << QStringList{"Varko1", "Blitz"} << "Blitz" << 3
        << QString() << "Varko2" << qsizetype(3 * Size);
    QTest::newRow("half a game after the last")
        << idRecord("1  ") + varko1 + blitz.first(Size - 1) << 1 << QStringList{"Varko1"} << "Blitz" << 0 << gone
        << "Varko2" << qsizetype(2 * Size);
    QTest::newRow("records full of zero bytes")
        << QByteArray(3 * Size, '\0') << 0 << QStringList{QString(15, QChar(0)), QString(15, QChar(0))}
        << QString(15, QChar(0)) << 3 << broken << "Varko1" << qsizetype(3 * Size);
    QTest::newRow("zero bytes in a game's clocks")
        << idRecord("0  ") + damaged(3, QStringLiteral("Zero"), 75, QByteArray(18, '\0')) << 0 << QStringList{"Zero"}
        << "Zero" << 2 << broken << "Varko1" << qsizetype(2 * Size);
    QTest::newRow("letters in the clocks")
        << idRecord("0  ") + damaged(3, QStringLiteral("Bad"), 77, "xx") + varko1 << 0 << QStringList{"Bad", "Varko1"}
        << "Bad" << 2 << broken << "Varko2" << qsizetype(3 * Size);
    QTest::newRow("letters in the limit")
        << idRecord("0  ") + damaged(3, QStringLiteral("Bad"), 93, "abc") << 0 << QStringList{"Bad"} << "Bad" << 2
        << broken << "Varko1" << qsizetype(2 * Size);
    QTest::newRow("minutes past 59")
        << idRecord("0  ") + damaged(3, QStringLiteral("Bad"), 89, "75") << 0 << QStringList{"Bad"} << "Bad" << 2
        << broken << "Varko1" << qsizetype(2 * Size);
    QTest::newRow("letters in the counter")
        << idRecord("ab ") + game(4, QStringLiteral("Varko7")) << 7 << QStringList{"Varko7"} << "Varko7" << 2
        << QString() << "Varko8" << qsizetype(2 * Size);
    QTest::newRow("negative counter")
        << idRecord("-5 ") + game(4, QStringLiteral("Varko2")) << 2 << QStringList{"Varko2"} << "Varko2" << 2
        << QString() << "Varko3" << qsizetype(2 * Size);
    QTest::newRow("counter behind the numbered names")
        << idRecord("1  ") + game(4, QStringLiteral("Varko5")) << 1 << QStringList{"Varko5"} << "Varko5" << 2
        << QString() << "Varko6" << qsizetype(2 * Size);
    QTest::newRow("every number taken")
        << idRecord("999") + game(5, QStringLiteral("Varko999")) << 999 << QStringList{"Varko999"} << "Varko999"
        << 2 << QString() << QString() << qsizetype(0);
    QTest::newRow("names above 127")
        << idRecord("0  ") + game(6, QStringLiteral("José")) + game(7, QStringLiteral("€uro")) + game(8, QStringLiteral("Œdipe"))
        << 0 << QStringList{"José", "€uro", "Œdipe"} << "€uro" << 3 << QString() << "Varko1" << qsizetype(4 * Size);
    QTest::newRow("bytes Windows-1252 leaves unassigned")
        << idRecord("0  ") + QByteArray("\x81\x8d\x8f\x90\x9d").leftJustified(15, ' ') + game(9, QString()).mid(15)
        << 0 << QStringList{QStringLiteral("\u0081\u008d\u008f\u0090\u009d")} << "\u0081\u008d\u008f\u0090\u009d" << 2
        << QString() << "Varko1" << qsizetype(2 * Size);
}

void StressBadArchive::badArchive()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, lastId);
    QFETCH(QStringList, names);
    QFETCH(QString, find);
    QFETCH(int, found);
    QFETCH(QString, refusal);
    QFETCH(QString, numbered);
    QFETCH(qsizetype, savedAt);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = archivePathIn(dir.path());
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // Start-up reads the counter and leaves the file alone.
    Module1 = Module1Vars{};
    const ArchiveStartup started = openArchiveAtStartup(dir.path());
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, path);
    QCOMPARE(int(Module1.LastId), lastId);

    // Whole records only; the list shows the games and one empty row.
    const int count = int(bytes.size() / Size);
    QString message;
    QCOMPARE(ArchiveFile::open(path, ArchiveFile::Access::Read, &message)->count(), count);
    GameListModel model;
    QVERIFY(model.open(path, &message));
    QCOMPARE(model.rowCount(), names.size() + 1);
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString shown = model.data(model.index(row, 0)).toString();
        QCOMPARE(trimBlanks(shown), row < names.size() ? QStringView(names.at(row)) : QStringView());
    }

    const FindResult search = FindGame(find);
    QVERIFY2(search.ok, qPrintable(search.message));
    QCOMPARE(search.record.value_or(0), found);

    const RestoreResult restored = loadGame(find);
    QCOMPARE(restored.ok, refusal.isEmpty());
    QVERIFY2(restored.message.contains(refusal), qPrintable(restored.message));
    if (restored.ok)
        QCOMPARE(restored.game.record, found);
    QCOMPARE(StressPlan::fileBytes(path), bytes); // reading wrote nothing

    // The next numbered game: a number no game has, over any trailing piece.
    Module1.GameName.clear();
    const SaveResult saved = saveGame(StressPlan::snapshotOf(99));
    const QByteArray after = StressPlan::fileBytes(path);
    if (numbered.isEmpty()) {
        QVERIFY(!saved.ok);
        QVERIFY2(saved.message.contains(QStringLiteral("999")), qPrintable(saved.message));
        QCOMPARE(after, bytes);
        return;
    }
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(Module1.GameName, numbered);
    QCOMPARE(after.size(), savedAt + Size);
    QCOMPARE(after.sliced(savedAt), game(99, numbered));
    QCOMPARE(after.first(Size), GameRecord::idRecord(numbered.mid(5).toInt()));
    QCOMPARE(after.sliced(Size, savedAt - Size), bytes.sliced(std::min<qsizetype>(Size, bytes.size())).first(savedAt - Size));
    QVERIFY(StressPlan::checkForm(after).isEmpty());
}

// A folder where the archive should be: start-up puts the archive in the
// user's folder; every command aimed at the folder says why it cannot.
void StressBadArchive::directoryInPlaceOfTheArchive()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = archivePathIn(dir.path());
    QVERIFY(QDir().mkdir(path));
    Module1 = Module1Vars{};
    const ArchiveStartup started = openArchiveAtStartup(dir.path());
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, userArchive());
    QCOMPARE(StressPlan::fileBytes(userArchive()), GameRecord::idRecord(0));

    const QString reason = QString::fromLocal8Bit(std::strerror(EISDIR));
    Module1.ArchivePath = path;
    QString message;
    GameListModel model;
    QVERIFY(!model.open(path, &message));
    QCOMPARE(message, reason);
    QCOMPARE(model.rowCount(), 1);
    const FindResult search = FindGame(QStringLiteral("Blitz"));
    QVERIFY(!search.ok);
    QVERIFY2(search.message.contains(reason), qPrintable(search.message));
    const RestoreResult restored = loadGame(QStringLiteral("Blitz"));
    QVERIFY(!restored.ok);
    QVERIFY2(restored.message.contains(reason), qPrintable(restored.message));
    Module1.GameName = QStringLiteral("Blitz");
    const SaveResult saved = saveGame(StressPlan::snapshotOf(5));
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains(reason), qPrintable(saved.message));
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QDir(path).isEmpty());
}

VARKO_TEST_MAIN(StressBadArchive)
#include "test_stress_badarchive.moc"
