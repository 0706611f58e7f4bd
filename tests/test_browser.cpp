#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/GameListModel.h"
#include "archive/GameRecord.h"
#include "archive/frmGame.h"
#include "ui/FlexGrid.h"
#include "ui/Twips.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>

namespace {

// Fills a clock's three two-character fields from "hh:mm:ss".
void setClock(QString &hours, QString &minutes, QString &seconds, const QString &hms)
{
    const QStringList parts = hms.split(u':');
    hours = parts.at(0);
    minutes = parts.at(1);
    seconds = parts.at(2);
}

GameRecord game(const QString &name, const QString &white = QStringLiteral("Anna"),
                const QString &black = QStringLiteral("Bruno"))
{
    GameRecord r;
    r.RecordName = name;
    r.WhitePlayer = white;
    r.BlackPlayer = black;
    setClock(r.WhiteHours, r.WhiteMinutes, r.WhiteSeconds, QStringLiteral("00:12:07"));
    setClock(r.BlackHours, r.BlackMinutes, r.BlackSeconds, QStringLiteral("00:09:41"));
    setClock(r.TotalHours, r.TotalMinutes, r.TotalSeconds, QStringLiteral("00:21:48"));
    r.Limit = QStringLiteral("30");
    r.WhiteLeft = QStringLiteral("18");
    r.BlackLeft = QStringLiteral("21");
    return r;
}

// Alpha at 1 h 5 min 9 s for White; Beta with a name that needs Windows-1252.
QList<GameRecord> alphaBeta()
{
    GameRecord alpha = game(QStringLiteral("Alpha"));
    setClock(alpha.WhiteHours, alpha.WhiteMinutes, alpha.WhiteSeconds, QStringLiteral("01:05:09"));
    GameRecord beta = game(QStringLiteral("Beta"), QStringLiteral("José"), QStringLiteral("Zoë"));
    beta.Limit = QStringLiteral("120");
    return {alpha, beta};
}

QString padded(const QString &text, int width)
{
    return text.leftJustified(width, u' ');
}

void writeArchive(const QString &path, const QList<GameRecord> &games, const QByteArray &tail = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray bytes = GameRecord::idRecord(0);
    for (const GameRecord &g : games)
        bytes += g.encode();
    bytes += tail;
    QCOMPARE(file.write(bytes), bytes.size());
}

FlexGrid *gridOf(QWidget &browser)
{
    return browser.findChild<FlexGrid *>(QStringLiteral("dgGame"));
}

QPushButton *button(QWidget &browser, const char *name)
{
    return browser.findChild<QPushButton *>(QString::fromLatin1(name));
}

// Centre of a grid cell in viewport coordinates (grid rows count the fixed row).
QPoint cellCentre(FlexGrid &grid, int row, int col)
{
    const QModelIndex index = grid.model()->index(row - 1, col);
    grid.scrollTo(index);
    return grid.visualRect(index).center();
}

QString cellText(FlexGrid &grid, int row, int col)
{
    grid.setRow(row);
    grid.setCol(col);
    return grid.Text();
}

enum class Pick { None, ClickBetaColumn5, DragAlphaToBeta, ShiftClickAlphaToBeta, ClickBetaThenUp, ClickEmptyRow };

void pick(FlexGrid &grid, Pick how)
{
    QWidget *vp = grid.viewport();
    switch (how) {
    case Pick::None: break;
    case Pick::ClickBetaColumn5: QTest::mouseClick(vp, Qt::LeftButton, {}, cellCentre(grid, 2, 5)); break;
    case Pick::DragAlphaToBeta:
        QTest::mousePress(vp, Qt::LeftButton, {}, cellCentre(grid, 1, 1));
        QTest::mouseMove(vp, cellCentre(grid, 2, 3));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, cellCentre(grid, 2, 3));
        break;
    case Pick::ShiftClickAlphaToBeta:
        QTest::mouseClick(vp, Qt::LeftButton, {}, cellCentre(grid, 1, 2));
        QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, cellCentre(grid, 2, 2));
        break;
    case Pick::ClickBetaThenUp:
        QTest::mouseClick(vp, Qt::LeftButton, {}, cellCentre(grid, 2, 4));
        QTest::keyClick(&grid, Qt::Key_Up);
        break;
    case Pick::ClickEmptyRow: QTest::mouseClick(vp, Qt::LeftButton, {}, cellCentre(grid, 3, 0)); break;
    }
}

} // namespace

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
        writeArchive(m_path, alphaBeta());
        GameListModel games;
        QString reason;
        QVERIFY(games.open(m_path, &reason));
        QAbstractItemModelTester gamesTester(&games, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(games.rowCount(), 3); // Alpha, Beta, the empty row

        frmGame browser;
        FlexGrid &grid = *gridOf(browser);
        QAbstractItemModelTester gridTester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
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

    void idRecordOnlyGivesHeaderAndEmptyRow()
    {
        writeArchive(m_path, {});
        frmGame browser;
        browser.show();
        FlexGrid &grid = *gridOf(browser);
        QCOMPARE(grid.Rows(), 2);
        QCOMPARE(grid.Cols(), 7);
        QCOMPARE(Module1.SelectedGame, QString());
        QTest::mouseClick(button(browser, "cmdOpen"), Qt::LeftButton);
        QCOMPARE(Module1.SelectedGame, QString());
        QVERIFY(!browser.isVisible());
        QVERIFY(TestSupport::boxes().shown.isEmpty());
    }

    void opensOnFirstGameAlone()
    {
        writeArchive(m_path, alphaBeta());
        frmGame browser;
        browser.show();
        FlexGrid &grid = *gridOf(browser);
        QCOMPARE(grid.Rows(), 4);
        QCOMPARE(grid.Row(), 1);
        QCOMPARE(grid.Col(), 6);
        QCOMPARE(grid.RowSel(), 1);
        const QModelIndexList selected = grid.selectionModel()->selectedIndexes();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first(), grid.model()->index(0, 6));
        QTest::mouseClick(button(browser, "cmdOpen"), Qt::LeftButton);
        QCOMPARE(Module1.SelectedGame, padded(QStringLiteral("Alpha"), 15));
        QCOMPARE(browser.result(), int(QDialog::Accepted));
    }

    void cellTexts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        const QStringList headers = {"Game ...",    "White",       "Black",       "Limit at",
                                     "White Limit", "Black Limit", "Time stop at"};
        for (int c = 0; c < 7; ++c)
            QTest::addRow("header %d", c) << 0 << c << headers[c];
        QTest::newRow("name with its blanks") << 1 << 0 << padded("Alpha", 15);
        QTest::newRow("white player") << 1 << 1 << padded("Anna", 30);
        QTest::newRow("black player") << 1 << 2 << padded("Bruno", 30);
        QTest::newRow("limit") << 1 << 3 << "30 ";
        QTest::newRow("white clock") << 1 << 4 << "01:05:09";
        QTest::newRow("black clock") << 1 << 5 << "00:09:41";
        QTest::newRow("total clock") << 1 << 6 << "00:21:48";
        QTest::newRow("second game") << 2 << 0 << padded("Beta", 15);
        QTest::newRow("accented player") << 2 << 1 << padded(QStringLiteral("José"), 30);
        QTest::newRow("three-digit limit") << 2 << 3 << "120";
        QTest::newRow("empty row name") << 3 << 0 << "";
        QTest::newRow("empty row clock") << 3 << 6 << "";
    }

    void cellTexts()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, text);
        writeArchive(m_path, alphaBeta());
        frmGame browser;
        FlexGrid &grid = *gridOf(browser);
        QCOMPARE(cellText(grid, row, col), text);
        // What the view paints is what Text says.
        const QVariant shown = row == 0 ? grid.model()->headerData(col, Qt::Horizontal)
                                        : grid.model()->index(row - 1, col).data();
        QCOMPARE(shown.toString(), text);
    }

    void boldCells_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<bool>("bold");
        QTest::newRow("header name") << 0 << 0 << true;
        QTest::newRow("header clock") << 0 << 6 << true;
        QTest::newRow("game name") << 1 << 0 << true;
        QTest::newRow("game player") << 1 << 1 << false;
        QTest::newRow("game clock") << 2 << 6 << false;
        QTest::newRow("empty row name") << 3 << 0 << true;
        QTest::newRow("empty row limit") << 3 << 3 << false;
    }

    void boldCells()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(bool, bold);
        writeArchive(m_path, alphaBeta());
        frmGame browser;
        FlexGrid &grid = *gridOf(browser);
        grid.setRow(row);
        grid.setCol(col);
        QCOMPARE(grid.CellFontBold(), bold);
        const QVariant font = row == 0 ? grid.model()->headerData(col, Qt::Horizontal, Qt::FontRole)
                                       : grid.model()->index(row - 1, col).data(Qt::FontRole);
        QCOMPARE(qvariant_cast<QFont>(font).bold(), bold);
    }

    void choosingARow_data()
    {
        QTest::addColumn<Pick>("how");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("no click") << Pick::None << padded("Alpha", 15);
        QTest::newRow("column 5 of Beta") << Pick::ClickBetaColumn5 << padded("Beta", 15);
        QTest::newRow("drag Alpha to Beta") << Pick::DragAlphaToBeta << padded("Beta", 15);
        QTest::newRow("shift-click Alpha to Beta") << Pick::ShiftClickAlphaToBeta << padded("Beta", 15);
        QTest::newRow("Beta, then arrow up") << Pick::ClickBetaThenUp << padded("Alpha", 15);
        QTest::newRow("empty row") << Pick::ClickEmptyRow << QString();
    }

    void choosingARow()
    {
        QFETCH(Pick, how);
        QFETCH(QString, chosen);
        writeArchive(m_path, alphaBeta());
        // Shown the way the main window shows it.
        TestSupport::scriptDialogs([how](QDialog &dialog) {
            pick(*gridOf(dialog), how);
            QTest::mouseClick(button(dialog, "cmdOpen"), Qt::LeftButton);
        });
        frmGame browser;
        QCOMPARE(Modal::exec(browser), int(QDialog::Accepted));
        QCOMPARE(Module1.SelectedGame, chosen);
    }

    void sameNameTwiceGivesTwoRowsOfOneName()
    {
        writeArchive(m_path, {game("Blitz", "Anna"), game("Blitz", "Carla")});
        frmGame browser;
        FlexGrid &grid = *gridOf(browser);
        QCOMPARE(grid.Rows(), 4);
        QCOMPARE(cellText(grid, 1, 0), cellText(grid, 2, 0));
        QCOMPARE(cellText(grid, 2, 1), padded("Carla", 30));
    }

    void leavingChoosesNothing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Exit") << false;
        QTest::newRow("close box") << true;
    }

    void leavingChoosesNothing()
    {
        QFETCH(bool, closeBox);
        writeArchive(m_path, alphaBeta());
        frmGame browser;
        browser.show();
        QTest::mouseClick(gridOf(browser)->viewport(), Qt::LeftButton, {}, cellCentre(*gridOf(browser), 2, 0));
        if (closeBox)
            browser.close();
        else
            QTest::mouseClick(button(browser, "cmdExit"), Qt::LeftButton);
        QVERIFY(!browser.isVisible());
        QCOMPARE(browser.result(), int(QDialog::Rejected));
        QCOMPARE(Module1.SelectedGame, QString());
    }

    void enterAndEscapeDoNotClose_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::newRow("Escape on the grid") << "dgGame" << int(Qt::Key_Escape);
        QTest::newRow("Enter on the grid") << "dgGame" << int(Qt::Key_Return);
        QTest::newRow("Enter on Open Game") << "cmdOpen" << int(Qt::Key_Return);
        QTest::newRow("Escape on Exit") << "cmdExit" << int(Qt::Key_Escape);
    }

    void enterAndEscapeDoNotClose()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        writeArchive(m_path, alphaBeta());
        frmGame browser;
        browser.show();
        QWidget *target = browser.findChild<QWidget *>(focus);
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(browser.isVisible());
        QCOMPARE(Module1.SelectedGame, QString());
    }

    void unreadableArchive_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder at the path") << true << "directory";
        QTest::newRow("no file") << false << "No such file";
    }

    void unreadableArchive()
    {
        QFETCH(bool, folder);
        QFETCH(QString, reason);
        if (folder)
            QVERIFY(QDir().mkpath(m_path));
        frmGame browser;
        browser.show();
        FlexGrid &grid = *gridOf(browser);
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        const QString prompt = TestSupport::boxes().shown.first().prompt;
        QVERIFY2(prompt.contains(QDir::toNativeSeparators(m_path)), qPrintable(prompt));
        QVERIFY2(prompt.contains(reason, Qt::CaseInsensitive), qPrintable(prompt));
        QCOMPARE(grid.Rows(), 2);
        QVERIFY(!grid.viewport()->grab().isNull());
        QTest::mouseClick(button(browser, "cmdOpen"), Qt::LeftButton);
        QCOMPARE(Module1.SelectedGame, QString());
    }

    void trailingPieceIsNotARow()
    {
        writeArchive(m_path, alphaBeta(), QByteArray(50, 'x'));
        frmGame browser;
        QCOMPARE(gridOf(browser)->Rows(), 4);
        QCOMPARE(cellText(*gridOf(browser), 3, 0), QString());
    }

    void archiveChangingWhileOpen()
    {
        writeArchive(m_path, alphaBeta());
        frmGame browser;
        FlexGrid &grid = *gridOf(browser);
        // Another copy of the program appends a game: the rows stay as counted.
        {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::Append));
            file.write(game("Gamma").encode());
        }
        QCOMPARE(grid.Rows(), 4);
        // The file is cut back to its id record: the lost games read empty.
        QVERIFY(QFile::resize(m_path, GameRecord::Size));
        browser.show();
        QVERIFY(!grid.viewport()->grab().isNull());
        QCOMPARE(cellText(grid, 2, 0), QString());
    }

    void windowLayout()
    {
        writeArchive(m_path, alphaBeta());
        frmGame browser;
        FlexGrid &grid = *gridOf(browser);
        QWidget *strip = browser.findChild<QWidget *>(QStringLiteral("P1"));
        QVERIFY(strip);
        QCOMPARE(browser.windowTitle(), QStringLiteral("Saved Game"));
        QCOMPARE(browser.size(), Twips::size(6675, 3195));
        QCOMPARE(browser.minimumSize(), browser.maximumSize());
        QVERIFY(!(browser.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(browser.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!browser.windowIcon().isNull());
        QCOMPARE(browser.font().family(), QStringLiteral("Comic Sans MS"));
        QCOMPARE(browser.font().pointSizeF(), 8.25);
        QCOMPARE(grid.geometry(), QRect(0, 0, Twips::px(6675), Twips::px(3195) - Twips::px(735)));
        QCOMPARE(strip->geometry(), Twips::rect(0, 3195 - 735, 6675, 735));
        const int widths[] = {800, 1000, 1000, 500, 1000, 1000, 1200};
        for (int c = 0; c < 7; ++c)
            QCOMPARE(grid.ColWidth(c), Twips::fromPx(Twips::px(widths[c])));
        QPushButton *open = button(browser, "cmdOpen");
        QPushButton *exit = button(browser, "cmdExit");
        QCOMPARE(open->text(), QStringLiteral("Open Game"));
        QCOMPARE(exit->text(), QStringLiteral("Exit"));
        QCOMPARE(open->geometry(), Twips::rect(240, 120, 1335, 495));
        QCOMPARE(exit->geometry(), Twips::rect(5160, 120, 1215, 495));
        QVERIFY(open->font().bold() && exit->font().bold());
        QVERIFY(!open->isDefault() && !open->autoDefault() && !exit->isDefault() && !exit->autoDefault());
    }

    void gridCellsOfItsOwnWinOverTheSource()
    {
        QStandardItemModel source(2, 2);
        source.setHorizontalHeaderLabels({QStringLiteral("A"), QStringLiteral("B")});
        source.setData(source.index(0, 1), QStringLiteral("from source"));
        FlexGrid grid;
        grid.setSource(&source);
        grid.setRows(4);
        grid.setCols(3);
        QCOMPARE(cellText(grid, 0, 1), QStringLiteral("B"));
        QCOMPARE(cellText(grid, 1, 1), QStringLiteral("from source"));
        grid.setText(QStringLiteral("own"));
        QCOMPARE(grid.Text(), QStringLiteral("own"));
        QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("own"));
        // Beyond the source's rows and columns cells are empty until given a text.
        QCOMPARE(cellText(grid, 3, 2), QString());
        grid.setText(QStringLiteral("corner"));
        grid.setCellFontBold(true);
        grid.setRows(3);
        grid.setRows(4);
        QCOMPARE(cellText(grid, 3, 2), QString());
        QVERIFY(!grid.CellFontBold());
        // A row outside the grid leaves the current cell where it was.
        QTest::ignoreMessage(QtWarningMsg, "FlexGrid: row 4 outside 0..3");
        grid.setRow(4);
        QCOMPARE(grid.Row(), 3);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

VARKO_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
