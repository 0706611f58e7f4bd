#include "app/Module1.h"
#include "dialogs/frmSet.h"
#include "tests/common/TestSupport.h"
#include "ui/Modal.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool untouched()
{
    return Module1.TimeLimit == 55 && Module1.WhiteName == u"w0" && Module1.BlackName == u"b0"
           && Module1.GameName == u"g0";
}

template <class T = QWidget> T *child(const QWidget &dialog, const char *name)
{
    T *w = dialog.findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}
QComboBox *cbTime(const QWidget &d) { return child<QComboBox>(d, "cbTime"); }
QPushButton *cmdConferma(const QWidget &d) { return child<QPushButton>(d, "cmdConferma"); }

// Shown and active, as a user sees it: focus and completion behave for real.
void open(QDialog &dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
}

// Typed text passes the key filter; pasted text goes past it.
void enterLimit(const QWidget &d, const QString &text, bool pasted = false)
{
    cbTime(d)->setFocus();
    cbTime(d)->clearEditText();
    if (!pasted) {
        QTest::keyClicks(cbTime(d), text);
        return;
    }
    QGuiApplication::clipboard()->setText(text);
    cbTime(d)->lineEdit()->paste();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        Module1.TimeLimit = 55;
        Module1.WhiteName = QStringLiteral("w0");
        Module1.BlackName = QStringLiteral("b0");
        Module1.GameName = QStringLiteral("g0");
        TestSupport::boxes().reset();
        m_main.move(300, 200);
        m_main.show();
    }
    void cleanup() { TestSupport::stopScriptingDialogs(); }

    void defaultsOnEveryShowing()
    {
        frmSet dlg(&m_main);
        for (int showing = 0; showing < 2; ++showing) {
            open(dlg);
            QCOMPARE(child<QLineEdit>(dlg, "txtWName")->text(), QStringLiteral("White"));
            QCOMPARE(child<QLineEdit>(dlg, "txtBName")->text(), QStringLiteral("Black"));
            QCOMPARE(child<QLineEdit>(dlg, "txtGameName")->text(), QString());
            QCOMPARE(cbTime(dlg)->currentText(), QStringLiteral("10"));
            QStringList list;
            for (int i = 0; i < cbTime(dlg)->count(); ++i)
                list << cbTime(dlg)->itemText(i);
            QCOMPARE(list, QStringList({"1", "30", "60", "90", "120", "150", "180", "210", "240"}));
            child<QLineEdit>(dlg, "txtGameName")->setText(QStringLiteral("Chennai"));
            enterLimit(dlg, QStringLiteral("45"));
            cmdConferma(dlg)->click();
            QCOMPARE(Module1.GameName, QStringLiteral("Chennai"));
        }
        QCOMPARE(dlg.size(), QSize(244, 272));
    }

    void keyFilter_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("after");
        for (Qt::Key refused : {Qt::Key_A, Qt::Key_Space, Qt::Key_Minus, Qt::Key_Plus, Qt::Key_Period, Qt::Key_Comma,
                                Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Escape})
            QTest::addRow("refused key 0x%x", unsigned(refused)) << "10" << 2 << refused << "10";
        QTest::newRow("delete") << "10" << 0 << Qt::Key_Delete << "0";
        QTest::newRow("delete typing DEL") << "10" << 0 << Qt::Key_Delete << "0"; // as X11 reports it
        QTest::newRow("digit") << "10" << 2 << Qt::Key_5 << "105";
        QTest::newRow("digit at start") << "10" << 0 << Qt::Key_9 << "910";
        QTest::newRow("no completion from the list") << "" << 0 << Qt::Key_6 << "6";
        QTest::newRow("arrow picks from the list") << "10" << 2 << Qt::Key_Down << "1";
    }
    void keyFilter()
    {
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(Qt::Key, key);
        QFETCH(QString, after);
        frmSet dlg(&m_main);
        open(dlg);
        cbTime(dlg)->setFocus();
        cbTime(dlg)->setEditText(before);
        cbTime(dlg)->lineEdit()->setCursorPosition(cursor);
        if (QByteArray(QTest::currentDataTag()).endsWith("DEL"))
            QTest::sendKeyEvent(QTest::Click, cbTime(dlg), key, QStringLiteral("\x7f"), Qt::NoModifier);
        else
            QTest::keyClick(cbTime(dlg), key);
        QCOMPARE(cbTime(dlg)->currentText(), after);
        QCOMPARE(cbTime(dlg)->count(), 9);
        QVERIFY(dlg.isVisible());
    }

    void maxLength_data()
    {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<int>("max");
        QTest::newRow("white") << QByteArray("txtWName") << 30;
        QTest::newRow("black") << QByteArray("txtBName") << 30;
        QTest::newRow("game") << QByteArray("txtGameName") << 15;
    }
    void maxLength()
    {
        QFETCH(QByteArray, box);
        QFETCH(int, max);
        frmSet dlg(&m_main);
        open(dlg);
        auto *edit = child<QLineEdit>(dlg, box.constData());
        edit->clear();
        QTest::keyClicks(edit, QString(max, u'a') + u'b');
        QCOMPARE(edit->text(), QString(max, u'a'));
    }

    void closeBoxWritesNothing()
    {
        frmSet dlg(&m_main);
        open(dlg);
        child<QLineEdit>(dlg, "txtWName")->setText(QStringLiteral("Tal"));
        enterLimit(dlg, QStringLiteral("5"));
        QVERIFY(dlg.close());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(untouched());
    }

    void keysThatDoNotClose_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<Qt::Key>("key");
        for (const char *name : {"txtWName", "txtBName", "cbTime", "txtGameName", "cmdConferma"}) {
            QTest::addRow("%s escape", name) << QByteArray(name) << Qt::Key_Escape;
            if (qstrcmp(name, "cmdConferma") != 0) {
                QTest::addRow("%s return", name) << QByteArray(name) << Qt::Key_Return;
                QTest::addRow("%s enter", name) << QByteArray(name) << Qt::Key_Enter;
            }
        }
    }
    void keysThatDoNotClose()
    {
        QFETCH(QByteArray, target);
        QFETCH(Qt::Key, key);
        frmSet dlg(&m_main);
        open(dlg);
        QWidget *w = child(dlg, target.constData());
        w->setFocus();
        QTest::keyClick(w, key);
        QVERIFY(dlg.isVisible());
        QVERIFY(untouched());
        QVERIFY(!cmdConferma(dlg)->isDefault());
    }

    void enterOnTheOkButtonConfirms()
    {
        frmSet dlg(&m_main);
        open(dlg);
        QCOMPARE(dlg.focusWidget(), cmdConferma(dlg)); // it has the focus from the start
        QTest::keyClick(cmdConferma(dlg), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(Module1.TimeLimit, 10);
    }

    void tabOrder()
    {
        frmSet dlg(&m_main);
        open(dlg);
        for (const char *next : {"txtBName", "txtWName", "cbTime", "txtGameName", "cmdConferma"}) {
            QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
            QCOMPARE(dlg.focusWidget()->objectName(), QLatin1String(next));
        }
    }

    void placedRelativeToTheMainWindow_data()
    {
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("corner") << QPoint(0, 0);
        QTest::newRow("moved") << QPoint(310, 145);
    }
    void placedRelativeToTheMainWindow()
    {
        QFETCH(QPoint, mainAt);
        m_main.move(mainAt);
        frmSet dlg(&m_main);
        open(dlg);
        QCOMPARE(dlg.frameGeometry().topLeft(), m_main.frameGeometry().topLeft() + QPoint(13, 13));
    }

    void limits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<int>("minutes"); // 0: refused
        QTest::newRow("empty is 30") << "" << false << 30;
        QTest::newRow("007") << "007" << false << 7;
        QTest::newRow("1") << "1" << false << 1;
        QTest::newRow("999") << "999" << false << 999;
        QTest::newRow("000999") << "000999" << false << 999;
        QTest::newRow("blanks around pasted") << " 45 " << true << 45;
        QTest::newRow("0") << "0" << false << 0;
        QTest::newRow("000") << "000" << false << 0;
        QTest::newRow("1000") << "1000" << false << 0;
        QTest::newRow("many digits") << "123456789012345678901234567890" << false << 0;
        QTest::newRow("abc pasted") << "abc" << true << 0;
        QTest::newRow("12.5 pasted") << "12.5" << true << 0;
        QTest::newRow("-5 pasted") << "-5" << true << 0;
        QTest::newRow("blank pasted") << " " << true << 0;
    }
    void limits()
    {
        QFETCH(QString, text);
        QFETCH(bool, pasted);
        QFETCH(int, minutes);
        frmSet dlg(&m_main);
        open(dlg);
        enterLimit(dlg, text, pasted);
        QCOMPARE(cbTime(dlg)->currentText(), text);
        cmdConferma(dlg)->click();
        if (minutes > 0) {
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(Module1.TimeLimit, minutes);
            QCOMPARE(cbTime(dlg)->currentText(), text.isEmpty() ? QStringLiteral("30") : text);
            QVERIFY(TestSupport::boxes().shown.isEmpty());
            return;
        }
        QVERIFY(dlg.isVisible());
        QVERIFY(untouched());
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        const MsgBox::Request box = TestSupport::boxes().shown.first();
        QCOMPARE(box.title, QStringLiteral("Varko"));
        QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        QVERIFY(box.prompt.contains(QStringLiteral("999")));

        enterLimit(dlg, QStringLiteral("25")); // corrected, the same dialog confirms
        cmdConferma(dlg)->click();
        QCOMPARE(Module1.TimeLimit, 25);
    }

    void okWritesWhatWasTyped()
    {
        TestSupport::scriptDialogs([](QDialog &dialog) {
            QApplication::setActiveWindow(&dialog);
            auto *white = child<QLineEdit>(dialog, "txtWName");
            white->clear();
            QTest::keyClicks(white, QStringLiteral("Kasparov"));
            child<QLineEdit>(dialog, "txtBName")->clear(); // an empty name is a name
            QTest::keyClicks(child(dialog, "txtGameName"), QStringLiteral("Sevilla 1987 "));
            cbTime(dialog)->setCurrentIndex(4);
            QTest::mouseClick(cmdConferma(dialog), Qt::LeftButton);
        });
        frmSet dlg(&m_main);
        QCOMPARE(Modal::exec(dlg), int(QDialog::Accepted));
        QCOMPARE(Module1.WhiteName, QStringLiteral("Kasparov"));
        QCOMPARE(Module1.BlackName, QString());
        QCOMPARE(Module1.GameName, QStringLiteral("Sevilla 1987 "));
        QCOMPARE(Module1.TimeLimit, 120);
    }

private:
    QWidget m_main;
};

VARKO_TEST_MAIN(TestSettings)
#include "test_settings.moc"
