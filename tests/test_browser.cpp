#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "archive/frmGame.h"
#include "ui/FlexGrid.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>

namespace {

// A saved game with White's clock at `whiteClock` ("hh:mm:ss").
QByteArray game(const QString &name, const QString &white, const QString &whiteClock, const QString &limit)
{
    const QStringList w = whiteClock.split(u':');
    return GameRecord{name, white, "Bruno", w[0], w[1], w[2], "00", "09", "41", "00", "21", "48", limit, {}, {}}
        .encode();
}

// Alpha at 1 h 5 min 9 s for White; Beta with a player name that needs Windows-1252.
QByteArray alphaBeta()
{
    return GameRecord::idRecord(0) + game("Alpha", "Anna", "01:05:09", "30")
           + game("Beta", "José", "00:12:07", "120");
}

void writeArchive(const QString &path, const QByteArray &bytes = alphaBeta())
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The names as the archive holds them: padded with blanks to 15 characters.
const QString Alpha = QStringLiteral("Alpha").leftJustified(15);
const QString Beta = QStringLiteral("Beta").leftJustified(15);
const auto ReportToQtTest = QAbstractItemModelTester::FailureReportingMode::QtTest;

FlexGrid &gridOf(const QWidget &browser) { return *browser.findChild<FlexGrid *>(QStringLiteral("dgGame")); }
QPushButton *button(const QWidget &browser, const QString &name) { return browser.findChild<QPushButton *>(name); }

// Centre of a grid cell in viewport coordinates (grid rows count the fixed row).
QPoint cellCentre(FlexGrid &grid, int row, int col)
{
    const QModelIndex index = grid.model()->index(row - 1, col);
    grid.scrollTo(index);
    return grid.visualRect(index).center();
}

void click(FlexGrid &grid, int row, int col, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, cellCentre(grid, row, col));
}

QString cellText(FlexGrid &grid, int row, int col)
{
    grid.setRow(row);
    grid.setCol(col);
    return grid.Text();
}

void drag(FlexGrid &grid, int fromRow, int fromCol, int toRow, int toCol)
{
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, fromRow, fromCol));
    QTest::mouseMove(grid.viewport(), cellCentre(grid, toRow, toCol));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, toRow, toCol));
}

// What the user does in the grid before pressing Open Game.
using Gesture = std::function<void(FlexGrid &)>;

} // namespace

Q_DECLARE_METATYPE(Gesture)

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Varko.dat"));
        QFile::remove(m_path);
        QDir(m_path).removeRecursively();
        Module1.ArchivePath = QDir::toNativeSeparators(m_path);
        Module1.SelectedGame = QStringLiteral("stale");
        TestSupport::boxes().reset();
        TestSupport::stopScriptingDialogs();
    }

    void modelsPassTheTester()
    {
        writeArchive(m_path);
        GameListModel games;
        QString reason;
        QVERIFY(games.open(m_path, &reason));
        QAbstractItemModelTester gamesTester(&games, ReportToQtTest);
        QCOMPARE(games.rowCount(), 3); // Alpha, Beta, the empty row

        frmGame browser;
        FlexGrid &grid = gridOf(browser);
        QAbstractItemModelTester gridTester(grid.model(), ReportToQtTest);
        grid.setRows(10);
        grid.setCols(9);
        grid.setRow(7);
        grid.setCol(8);
        grid.setText(QStringLiteral("x"));
        grid.setRows(3);
        grid.setCols(2);
        QCOMPARE(grid.Row(), 2);
        QCOMPARE(grid.model()->rowCount(), 2);
    }

    // What Text and CellFontBold say is also what the view paints.
    void cells_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        const QStringList headers = {"Game ...",    "White",       "Black",       "Limit at",
                                     "White Limit", "Black Limit", "Time stop at"};
        for (int c = 0; c < 7; ++c)
            QTest::addRow("header %d", c) << 0 << c << headers[c] << true;
        QTest::newRow("name with its blanks") << 1 << 0 << Alpha << true;
        QTest::newRow("limit") << 1 << 3 << "30 " << false;
        QTest::newRow("white clock") << 1 << 4 << "01:05:09" << false;
        QTest::newRow("total clock") << 1 << 6 << "00:21:48" << false;
        QTest::newRow("accented player") << 2 << 1 << QStringLiteral("José").leftJustified(30) << false;
        QTest::newRow("three-digit limit") << 2 << 3 << "120" << false;
        QTest::newRow("empty row name") << 3 << 0 << "" << true;
    }
    void cells()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, text);
        QFETCH(bool, bold);
        writeArchive(m_path);
        frmGame browser;
        FlexGrid &grid = gridOf(browser);
        QCOMPARE(cellText(grid, row, col), text);
        QCOMPARE(grid.CellFontBold(), bold);
        const auto shown = [&](int role) {
            return row == 0 ? grid.model()->headerData(col, Qt::Horizontal, role)
                            : grid.model()->index(row - 1, col).data(role);
        };
        QCOMPARE(shown(Qt::DisplayRole).toString(), text);
        QCOMPARE(qvariant_cast<QFont>(shown(Qt::FontRole)).bold(), bold);
    }

    void choosingARow_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("no click") << Gesture([](FlexGrid &) {}) << Alpha;
        QTest::newRow("column 5 of Beta") << Gesture([](FlexGrid &g) { click(g, 2, 5); }) << Beta;
        QTest::newRow("drag Alpha to Beta") << Gesture([](FlexGrid &g) { drag(g, 1, 1, 2, 3); }) << Beta;
        QTest::newRow("shift-click Alpha to Beta")
            << Gesture([](FlexGrid &g) { click(g, 1, 2); click(g, 2, 2, Qt::ShiftModifier); }) << Beta;
        QTest::newRow("Beta, then arrow up")
            << Gesture([](FlexGrid &g) { click(g, 2, 4); QTest::keyClick(&g, Qt::Key_Up); }) << Alpha;
        QTest::newRow("empty row") << Gesture([](FlexGrid &g) { click(g, 3, 0); }) << QString();
    }
    void choosingARow()
    {
        QFETCH(Gesture, gesture);
        QFETCH(QString, chosen);
        writeArchive(m_path);
        // Shown the way the main window shows it.
        TestSupport::scriptDialogs([gesture](QDialog &dialog) {
            FlexGrid &grid = gridOf(dialog);
            QCOMPARE(grid.Rows(), 4);
            // Alpha alone is current and selected at opening.
            QCOMPARE(grid.Row(), 1);
            QCOMPARE(grid.RowSel(), 1);
            QCOMPARE(grid.selectionModel()->selectedIndexes(), QModelIndexList{grid.model()->index(0, 6)});
            gesture(grid);
            QTest::mouseClick(button(dialog, "cmdOpen"), Qt::LeftButton);
        });
        frmGame browser;
        QCOMPARE(Modal::exec(browser), int(QDialog::Accepted));
        QCOMPARE(Module1.SelectedGame, chosen);
    }

    // Exit and the close box leave without a game even when one is clicked;
    // Enter and Escape do not close the window at all.
    void leavingChoosesNothing_data()
    {
        QTest::addColumn<QString>("target"); // "close": the close box
        QTest::addColumn<int>("key");        // 0: a mouse click
        QTest::addColumn<bool>("closes");
        QTest::newRow("Exit") << "cmdExit" << 0 << true;
        QTest::newRow("close box") << "close" << 0 << true;
        QTest::newRow("Escape on the grid") << "dgGame" << int(Qt::Key_Escape) << false;
        QTest::newRow("Enter on the grid") << "dgGame" << int(Qt::Key_Return) << false;
        QTest::newRow("Enter on Open Game") << "cmdOpen" << int(Qt::Key_Return) << false;
        QTest::newRow("Escape on Exit") << "cmdExit" << int(Qt::Key_Escape) << false;
    }
    void leavingChoosesNothing()
    {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(bool, closes);
        writeArchive(m_path);
        frmGame browser;
        browser.show();
        click(gridOf(browser), 2, 0);
        if (target == QLatin1String("close"))
            browser.close();
        else if (key == 0)
            QTest::mouseClick(button(browser, target), Qt::LeftButton);
        else
            QTest::keyClick(browser.findChild<QWidget *>(target), Qt::Key(key));
        QCOMPARE(browser.isVisible(), !closes);
        QCOMPARE(browser.result(), int(QDialog::Rejected));
        QCOMPARE(Module1.SelectedGame, QString());
    }

    // Archives without a game to choose: the grid keeps its empty row and the
    // user is told when the file cannot be read.
    void archivesWithoutGames_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file; "dir": a folder in its place
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("reason"); // empty: no message
        QTest::addColumn<QString>("chosen");
        QTest::newRow("id record only") << GameRecord::idRecord(0) << 2 << "" << "";
        QTest::newRow("a folder at the path") << QByteArray("dir") << 2 << "directory" << "";
        QTest::newRow("no file") << QByteArray() << 2 << "No such file" << "";
        QTest::newRow("a trailing piece") << alphaBeta() + QByteArray(50, 'x') << 4 << "" << Alpha;
    }
    void archivesWithoutGames()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, rows);
        QFETCH(QString, reason);
        QFETCH(QString, chosen);
        if (content == "dir")
            QVERIFY(QDir().mkpath(m_path));
        else if (!content.isNull())
            writeArchive(m_path, content);
        frmGame browser;
        browser.show();
        FlexGrid &grid = gridOf(browser);
        QCOMPARE(grid.Rows(), rows);
        QVERIFY(!grid.viewport()->grab().isNull());
        QCOMPARE(TestSupport::boxes().shown.size(), reason.isEmpty() ? 0 : 1);
        if (!reason.isEmpty()) {
            const QString prompt = TestSupport::boxes().shown.first().prompt;
            QVERIFY2(prompt.contains(QDir::toNativeSeparators(m_path)), qPrintable(prompt));
            QVERIFY2(prompt.contains(reason, Qt::CaseInsensitive), qPrintable(prompt));
        }
        QTest::mouseClick(button(browser, "cmdOpen"), Qt::LeftButton);
        QCOMPARE(Module1.SelectedGame, chosen);
        QVERIFY(!browser.isVisible());
        QCOMPARE(cellText(grid, rows - 1, 0), QString());
    }

    // Another copy of the program adds a game, then cuts the file back to its
    // id record: the rows stay as counted and the lost games read empty.
    void archiveChangingWhileOpen()
    {
        writeArchive(m_path);
        frmGame browser;
        FlexGrid &grid = gridOf(browser);
        writeArchive(m_path, alphaBeta() + game("Gamma", "Carla", "00:00:00", "5"));
        QCOMPARE(grid.Rows(), 4);
        QVERIFY(QFile::resize(m_path, GameRecord::Size));
        browser.show();
        QVERIFY(!grid.viewport()->grab().isNull());
        QCOMPARE(cellText(grid, 2, 0), QString());
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

VARKO_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
