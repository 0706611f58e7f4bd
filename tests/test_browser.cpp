// The saved-games browser: what its grid shows, which game each gesture
// chooses, and archives it cannot list.
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include "archive/frmGame.h"
#include "ui/FlexGrid.h"

#include <QDir>
#include <QPushButton>
#include <functional>

#include <sys/stat.h>

namespace {

// Alpha (White at 01:05:09) and Beta, then a piece shorter than a record.
QByteArray alphaBeta()
{
    const QByteArray game = QByteArray("Anna").leftJustified(30) + QByteArray("Bruno").leftJustified(30) +
                            "010509000941002148" + "30 18 21 ";
    return GameRecord::idRecord(0) + "Alpha          " + game + "Beta           " + game + "torn";
}

// The names as the archive holds them: padded with blanks to 15 characters.
const QString Alpha = QStringLiteral("Alpha").leftJustified(15);
const QString Beta = QStringLiteral("Beta").leftJustified(15);
// Centre of a grid cell in viewport coordinates (grid rows count the fixed row).
QPoint cellCentre(FlexGrid &grid, int row, int col)
{
    return grid.showCell(row, col).center();
}

// What the user does in the grid before leaving the browser.
using Gesture = std::function<void(FlexGrid &)>;

} // namespace

Q_DECLARE_METATYPE(Gesture)

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QDir(m_path).removeRecursively(); // left by the unreadable archive
        Module1.ArchivePath = QDir::toNativeSeparators(m_path);
        Module1.SelectedGame = QStringLiteral("stale");
        TestSupport::boxes().reset();
        write(alphaBeta());
    }

    // Row r shows record r + 1; names keep their blanks and are bold.
    void cells()
    {
        frmGame browser;
        FlexGrid &grid = gridOf(browser);
        QStringList seen;
        for (const auto &[row, col] : {std::pair{1, 0}, {1, 4}, {2, 0}}) {
            grid.setRow(row);
            grid.setCol(col);
            seen << grid.Text() + (grid.CellFontBold() ? "*" : "");
        }
        QCOMPARE(seen, QStringList({Alpha + "*", "01:05:09", Beta + "*"}));
    }

    // Only Open Game chooses a game; Exit and the close box leave without one,
    // and Enter and Escape do not close the window at all.
    void choosing_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QString>("leave"); // a button, the close box or a key on the grid
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("closes");
        const Gesture none = [](FlexGrid &) {};
        const Gesture beta = [](FlexGrid &g) {
            QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellCentre(g, 2, 5));
        };
        const Gesture drag = [](FlexGrid &g) {
            QTest::mousePress(g.viewport(), Qt::LeftButton, {}, cellCentre(g, 1, 1));
            QTest::mouseMove(g.viewport(), cellCentre(g, 2, 3));
            QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, cellCentre(g, 2, 3));
        };
        QTest::newRow("no click") << none << "cmdOpen" << Alpha << true;
        const Gesture up = [](FlexGrid &g) { QTest::keyClick(&g, Qt::Key_Up); };
        QTest::newRow("Up stays on the first game") << up << "cmdOpen" << Alpha << true;
        QTest::newRow("column 5 of Beta") << beta << "cmdOpen" << Beta << true;
        QTest::newRow("drag Alpha to Beta") << drag << "cmdOpen" << Beta << true;
        const QString nothing;
        QTest::newRow("Exit") << beta << "cmdExit" << nothing << true;
        QTest::newRow("close box") << beta << "close" << nothing << true;
        QTest::newRow("Escape") << beta << "Escape" << nothing << false;
        QTest::newRow("Enter") << beta << "Enter" << nothing << false;
        // Enter presses the focused button, as Space does.
        QTest::newRow("Enter on Open Game") << beta << "cmdOpen Enter" << Beta << true;
        QTest::newRow("Enter on Exit") << beta << "cmdExit Enter" << nothing << true;
    }
    void choosing()
    {
        QFETCH(Gesture, gesture);
        QFETCH(QString, leave);
        QFETCH(QString, chosen);
        QFETCH(bool, closes);
        frmGame browser;
        browser.show();
        FlexGrid &grid = gridOf(browser);
        QCOMPARE(grid.Rows(), 4); // Alpha, Beta, the empty row; the piece is none
        // Alpha's last cell alone is current and selected at opening.
        QVERIFY(grid.Row() == 1 && grid.Col() == 6 && grid.RowSel() == 1);
        gesture(grid);
        if (leave == "close")
            browser.close();
        else if (leave.endsWith(" Enter")) {
            QPushButton *focused = button(browser, leave.section(u' ', 0, 0));
            focused->setFocus();
            QTest::keyClick(focused, Qt::Key_Return);
        } else if (leave.startsWith("cmd"))
            QTest::mouseClick(button(browser, leave), Qt::LeftButton);
        else
            QTest::keyClick(&grid, leave == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        QCOMPARE(Module1.SelectedGame, chosen);
        QCOMPARE(browser.isVisible(), !closes);
        QCOMPARE(browser.result(), chosen.isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted));
    }

    // Archives without a game to choose: the grid keeps its empty row, Open
    // Game chooses nothing, and the user is told when the file cannot be read.
    void archivesWithoutGames()
    {
        write(GameRecord::idRecord(0));
        frmGame idOnly;
        QCOMPARE(gridOf(idOnly).Rows(), 2);
        QTest::mouseClick(button(idOnly, "cmdOpen"), Qt::LeftButton);
        QCOMPARE(Module1.SelectedGame, QString());

        // A folder, then a named pipe, which must not make the browser wait.
        QVERIFY(QFile::remove(m_path) && QDir().mkpath(m_path));
        for (const char *reason : {"directory", "named pipe"}) {
            if (QByteArray(reason) == "named pipe")
                QVERIFY(QDir(m_path).removeRecursively() && ::mkfifo(QFile::encodeName(m_path), 0600) == 0);
            TestSupport::boxes().reset();
            frmGame unreadable;
            unreadable.show();
            QCOMPARE(gridOf(unreadable).Rows(), 2);
            QVERIFY(!gridOf(unreadable).viewport()->grab().isNull());
            QCOMPARE(TestSupport::boxes().shown.size(), 1);
            const QString prompt = TestSupport::boxes().shown.first().prompt;
            QVERIFY2(prompt.contains(QDir::toNativeSeparators(m_path)), qPrintable(prompt));
            QVERIFY2(prompt.contains(reason, Qt::CaseInsensitive), qPrintable(prompt));
        }
        QVERIFY(QFile::remove(m_path));
    }

    // 2^32 + 3 records, all but the first and last a hole (no disk used): the
    // grid has a row for each, and the keys reach the last game and the empty
    // row below it through the scaled scroll bar.
    void archiveBeyond32BitCount()
    {
        const qint64 last = (qint64(1) << 32) + 3;
        GameRecord far;
        far.RecordName = "Far";
        const QByteArray head = alphaBeta().first(3 * GameRecord::Size);
        QVERIFY(ArchiveTest::writeSparse(m_path, head, last, far.encode()));
        frmGame browser;
        browser.show();
        FlexGrid &grid = gridOf(browser);
        QCOMPARE(grid.Rows(), last + 1);
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid.Row(), last);
        QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(grid.Row(), last - 1);
        QVERIFY2(grid.accessibleDescription().contains("Far"), qPrintable(grid.accessibleDescription()));
        QVERIFY(!grid.viewport()->grab().isNull());
        QTest::mouseClick(button(browser, "cmdOpen"), Qt::LeftButton);
        QCOMPARE(Module1.SelectedGame, QString("Far").leftJustified(15));
    }

    // Another copy of the program cuts the file back to its id record while
    // the browser is open: the rows stay as counted and the lost games read empty.
    void archiveShrinkingWhileOpen()
    {
        frmGame browser;
        FlexGrid &grid = gridOf(browser);
        QVERIFY(QFile::resize(m_path, GameRecord::Size));
        browser.show();
        QVERIFY(!grid.viewport()->grab().isNull());
        QCOMPARE(grid.Rows(), 4);
        grid.setRow(2);
        QCOMPARE(grid.Text(), QString());
    }

private:
    static FlexGrid &gridOf(const QWidget &w) { return *w.findChild<FlexGrid *>("dgGame"); }
    static QPushButton *button(const QWidget &w, const QString &name)
    {
        return w.findChild<QPushButton *>(name);
    }
    void write(const QByteArray &bytes)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(QStringLiteral("Varko.dat"));
};

VARKO_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
