// The About box (system information through the registry, the icons'
// animation) and the settings dialog.
#include "app/Module1.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmSet.h"
#include "tests/common/TestSupport.h"
#include "ui/ProgramStarter.h"
#include "ui/Registry.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// What the registry answers for a key's one value; without a reply the key
// itself is missing.
using Reply = std::optional<Registry::QueryResult>;

Reply reply(quint32 type, const QByteArray &data, quint32 size, long status = Registry::Success)
{
    return Registry::QueryResult{status, type, data, size};
}
// A text value; Windows counts the terminating NUL in the size.
Reply text(const QByteArray &value)
{
    return reply(Registry::TextValue, value + '\0', quint32(value.size() + 1));
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

} // namespace

// Also the registry and the program starter. Handle 1 is the tool's key, 2
// the folder's; each is asked for its own value. What is started is recorded;
// a program named "broken" fails to start.
class TestDialogs : public QObject, Registry::Reader, ProgramStarter::Seam {
    Q_OBJECT

    Reply m_replies[3]; // by handle; none for 0, any other key
    int m_openKeys = 0;
    QStringList m_started;
    QWidget m_main;

    Registry::OpenResult open(quint32, const QByteArray &name, quint32, quint32) override
    {
        const Registry::Handle key = name.endsWith("MSINFO") ? 1 : name.endsWith("Location") ? 2 : 0;
        if (!m_replies[key])
            return {Registry::FileNotFound, 0};
        ++m_openKeys;
        return {Registry::Success, key};
    }
    Registry::QueryResult query(Registry::Handle key, const QByteArray &value, quint32) override
    {
        QTEST_ASSERT(value == (key == 1 ? "PATH" : "MSINFO"));
        return *m_replies[key];
    }
    long close(Registry::Handle key) override { return key && m_openKeys-- > 0 ? Registry::Success : 6; }

    bool start(const QString &path) override
    {
        m_started << path;
        return !path.endsWith("broken");
    }

    static void clickSysInfo()
    {
        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
    }
    static bool untouched()
    {
        return Module1.TimeLimit == 55 &&
               Module1.WhiteName + Module1.BlackName + Module1.GameName == "x0x0x0";
    }
    static QComboBox *cbTime(const QWidget &d) { return child<QComboBox>(d, "cbTime"); }
    static QPushButton *cmdConferma(const QWidget &d) { return child<QPushButton>(d, "cmdConferma"); }
    // Shown and active, as a user sees it: focus and completion behave for real.
    static void activate(QDialog &dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
    }

private slots:
    void init()
    {
        TestSupport::boxes().reset();
        m_replies[1] = m_replies[2] = {};
        m_started.clear();
        Registry::installReader(this);
        ProgramStarter::installSeam(this);
        Module1.WhiteName = Module1.BlackName = Module1.GameName = "x0";
        Module1.TimeLimit = 55;
        m_main.show();
    }

    // One instance serves every showing: each opening starts with a whole
    // second of both frames hidden, then the frames go on alternating from
    // where the last showing stopped; nothing ticks while closed. Enter on
    // OK and Escape close it. Its black texts keep a light ground in a dark theme.
    void aboutShowings()
    {
        const QPalette theme = QApplication::palette();
        QApplication::setPalette(QPalette(QColor(30, 30, 30), QColor(30, 30, 30))); // white text
        frmAbout about;
        QApplication::setPalette(theme);
        QStringList seen;
        TestSupport::scriptDialogs([&seen](QDialog &dialog) {
            seen = framesAfter(dialog, {0, 999, 1, 1000, 1000, 500});
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(Modal::exec(about), int(QDialog::Accepted));
        QCOMPARE(seen, QStringList({"", "", "1", "2", "1", "1"}));
        TestSupport::clock().advanceMs(5000);

        TestSupport::scriptDialogs([&seen](QDialog &dialog) {
            seen = framesAfter(dialog, {0, 999, 1, 1000});
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(Modal::exec(about), int(QDialog::Rejected));
        QCOMPARE(seen, QStringList({"", "", "2", "1"}));
        TestSupport::stopScriptingDialogs();
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
        QTest::addColumn<Reply>("second");    // "<dir>": a folder with the tool, "<bare>": one without
        QTest::addColumn<QString>("started"); // empty: nothing started

        const QString tool = QString("<dir>") + QDir::separator() + "MSINFO32.EXE";
        const Reply dir = text("<dir>"), none;
        QTest::newRow("first as read, no file there, NUL cut")
            << text("C:\\Tools\\msinfo.exe") << none << "C:\\Tools\\msinfo.exe";
        QTest::newRow("first fails to start") << text("/opt/broken") << none << "/opt/broken";
        QTest::newRow("second with the file") << none << dir << tool;
        QTest::newRow("second without the file") << none << text("<bare>") << "";
        QTest::newRow("neither") << none << none << "";
        QTest::newRow("first of another type")
            << reply(Registry::ExpandTextValue, "%SystemRoot%\\msinfo32.exe", 26) << dir << "";
        QTest::newRow("first over 1024 bytes")
            << reply(Registry::TextValue, {}, 1500, Registry::MoreData) << dir << tool;
        QTest::newRow("size 0") << reply(Registry::TextValue, {}, 0) << dir << "";
    }
    void systemInformation()
    {
        QFETCH(Reply, first);
        QFETCH(Reply, second);
        QFETCH(QString, started);
        QTemporaryDir folder;
        const QString dir = QDir::toNativeSeparators(folder.path());
        if (second) {
            QFile exe(folder.filePath("MSINFO32.EXE"));
            QVERIFY(second->data.startsWith("<bare>") || exe.open(QIODevice::WriteOnly));
            second = text(dir.toLocal8Bit());
        }
        m_replies[1] = first;
        m_replies[2] = second;
        clickSysInfo();
        started.replace("<dir>", dir);
        QCOMPARE(m_started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(m_openKeys, 0);
        QCOMPARE(TestSupport::boxes().shown.size(), int(started.isEmpty() || started.endsWith("broken")));
    }

    // Off Windows the reader answers the first key with the first tool on the
    // search path that may be run (hardinfo is preferred, but not executable).
    void desktopReaderLooksOnPath()
    {
        QTemporaryDir bin;
        for (const char *name : {"hardinfo", "gnome-system-monitor", "kinfocenter"}) {
            QFile f(bin.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) &&
                    (qstrcmp(name, "hardinfo") == 0 || f.setPermissions(QFile::ReadOwner | QFile::ExeOwner)));
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        Registry::installReader(nullptr);
        clickSysInfo();
        qputenv("PATH", savedPath);
        QCOMPARE(m_started, QStringList{bin.filePath("kinfocenter")});
    }

    // Every showing starts with OK focused and from the defaults, whatever the
    // last one left. Neither Enter in a box nor Escape anywhere closes or
    // confirms, and the close box writes nothing; Enter on OK writes what the
    // boxes hold, the names cut at their lengths.
    void settingsShowings()
    {
        frmSet dlg(&m_main);
        for (const QString game : {"", "Sevilla 1987   x", "Chennai"}) {
            activate(dlg);
            QCOMPARE(dlg.focusWidget(), cmdConferma(dlg));
            QCOMPARE(child<QLineEdit>(dlg, "txtGameName")->text() + cbTime(dlg)->currentText(), "10");
            QTest::keyClicks(child(dlg, "txtWName"), QString(31, u'w')); // after the default name
            QTest::keyClicks(child(dlg, "txtBName"), QString(31, u'b'));
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
                QCOMPARE(dlg.result(), int(QDialog::Rejected));
                continue;
            }
            QTest::keyClick(cmdConferma(dlg), Qt::Key_Return);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(Module1.WhiteName + Module1.BlackName,
                     "White" + QString(25, u'w') + "Black" + QString(25, u'b'));
            QCOMPARE(Module1.GameName, game.left(15)); // trailing blanks kept
            QCOMPARE(Module1.TimeLimit, 120);
        }
    }

    // OK takes a limit of whole minutes from 1 to 999 (empty is 30) and a game
    // name the archive can hold as typed (it would be stored with "?" and meet
    // other names there), composed. Anything else is refused, naming each
    // character once: the dialog stays open and writes nothing.
    void settingsConfirming_data()
    {
        QTest::addColumn<QString>("limit"); // as pasted: past the key filter
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("outcome"); // "<minutes> <name>" written, or "!" and part of the refusal
        QTest::newRow("empty is 30") << QString() << QString() << "30 ";
        QTest::newRow("007") << "007" << QString() << "7 ";
        QTest::newRow("999") << "999" << QString() << "999 ";
        for (const char *refused : {"0", "1000", "123456789012345678901234567890", "abc"})
            QTest::addRow("limit %s", refused) << QString(refused) << QString() << "!999";
        QTest::newRow("Cyrillic") << "10" << u"\u0422\u0443\u0440 1 \u0422"_qs
                                  << u"!\"\u0422\" (U+0422), \"\u0443\" (U+0443), \"\u0440\" (U+0440). "_qs;
        QTest::newRow("outside the BMP")
            << "10" << u"Blitz \U0001F600"_qs << u"!\"\U0001F600\" (U+1F600). "_qs;
        QTest::newRow("mark with no composed byte") << "10" << u"q\u0308"_qs << "!(U+0308). ";
        QTest::newRow("decomposed with a byte") << "10" << u"Zoe\u0308"_qs << u"10 Zo\u00EB"_qs;
        const QString codePage = u"Caf\u00E9 \u20AC \u0153?"_qs;
        QTest::newRow("code page letters") << "10" << codePage << "10 " + codePage;
    }
    void settingsConfirming()
    {
        QFETCH(QString, limit);
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        frmSet dlg(&m_main);
        activate(dlg);
        cbTime(dlg)->setEditText(limit);
        child<QLineEdit>(dlg, "txtGameName")->setText(name);
        cmdConferma(dlg)->click();
        const bool refused = outcome.startsWith('!');
        QCOMPARE(dlg.isVisible(), refused);
        QCOMPARE(TestSupport::boxes().shown.size(), int(refused));
        if (!refused) {
            QCOMPARE(QString::number(Module1.TimeLimit) + ' ' + Module1.GameName, outcome);
            return;
        }
        const QString prompt = TestSupport::boxes().shown.first().prompt;
        QVERIFY2(prompt.contains(outcome.mid(1)) && untouched(), qPrintable(prompt));
        QVERIFY(name.isEmpty() || dlg.focusWidget() == child(dlg, "txtGameName"));
    }
};

VARKO_TEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
