// Damaged and odd archives, each taken through start-up, the saved-games list,
// the search by name, restoring and the next numbered save. Each has one sound
// outcome; none crashes, and reading never changes the file.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveStartup.h"
#include "archive/Cp1252.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "tests/tools/StressPlan.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr int Size = GameRecord::Size;

// A saved game, as step `step` of the stress saver writes it.
const auto game = StressPlan::recordOf;

QByteArray idRecord(const QByteArray &counter)
{
    return GameRecord::idRecord(0).replace(GameRecord::LimitOffset, counter.size(), counter);
}

} // namespace

class StressBadArchive : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { QFile::remove(StressPlan::userArchive()); }
    void badArchive_data();
    void badArchive();
};

void StressBadArchive::badArchive_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names"); // the list's name column, blanks at the ends removed
    QTest::addColumn<QString>("find");
    QTest::addColumn<int>("found");        // record, 0 for none
    QTest::addColumn<QString>("refusal");  // what restoring `find` says; empty: it restores
    QTest::addColumn<QString>("numbered"); // the next numbered game

    const QString gone = QStringLiteral("no longer in the archive");
    const QString nul(15, QChar(0));
    const QString unassigned =
        QStringLiteral("\u0081\u008d\u008f\u0090\u009d"); // bytes Windows-1252 leaves free
    QTest::newRow("empty file") << QByteArray() << QStringList{} << "Blitz" << 0 << gone << "Varko1";
    QTest::newRow("shorter than one record")
        << idRecord("4  ").first(60) << QStringList{} << "ID" << 0 << gone << "Varko1";
    QTest::newRow("trailing garbage")
        << idRecord("1  ") + game(2, "Varko1") + game(1, "Blitz") + "garbage"
        << QStringList{"Varko1", "Blitz"} << "Blitz" << 3 << QString() << "Varko2";
    QTest::newRow("records of zero bytes")
        << QByteArray(3 * Size, '\0') << QStringList{nul, nul} << nul << 3 << "damaged"
        << "Varko1";
    QTest::newRow("letters in the clocks and the limit")
        << idRecord("1  ") + game(3, "Bad").replace(77, 2, "xx").replace(93, 3, "abc") + game(2, "Varko1")
        << QStringList{"Bad", "Varko1"} << "Bad" << 2 << "damaged"
        << "Varko2";
    QTest::newRow("names above 127") << idRecord("0  ") + game(6, "José") + game(7, "€uro") +
                                            toCp1252(unassigned).leftJustified(15, ' ') + game(9, "").mid(15)
                                     << QStringList{"José", "€uro", unassigned} << "€uro" << 3 << QString()
                                     << "Varko1";
}

void StressBadArchive::badArchive()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QString, find);
    QFETCH(int, found);
    QFETCH(QString, refusal);
    QFETCH(QString, numbered);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = archivePathIn(dir.path());
    QVERIFY(StressPlan::writeFile(path, bytes));

    // Start-up reads the counter, or what the numbered names say, and leaves the file alone.
    Module1 = Module1Vars{};
    const ArchiveStartup started = openArchiveAtStartup(dir.path());
    QVERIFY2(started.ok, qPrintable(started.message));
    QCOMPARE(Module1.ArchivePath, path);
    QCOMPARE(int(Module1.LastId), numbered.mid(5).toInt() - 1);

    // Whole records only: the list shows the games and one empty row.
    GameListModel model;
    QString reason;
    QVERIFY2(model.open(path, &reason), qPrintable(reason));
    QCOMPARE(model.count(), names.size() + 1);
    for (int row = 0; row < model.count(); ++row)
        QCOMPARE(trimBlanks(model.text(row + 1, 0)), QStringView(names.value(row)));

    const FindResult search = FindGame(find);
    QVERIFY2(search.ok, qPrintable(search.message));
    QCOMPARE(search.record.value_or(0), found);
    const RestoreResult restored = loadGame(find);
    QCOMPARE(restored.ok, refusal.isEmpty());
    QVERIFY2(restored.message.contains(refusal), qPrintable(restored.message));
    QCOMPARE(restored.game.record, restored.ok ? found : 0);
    QCOMPARE(StressPlan::fileBytes(path), bytes);

    // The next numbered game: a number no game has, after the whole records,
    // over any trailing piece; the id record sound again.
    Module1.GameName.clear();
    QVERIFY(saveGame(StressPlan::snapshotOf(99)).ok);
    QCOMPARE(Module1.GameName, numbered);
    const qsizetype at = std::max(bytes.size() / Size, qsizetype(1)) * Size;
    const QByteArray after = StressPlan::fileBytes(path);
    QCOMPARE(after.first(Size), GameRecord::idRecord(numbered.mid(5).toInt()));
    QCOMPARE(after.sliced(Size, at - Size), bytes.mid(Size, at - Size));
    QCOMPARE(after.sliced(at), game(99, numbered));
}

VARKO_TEST_MAIN(StressBadArchive)
#include "test_stress_badarchive.moc"
