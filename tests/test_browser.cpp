// The saved-games browser: what its grid shows, which game each gesture
// chooses, and archives it cannot list.
#include "app/Module1.h"
#include "archive/GameRecord.h"
#include "archive/frmGame.h"
#include "tests/common/TestSupport.h"
#include "ui/FlexGrid.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
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
const QString Alpha = QString("Alpha").leftJustified(15);
const QString Beta = QString("Beta").leftJustified(15);

// What the user does in the grid before leaving the browser.
using Gesture = std::function<void(FlexGrid &)>;

} // namespace

Q_DECLARE_METATYPE(Gesture)

class TestBrowser : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath("Varko.dat");

    static FlexGrid &gridOf(const QWidget &w) { return *w.findChild<FlexGrid *>("dgGame"); }
    static QPushButton *button(const QWidget &w, const QString &n) { return w.findChild<QPushButton *>(n); }
    // The file cut at `at` and `bytes` written there; a cut past the end
    // leaves a hole (no disk used).
    void write(const QByteArray &bytes, qint64 at = 0)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(at) && file.seek(at));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void init()
    {
        QFile::remove(m_path) || QDir(m_path).removeRecursively(); // a file, folder or pipe
        Module1.ArchivePath = QDir::toNativeSeparators(m_path);
        Module1.SelectedGame = "stale";
        TestSupport::boxes().reset();
        write(alphaBeta());
    }

    // Only Open Game chooses a game; Exit and the close box leave without one,
    // and Enter and Escape on the grid do not close the window at all.
    void choosing_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QString>("leave"); // a button, the close box or a key on the grid
        QTest::addColumn<QString>("chosen");
        const Gesture beta = [](FlexGrid &g) {
            QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.showCell(2, 5).center());
        };
        const Gesture drag = [](FlexGrid &g) {
            QTest::mousePress(g.viewport(), Qt::LeftButton, {}, g.showCell(1, 1).center());
            QTest::mouseMove(g.viewport(), g.showCell(2, 3).center());
            QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, g.showCell(2, 3).center());
        };
        const Gesture up = [](FlexGrid &g) { QTest::keyClick(&g, Qt::Key_Up); };
        QTest::newRow("Up stays on the first game") << up << "cmdOpen" << Alpha;
        QTest::newRow("column 5 of Beta") << beta << "cmdOpen" << Beta;
        QTest::newRow("drag Alpha to Beta") << drag << "cmdOpen" << Beta;
        for (const char *leave : {"cmdExit", "close", "Escape", "Enter"})
            QTest::newRow(leave) << beta << QString(leave) << QString();
        // Enter presses the focused button, as Space does.
        QTest::newRow("Enter on Open Game") << beta << "cmdOpen Enter" << Beta;
        QTest::newRow("Enter on Exit") << beta << "cmdExit Enter" << QString();
    }
    void choosing()
    {
        QFETCH(Gesture, gesture);
        QFETCH(QString, leave);
        QFETCH(QString, chosen);
        frmGame browser;
        browser.show();
        FlexGrid &grid = gridOf(browser);
        QCOMPARE(grid.Rows(), 4); // Alpha, Beta, the empty row; the piece is none
        // Alpha's last cell alone is current and selected at opening.
        QVERIFY(grid.Row() == 1 && grid.Col() == 6 && grid.RowSel() == 1);
        gesture(grid);
        QWidget *target = leave.startsWith("cmd") ? button(browser, leave.section(" ", 0, 0))
                                                  : static_cast<QWidget *>(&grid);
        if (leave == "close")
            browser.close();
        else if (leave.startsWith("cmd") && !leave.endsWith("Enter"))
            QTest::mouseClick(target, Qt::LeftButton);
        else {
            target->setFocus();
            QTest::keyClick(target, leave == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        }
        QCOMPARE(Module1.SelectedGame, chosen);
        QCOMPARE(browser.isVisible(), leave == "Escape" || leave == "Enter");
        QCOMPARE(browser.result(), chosen.isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted));
    }

    // Row r shows record r + 1, the name bold with its blanks. Another copy of
    // the program cuts the file back to its id record while the browser is
    // open: the rows stay as counted and the lost games read empty. Archives
    // without a game keep the empty row and Open Game chooses nothing; the
    // user is told when the file cannot be read.
    void archivesLosingTheirGames()
    {
        frmGame shrinking;
        FlexGrid &grid = gridOf(shrinking);
        grid.setCol(0); // on Alpha's row at opening
        QCOMPARE(grid.Text() + (grid.CellFontBold() ? "*" : ""), Alpha + "*");
        grid.setCol(4);
        QCOMPARE(grid.Text(), "01:05:09");
        QVERIFY(QFile::resize(m_path, GameRecord::Size));
        shrinking.show();
        QVERIFY(!grid.viewport()->grab().isNull());
        grid.setRow(2);
        QVERIFY(grid.Rows() == 4 && grid.Text().isEmpty());
        // Then a folder, and a named pipe, which must not make the browser wait.
        for (const QString reason : {"", "directory", "named pipe"}) {
            if (reason == "directory")
                QVERIFY(QFile::remove(m_path) && QDir().mkpath(m_path));
            else if (!reason.isEmpty())
                QVERIFY(QDir(m_path).removeRecursively() && ::mkfifo(QFile::encodeName(m_path), 0600) == 0);
            TestSupport::boxes().reset();
            frmGame browser;
            browser.show();
            QVERIFY(gridOf(browser).Rows() == 2 && !gridOf(browser).viewport()->grab().isNull());
            QCOMPARE(TestSupport::boxes().shown.size(), int(!reason.isEmpty()));
            button(browser, "cmdOpen")->click();
            QCOMPARE(Module1.SelectedGame, QString());
            const QString prompt = reason.isEmpty() ? QString() : TestSupport::boxes().shown.first().prompt;
            QVERIFY2(prompt.contains(QDir::toNativeSeparators(m_path)) == !reason.isEmpty() &&
                         prompt.contains(reason, Qt::CaseInsensitive),
                     qPrintable(prompt));
        }
    }

    // 2^32 + 3 records, all but the first and last a hole: the grid has a row
    // for each, and the keys reach the last game and the empty row below it
    // through the scaled scroll bar.
    void archiveBeyond32BitCount()
    {
        const qint64 last = (qint64(1) << 32) + 3;
        GameRecord far;
        far.RecordName = "Far";
        write(alphaBeta().first(3 * GameRecord::Size));
        write(far.encode(), (last - 1) * GameRecord::Size);
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
        button(browser, "cmdOpen")->click();
        QCOMPARE(Module1.SelectedGame, QString("Far").leftJustified(15));
    }
};

VARKO_TEST_MAIN(TestBrowser)
#include "test_browser.moc"
