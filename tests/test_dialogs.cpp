// The dialogs: the About box (system information through the registry, the
// icons' animation), the settings dialog and the saved-games browser.
#include "app/Module1.h"
#include "archive/GameRecord.h"
#include "archive/SavedGamesModel.h"
#include "archive/frmGame.h"
#include "dialogs/Registry.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmSet.h"
#include "tests/common/TestSupport.h"
#include "ui/ProgramStarter.h"
#include "ui/TableGrid.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>

#include <sys/stat.h>

namespace {

// What the registry holds for a key's one value; without a reply it is missing.
using Reply = std::optional<Registry::Value>;

// A text value, stored as Windows stores one: with its terminating NUL.
Reply text(const QByteArray &value)
{
    return Registry::Value{Registry::TextValue, value + '\0'};
}

template <class T = QWidget> T *child(const QWidget &w, const char *name)
{
    return w.findChild<T *>(QLatin1String(name));
}

// Steps the clock on by each of `steps` ms, noting the icon frames on show
// after each: "", "1", "2" (or "12", never wanted).
QStringList framesAfter(const QWidget &about, std::initializer_list<int> steps)
{
    QStringList seen;
    for (int ms : steps) {
        TestSupport::clock().advanceInSteps(ms);
        seen << QString(child(about, "If1")->isVisible() ? "1" : "") +
                    (child(about, "if2")->isVisible() ? "2" : "");
    }
    return seen;
}

// Alpha and Beta, then a piece shorter than a record.
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
using Gesture = std::function<void(TableGrid &)>;

} // namespace

Q_DECLARE_METATYPE(Gesture)

// Also the registry and the program starter. The registry holds the tool's
// value and the folder's, under their keys alone. What is started is
// recorded; a program named "broken" fails to start.
class TestDialogs : public TestSupport::TestCase, Registry::Reader, ProgramStarter::Seam {
    Q_OBJECT

    Reply m_tool, m_folder;
    QStringList m_started;
    QWidget m_main;
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath("Varko.dat");

    Reply value(quint32 root, const QByteArray &key, const QByteArray &name) const override
    {
        if (root != Registry::LocalMachine)
            return std::nullopt;
        if (key == "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO" && name == "PATH")
            return m_tool;
        if (key == "SOFTWARE\\Microsoft\\Shared Tools Location" && name == "MSINFO")
            return m_folder;
        return std::nullopt;
    }
    bool start(const QString &path) override
    {
        m_started << path;
        return !path.endsWith("broken");
    }

    // Names and limit are written together, or not at all.
    static bool untouched()
    {
        return Module1.TimeLimit == 55 && Module1.WhiteName + Module1.GameName == "x0x0";
    }
    static QComboBox *cbTime(const QWidget &d) { return child<QComboBox>(d, "cbTime"); }
    static QPushButton *cmdConferma(const QWidget &d) { return child<QPushButton>(d, "cmdConferma"); }
    static TableGrid &gridOf(const QWidget &w) { return *w.findChild<TableGrid *>("dgGame"); }
    static QPushButton *button(const QWidget &w, const QString &n) { return w.findChild<QPushButton *>(n); }
    // The file cut at `at` and `bytes` written there; a cut past the end
    // leaves a hole (no disk used).
    void write(const QByteArray &bytes, qint64 at = 0)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(at) && file.seek(at));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    void setUp() override
    {
        m_tool = m_folder = std::nullopt;
        m_started.clear();
        Outside<Registry::Reader>::replace(*this);
        Outside<ProgramStarter::Seam>::replace(*this);
        Module1.WhiteName = Module1.GameName = "x0";
        Module1.TimeLimit = 55;
        m_main.show();
        QFile::remove(m_path) || QDir(m_path).removeRecursively(); // a file, folder or pipe
        Module1.ArchivePath = QDir::toNativeSeparators(m_path);
        Module1.SelectedGame = "stale";
        write(alphaBeta());
    }

private slots:
    // One instance serves every showing: each opening starts with a whole
    // second of both frames hidden, then the frames go on alternating from
    // where the last showing stopped; nothing ticks while closed. Enter on
    // OK and Escape close it. Its black texts keep a light ground in a dark
    // theme.
    void aboutShowings()
    {
        const QPalette theme = QApplication::palette();
        QApplication::setPalette(QPalette(QColor(30, 30, 30), QColor(30, 30, 30))); // white text
        frmAbout about;
        QApplication::setPalette(theme);
        about.show();
        QCOMPARE(framesAfter(about, {0, 999, 1, 1000, 1000, 500}), QStringList({"", "", "1", "2", "1", "1"}));
        QTest::keyClick(about.focusWidget(), Qt::Key_Return);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        TestSupport::clock().advanceMs(5000);
        about.show();
        QCOMPARE(framesAfter(about, {0, 999, 1, 1000}), QStringList({"", "", "2", "1"}));
        QTest::keyClick(about.focusWidget(), Qt::Key_Escape);
        QVERIFY(!about.isVisible() && about.result() == QDialog::Rejected);
        for (const char *name : {"lblTitle", "lblDisclaimer"}) {
            const QImage shot = child(about, name)->grab().toImage();
            int darkest = 255;
            for (int x = 0; x < shot.width(); ++x)
                darkest = std::min(darkest, shot.pixelColor(x, shot.height() / 2).lightness());
            QVERIFY2(shot.pixelColor(0, 0).lightness() > 200 && darkest < 60, name);
        }
    }

    void systemInformation_data()
    {
        QTest::addColumn<Reply>("first");
        QTest::addColumn<Reply>("second");    // "<dir>": a folder with the tool and the desktop's tools
        QTest::addColumn<QString>("started"); // empty: nothing started

        const Reply dir = text("<dir>"), none;
        QTest::newRow("first as read, no file there, NUL cut")
            << text("C:\\Tools\\msinfo.exe") << none << "C:\\Tools\\msinfo.exe";
        QTest::newRow("first fails to start") << text("/opt/broken") << none << "/opt/broken";
        QTest::newRow("second without the file") << none << text("<dir>/elsewhere") << "";
        QTest::newRow("first of another type") // REG_EXPAND_SZ
            << Reply({2, "%SystemRoot%\\msinfo32.exe"}) << dir << "";
        const QByteArray full(1024, 'x');
        QTest::newRow("first of 1024 bytes, no NUL")
            << Reply({Registry::TextValue, full}) << dir << QString(full);
        QTest::newRow("first over 1024 bytes") << text(full) << dir << "<dir>/MSINFO32.EXE";
        QTest::newRow("size 0") << Reply({Registry::TextValue, {}}) << dir << "";
        // The default reader answers the first key with the first tool on the
        // search path that may be run (hardinfo is preferred, but not
        // executable).
        QTest::newRow("desktop reader") << none << none << "<dir>/kinfocenter";
    }
    void systemInformation()
    {
        QFETCH(Reply, first);
        QFETCH(Reply, second);
        QFETCH(QString, started);
        QTemporaryDir folder;
        const QString dir = QDir::toNativeSeparators(folder.path());
        for (const char *name : {"MSINFO32.EXE", "hardinfo", "gnome-system-monitor", "kinfocenter"}) {
            QFile f(folder.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) &&
                    (qstrcmp(name, "hardinfo") == 0 || f.setPermissions(QFile::ReadOwner | QFile::ExeOwner)));
        }
        if (second)
            second->data.replace("<dir>", QFile::encodeName(dir));
        m_tool = first;
        m_folder = second;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(folder.path()));
        if (started.endsWith("kinfocenter"))
            Outside<Registry::Reader>::restore();
        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
        qputenv("PATH", path);
        started.replace("<dir>", dir);
        QCOMPARE(m_started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(TestSupport::boxes().shown.size(), int(started.isEmpty() || started.endsWith("broken")));
    }

    void settingsShowings()
    {
        frmSet dlg(&m_main);
        for (const QString game : {"", "Sevilla 1987   x", "Chennai"}) {
            dlg.show();
            QApplication::setActiveWindow(&dlg); // focus and completion behave as a user sees them
            QCOMPARE(dlg.focusWidget(), cmdConferma(dlg));
            QCOMPARE(child<QLineEdit>(dlg, "txtGameName")->text() + cbTime(dlg)->currentText(), "10");
            QTest::keyClicks(child(dlg, "txtWName"), QString(31, u'w')); // after the default name
            QTest::keyClicks(child(dlg, "txtGameName"), game);
            cbTime(dlg)->setCurrentIndex(4);
            if (game.isEmpty()) {
                // The limit box takes digits and Delete (as X11 delivers it: with
                // the DEL character as its text) but no other character, and
                // completes nothing.
                QComboBox *box = cbTime(dlg);
                box->setFocus(); // completion works only with the focus
                for (Qt::Key key :
                     {Qt::Key_A, Qt::Key_Space, Qt::Key_Minus, Qt::Key_Period, Qt::Key_Backspace})
                    QTest::keyClick(box, key);
                QTest::keyClick(box, Qt::Key_Home);
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Delete, QString("\x7f"), Qt::NoModifier);
                QTest::keyClick(box, Qt::Key_5);
                QCOMPARE(box->currentText(), "520");
                box->setEditText(QString());
                QTest::keyClick(box, Qt::Key_6);
                QCOMPARE(box->currentText(), "6");
                for (const char *name : {"txtWName", "txtBName", "cbTime", "txtGameName"})
                    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                        child(dlg, name)->setFocus();
                        QTest::keyClick(child(dlg, name), key);
                        QVERIFY2(dlg.isVisible(), name);
                    }
                QVERIFY(dlg.close() && untouched());
                continue;
            }
            QTest::keyClick(cmdConferma(dlg), Qt::Key_Return);
            // The names cut at their lengths, trailing blanks kept.
            QCOMPARE(Module1.WhiteName + Module1.BlackName + Module1.GameName +
                         QString::number(Module1.TimeLimit),
                     "White" + QString(25, u'w') + "Black" + game.left(15) + "120");
        }
    }

    // OK takes a limit of whole minutes from 1 to 999 (empty is 30) and a game
    // name the archive can hold as typed (it would be stored with "?" and meet
    // other names there), composed, and names without control characters.
    // Anything else is refused, naming each character once: the dialog stays
    // open, writes nothing and puts the focus on the box refused.
    void settingsConfirming_data()
    {
        QTest::addColumn<QString>("limit"); // as pasted: past the key filter
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("outcome"); // "<minutes> <name>" written, or "!" and part of the refusal
        const QString game = "txtGameName";
        QTest::newRow("empty is 30") << QString() << game << QString() << "30 ";
        QTest::newRow("0007") << "0007" << game << QString() << "7 ";
        QTest::newRow("999") << "999" << game << QString() << "999 ";
        for (const char *refused : {"0", "1000", "123456789012345678901234567890", "abc"})
            QTest::addRow("limit %s", refused) << QString(refused) << game << QString() << "!999";
        QTest::newRow("Cyrillic") << "10" << game << u"\u0422\u0443\u0440 1 \u0422"_qs
                                  << u"!\"\u0422\" (U+0422), \"\u0443\" (U+0443), \"\u0440\" (U+0440). "_qs;
        QTest::newRow("outside the BMP")
            << "10" << game << u"Blitz \U0001F600"_qs << u"!\"\U0001F600\" (U+1F600). "_qs;
        QTest::newRow("mark with no composed byte") << "10" << game << u"q\u0308"_qs << "!(U+0308). ";
        QTest::newRow("decomposed with a byte") << "10" << game << u"Zoe\u0308"_qs << u"10 Zo\u00EB"_qs;
        const QString codePage = u"Caf\u00E9 \u20AC \u0153?"_qs;
        QTest::newRow("code page letters") << "10" << game << codePage << "10 " + codePage;
        // Both ends of both ranges of control characters, in every name.
        QTest::newRow("a lone tab")
            << "10" << game << "\t"
            << u"!The game's name cannot be saved as typed: it holds the control characters \"\u2409\" (U+0009) ("_qs;
        QTest::newRow("pasted lines")
            << "10"
            << "txtWName"
            << "Anna\nKarpov\r\n"
            << u"!White's name cannot be saved as typed: it holds the control characters \"\u240A\" (U+000A), \"\u240D\" (U+000D) ("_qs;
        QTest::newRow("NUL and DEL")
            << "10"
            << "txtBName" << u"B\u0000b\u001F\u007F"_qs
            << u"!\"\u2400\" (U+0000), \"\u241F\" (U+001F), \"\u2421\" (U+007F) ("_qs;
        QTest::newRow("C1 controls") << "10" << game << u"\u0080a\u009F"_qs
                                     << "!characters (U+0080), (U+009F) (";
        QTest::newRow("beside the controls") << "10" << game << u"\u00A0 ~"_qs << u"10 \u00A0 ~"_qs;
    }
    void settingsConfirming()
    {
        QFETCH(QString, limit);
        QFETCH(QString, box);
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        frmSet dlg(&m_main);
        dlg.show();
        cbTime(dlg)->setEditText(limit);
        child<QLineEdit>(dlg, qPrintable(box))->setText(name);
        cmdConferma(dlg)->click();
        const bool refused = outcome.startsWith('!');
        QCOMPARE(dlg.isVisible(), refused);
        QCOMPARE(TestSupport::boxes().shown.size(), int(refused));
        const QString prompt = refused ? TestSupport::boxes().shown.first().prompt : QString();
        if (refused) // the name refused gets the focus
            QVERIFY2(prompt.contains(outcome.mid(1)) && untouched() &&
                         (name.isEmpty() || dlg.focusWidget() == child(dlg, qPrintable(box))),
                     qPrintable(prompt));
        else
            QCOMPARE(QString::number(Module1.TimeLimit) + ' ' + Module1.GameName, outcome);
    }

    // Only Open Game chooses a game; Exit and the close box leave without one,
    // and Enter and Escape on the grid do not close the window at all.
    void choosing_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QString>("leave"); // a button, the close box or a key on the grid
        QTest::addColumn<QString>("chosen");
        const Gesture beta = [](TableGrid &g) {
            QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.showCell(2, 5).center());
        };
        const Gesture up = [](TableGrid &g) { QTest::keyClick(&g, Qt::Key_Up); };
        // The row where the selection ends counts, not where it starts.
        const Gesture drag = [](TableGrid &g) {
            const QPoint from = g.showCell(1, 2).center(), to = g.showCell(2, 4).center();
            QTest::mousePress(g.viewport(), Qt::LeftButton, {}, from);
            QMouseEvent move(QEvent::MouseMove, to, g.viewport()->mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(g.viewport(), &move);
            QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, to);
        };
        const Gesture shiftDown = [](TableGrid &g) { QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier); };
        const Gesture typeB = [](TableGrid &g) {
            QTest::keyClick(&g, Qt::Key_Home); // to the names
            QTest::keyClicks(&g, "Be");
        };
        QTest::newRow("Up stays on the first game") << up << "cmdOpen" << Alpha;
        QTest::newRow("column 5 of Beta") << beta << "cmdOpen" << Beta;
        QTest::newRow("drag from Alpha to Beta") << drag << "cmdOpen" << Beta;
        QTest::newRow("Shift+Down from Alpha") << shiftDown << "cmdOpen" << Beta;
        QTest::newRow("typing moves nothing") << typeB << "cmdOpen" << Alpha;
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
        TableGrid &grid = gridOf(browser);
        // Alpha, Beta and the empty row (the piece is none), all of them
        // listed; Alpha's last cell alone is current and selected at opening.
        QVERIFY(grid.Rows() == 4 && grid.Row() == 1 && grid.Col() == 6 && grid.RowSel() == 1);
        QVERIFY(browser.findChild<QLabel *>("lblListed")->isHidden() && !grid.CellFontBold() &&
                grid.horizontalHeader()->font().bold());
        // The columns' widths and the grid's size in twips, as near as whole pixels come.
        QList<int> sizes{grid.Width(), grid.Height()};
        for (int col = 0; col < grid.Cols(); ++col)
            sizes << grid.ColWidth(col);
        QCOMPARE(sizes, QList<int>({6675, 2460, 795, 1005, 1005, 495, 1005, 1005, 1200}));
        gesture(grid);
        QWidget *target = leave.startsWith("cmd") ? button(browser, leave.section(" ", 0, 0))
                                                  : static_cast<QWidget *>(&grid);
        target->setFocus();
        if (leave == "close")
            browser.close();
        else if (leave.endsWith("Enter") || leave == "Escape") // on the focused button or the grid
            QTest::keyClick(target, leave == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        else
            QTest::mouseClick(target, Qt::LeftButton);
        QCOMPARE(Module1.SelectedGame, chosen);
        QCOMPARE(browser.isVisible(), leave == "Escape" || leave == "Enter");
        QCOMPARE(browser.result(), chosen.isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted));
    }

    // Another copy of the program cuts the file back to its id record while
    // the browser is open: the rows stay as counted and the lost games read
    // empty. Archives without a game keep the empty row and Open Game chooses
    // nothing; the user is told when the file cannot be read.
    void archivesLosingTheirGames()
    {
        frmGame shrinking;
        TableGrid &grid = gridOf(shrinking);
        QVERIFY(QFile::resize(m_path, GameRecord::Size));
        shrinking.show();
        QVERIFY(!grid.viewport()->grab().isNull());
        grid.setRow(2);
        QVERIFY(grid.Rows() == 4 && grid.Text().isEmpty());
        // Then a folder, and a named pipe, which must not make the browser wait.
        for (const QString reason : {"", "folder", "named pipe"}) {
            if (reason == "folder")
                QVERIFY(QFile::remove(m_path) && QDir().mkpath(m_path));
            else if (!reason.isEmpty())
                QVERIFY(QDir(m_path).removeRecursively() && ::mkfifo(QFile::encodeName(m_path), 0600) == 0);
            TestSupport::boxes().shown.clear();
            frmGame browser;
            browser.show();
            QVERIFY(gridOf(browser).Rows() == 2 && !gridOf(browser).viewport()->grab().isNull());
            QCOMPARE(TestSupport::boxes().shown.size(), int(!reason.isEmpty()));
            button(browser, "cmdOpen")->click();
            QCOMPARE(Module1.SelectedGame, QString());
            for (const MsgBox::Request &box : TestSupport::boxes().shown)
                QVERIFY2(box.prompt.contains(QDir::toNativeSeparators(m_path)) &&
                             box.prompt.contains(reason, Qt::CaseInsensitive),
                         qPrintable(box.prompt));
        }
    }

    // More games than the grid lists (2^32 + 2, all but the first two and
    // the last a hole): the newest are listed, down to the last game and the
    // empty row below it, and the window says so.
    void archiveBeyondTheList()
    {
        const qint64 records = (qint64(1) << 32) + 3;
        write(alphaBeta().first(3 * GameRecord::Size));
        GameRecord far;
        far.RecordName = "Far";
        write(far.encode(), (records - 1) * GameRecord::Size);
        frmGame browser;
        browser.show();
        TableGrid &grid = gridOf(browser);
        QCOMPARE(grid.Rows(), SavedGamesModel::MostListed + 2);
        QVERIFY(!grid.viewport()->grab().isNull());
        grid.setCol(0);
        QVERIFY(grid.Text() == QString(15, QChar(0)) && grid.CellFontBold()); // a hole, not Alpha
        QCOMPARE(browser.findChild<QLabel *>("lblListed")->text(),
                 "The newest 16,777,215 of 4,294,967,298 saved games are listed.");
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid.RowSel(), grid.Rows() - 1);
        QTest::keyClick(&grid, Qt::Key_Up);
        button(browser, "cmdOpen")->click();
        QCOMPARE(Module1.SelectedGame, QString("Far").leftJustified(15));
    }

    // The model as any view relies on it, on archives of 0, 1, 3 and 20,000
    // records and on damaged ones; the last row is always the empty one.
    void modelContract_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names"); // column 0, trimmed, from the first row
        QByteArray many = GameRecord::idRecord(0);
        QStringList manyNames;
        for (int n = 2; n <= 20'000; ++n) {
            GameRecord r;
            r.RecordName = QString::number(n);
            many += r.encode();
            manyNames << r.RecordName;
        }
        QTest::newRow("0 records") << QByteArray() << QStringList{""};
        QTest::newRow("1 record") << GameRecord::idRecord(0) << QStringList{""};
        QTest::newRow("3 records") << alphaBeta() << QStringList{"Alpha", "Beta", ""};
        QTest::newRow("20,000 records") << many << manyNames + QStringList{""};
        QTest::newRow("zero bytes") << QByteArray(2 * GameRecord::Size + 5, '\0')
                                    << QStringList{QString(15, QChar(0)), ""};
        QTest::newRow("garbage") << GameRecord::idRecord(0) + QByteArray(GameRecord::Size, '\xff')
                                 << QStringList{QString(15, u'\u00ff'), ""};
    }
    void modelContract()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, names);
        write(bytes);
        SavedGamesModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QString reason;
        QVERIFY2(model.open(m_path, &reason), qPrintable(reason));
        QCOMPARE(model.rowCount(), names.size());
        QStringList read;
        for (int row = 0; row < model.rowCount(); ++row)
            read << model.index(row, 0).data(Qt::AccessibleTextRole).toString();
        QCOMPARE(read, names);
        QCOMPARE(model.headerData(6, Qt::Horizontal).toString(), "Time stop at");
    }
};

VARKO_TEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
