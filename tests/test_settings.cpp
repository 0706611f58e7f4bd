#include "app/Module1.h"
#include "dialogs/frmSet.h"
#include "tests/common/TestSupport.h"
#include "ui/Modal.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

const Module1Vars Earlier = [] {
    Module1Vars v;
    v.TimeLimit = 55;
    v.WhiteName = QStringLiteral("earlier white");
    v.BlackName = QStringLiteral("earlier black");
    v.GameName = QStringLiteral("earlier game");
    return v;
}();

bool sameSettings(const Module1Vars &a, const Module1Vars &b)
{
    return a.TimeLimit == b.TimeLimit && a.WhiteName == b.WhiteName && a.BlackName == b.BlackName
           && a.GameName == b.GameName;
}

template <class T> T *child(const QWidget &dialog, const char *name)
{
    T *w = dialog.findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

QComboBox *cbTime(const QWidget &d) { return child<QComboBox>(d, "cbTime"); }
QPushButton *cmdConferma(const QWidget &d) { return child<QPushButton>(d, "cmdConferma"); }

// Puts text into the limit box the way a user pastes it: past the key filter.
void pasteLimit(const QWidget &d, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QLineEdit *edit = cbTime(d)->lineEdit();
    edit->selectAll();
    edit->paste();
}

// Shown and active, as a user sees it: focus and completion behave for real.
void open(QDialog &dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
}

void typeLimit(const QWidget &d, const QString &digits)
{
    cbTime(d)->setFocus();
    cbTime(d)->clearEditText();
    QTest::keyClicks(cbTime(d), digits);
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        Module1 = Earlier;
        TestSupport::boxes().reset();
        m_main.move(300, 200);
        m_main.show();
    }
    void cleanup() { TestSupport::stopScriptingDialogs(); }

    void window()
    {
        frmSet dlg(&m_main);
        open(dlg);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Set Options"));
        QVERIFY(!dlg.windowIcon().isNull());
        QCOMPARE(dlg.size(), QSize(244, 272));
        QVERIFY(dlg.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
        QVERIFY(dlg.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(child<QGroupBox>(dlg, "Frame2")->title(), QStringLiteral("Time Limit"));

        const QRect ok = cmdConferma(dlg)->geometry();
        dlg.resize(500, 600); // sizable, and the controls stay where they are
        QCOMPARE(dlg.size(), QSize(500, 600));
        QCOMPARE(cmdConferma(dlg)->geometry(), ok);
    }

    void defaultsOnEveryShowing()
    {
        {
            frmSet first(&m_main);
            open(first);
            child<QLineEdit>(first, "txtWName")->setText(QStringLiteral("Anand"));
            child<QLineEdit>(first, "txtBName")->setText(QStringLiteral("Carlsen"));
            child<QLineEdit>(first, "txtGameName")->setText(QStringLiteral("Chennai"));
            typeLimit(first, QStringLiteral("45"));
            cmdConferma(first)->click();
            QCOMPARE(Module1.TimeLimit, 45);
        }
        frmSet second(&m_main);
        open(second);
        QCOMPARE(child<QLineEdit>(second, "txtWName")->text(), QStringLiteral("White"));
        QCOMPARE(child<QLineEdit>(second, "txtBName")->text(), QStringLiteral("Black"));
        QCOMPARE(child<QLineEdit>(second, "txtGameName")->text(), QString());
        QCOMPARE(cbTime(second)->currentText(), QStringLiteral("10"));
        QStringList list;
        for (int i = 0; i < cbTime(second)->count(); ++i)
            list << cbTime(second)->itemText(i);
        QCOMPARE(list, QStringList({"1", "30", "60", "90", "120", "150", "180", "210", "240"}));

        // The same instance shown again starts over too, with the list once.
        second.hide();
        child<QLineEdit>(second, "txtWName")->setText(QStringLiteral("changed"));
        open(second);
        QCOMPARE(child<QLineEdit>(second, "txtWName")->text(), QStringLiteral("White"));
        QCOMPARE(cbTime(second)->count(), 9);
    }

    void keyFilter_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<bool>("cursorAtStart");
        QTest::addColumn<QString>("expected");
        QTest::newRow("letter") << Qt::Key_A << false << "10";
        QTest::newRow("space") << Qt::Key_Space << false << "10";
        QTest::newRow("minus") << Qt::Key_Minus << false << "10";
        QTest::newRow("plus") << Qt::Key_Plus << false << "10";
        QTest::newRow("full stop") << Qt::Key_Period << false << "10";
        QTest::newRow("comma") << Qt::Key_Comma << false << "10";
        QTest::newRow("backspace") << Qt::Key_Backspace << false << "10";
        QTest::newRow("enter") << Qt::Key_Return << false << "10";
        QTest::newRow("escape") << Qt::Key_Escape << false << "10";
        QTest::newRow("delete") << Qt::Key_Delete << true << "0";
        QTest::newRow("digit") << Qt::Key_5 << false << "105";
        QTest::newRow("digit at start") << Qt::Key_9 << true << "910";
        QTest::newRow("arrow down picks from the list") << Qt::Key_Down << false << "1";
    }
    void keyFilter()
    {
        QFETCH(Qt::Key, key);
        QFETCH(bool, cursorAtStart);
        QFETCH(QString, expected);
        frmSet dlg(&m_main);
        open(dlg);
        cbTime(dlg)->setFocus();
        cbTime(dlg)->lineEdit()->setCursorPosition(cursorAtStart ? 0 : 2);
        QTest::keyClick(cbTime(dlg), key);
        QCOMPARE(cbTime(dlg)->currentText(), expected);
        QVERIFY(dlg.isVisible());
        QCOMPARE(cbTime(dlg)->count(), 9);
    }

    void typedDigitsStayAsTyped()
    {
        frmSet dlg(&m_main);
        open(dlg);
        typeLimit(dlg, QStringLiteral("6")); // no completion to "60" from the list
        QCOMPARE(cbTime(dlg)->currentText(), QStringLiteral("6"));
        cbTime(dlg)->setCurrentIndex(3);
        QCOMPARE(cbTime(dlg)->currentText(), QStringLiteral("90"));
    }

    void inputMethodTextIsFilteredToo()
    {
        frmSet dlg(&m_main);
        open(dlg);
        QLineEdit *edit = cbTime(dlg)->lineEdit();
        edit->setCursorPosition(2);
        for (const QString &committed : {QStringLiteral("x"), QStringLiteral("4a"), QStringLiteral("7")}) {
            QInputMethodEvent event;
            event.setCommitString(committed);
            QCoreApplication::sendEvent(edit, &event);
        }
        QCOMPARE(cbTime(dlg)->currentText(), QStringLiteral("107"));
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
        QLineEdit *edit = child<QLineEdit>(dlg, box.constData());
        edit->clear();
        QTest::keyClicks(edit, QString(max, u'a'));
        QCOMPARE(edit->text().size(), max);
        QTest::keyClicks(edit, QStringLiteral("b"));
        QCOMPARE(edit->text(), QString(max, u'a'));
    }

    void closeBoxWritesNothing()
    {
        frmSet dlg(&m_main);
        open(dlg);
        child<QLineEdit>(dlg, "txtWName")->setText(QStringLiteral("Tal"));
        typeLimit(dlg, QStringLiteral("5"));
        QVERIFY(dlg.close());
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(sameSettings(Module1, Earlier));
    }

    void enterOnlyOnTheOkButton_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<Qt::Key>("key");
        for (const char *name : {"txtWName", "txtBName", "cbTime", "txtGameName"}) {
            QTest::addRow("%s return", name) << QByteArray(name) << Qt::Key_Return;
            QTest::addRow("%s keypad enter", name) << QByteArray(name) << Qt::Key_Enter;
        }
    }
    void enterOnlyOnTheOkButton()
    {
        QFETCH(QByteArray, target);
        QFETCH(Qt::Key, key);
        frmSet dlg(&m_main);
        open(dlg);
        QWidget *box = child<QWidget>(dlg, target.constData());
        box->setFocus();
        QTest::keyClick(box, key);
        QVERIFY(dlg.isVisible());
        QVERIFY(sameSettings(Module1, Earlier));
        QVERIFY(!cmdConferma(dlg)->isDefault());

        cmdConferma(dlg)->setFocus();
        QTest::keyClick(cmdConferma(dlg), key);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(Module1.TimeLimit, 10);
    }

    void escapeDoesNothing_data()
    {
        QTest::addColumn<QByteArray>("target");
        for (const char *name : {"cmdConferma", "txtWName", "txtBName", "cbTime", "txtGameName"})
            QTest::addRow("%s", name) << QByteArray(name);
    }
    void escapeDoesNothing()
    {
        QFETCH(QByteArray, target);
        frmSet dlg(&m_main);
        open(dlg);
        QWidget *w = child<QWidget>(dlg, target.constData());
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QVERIFY(sameSettings(Module1, Earlier));
    }

    void focusStartsOnOkThenTabOrder()
    {
        frmSet dlg(&m_main);
        open(dlg);
        QCOMPARE(dlg.focusWidget(), cmdConferma(dlg));
        const QList<QByteArray> order = {"txtBName", "txtWName", "cbTime", "txtGameName", "cmdConferma"};
        for (const QByteArray &next : order) {
            QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
            QCOMPARE(dlg.focusWidget()->objectName().toLatin1(), next);
        }
    }

    void placedRelativeToTheMainWindow_data()
    {
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("near the corner") << QPoint(0, 0);
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

    void refusedLimits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pasted");
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("zeros") << "000" << false;
        QTest::newRow("1000") << "1000" << false;
        QTest::newRow("many digits") << "123456789012345678901234567890" << false;
        QTest::newRow("letters pasted") << "abc" << true;
        QTest::newRow("decimal pasted") << "12.5" << true;
        QTest::newRow("negative pasted") << "-5" << true;
        QTest::newRow("blank pasted") << " " << true;
    }
    void refusedLimits()
    {
        QFETCH(QString, text);
        QFETCH(bool, pasted);
        frmSet dlg(&m_main);
        open(dlg);
        if (pasted)
            pasteLimit(dlg, text);
        else
            typeLimit(dlg, text);
        QCOMPARE(cbTime(dlg)->currentText(), text);

        cmdConferma(dlg)->click();
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QVERIFY(sameSettings(Module1, Earlier));
        QCOMPARE(TestSupport::boxes().shown.size(), 1);
        const MsgBox::Request box = TestSupport::boxes().shown.first();
        QCOMPARE(box.title, QStringLiteral("Varko"));
        QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        QVERIFY(box.prompt.contains(QStringLiteral("999")));

        // Mended, the same dialog confirms.
        typeLimit(dlg, QStringLiteral("25"));
        cmdConferma(dlg)->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(Module1.TimeLimit, 25);
    }

    void acceptedLimits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("boxAfter");
        QTest::newRow("empty") << "" << false << 30 << "30";
        QTest::newRow("leading zeros") << "007" << false << 7 << "007";
        QTest::newRow("one") << "1" << false << 1 << "1";
        QTest::newRow("largest") << "999" << false << 999 << "999";
        QTest::newRow("largest with zeros") << "000999" << false << 999 << "000999";
        QTest::newRow("blanks pasted around") << " 45 " << true << 45 << " 45 ";
    }
    void acceptedLimits()
    {
        QFETCH(QString, text);
        QFETCH(bool, pasted);
        QFETCH(int, minutes);
        QFETCH(QString, boxAfter);
        frmSet dlg(&m_main);
        open(dlg);
        if (pasted)
            pasteLimit(dlg, text);
        else
            typeLimit(dlg, text);
        cmdConferma(dlg)->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(Module1.TimeLimit, minutes);
        QCOMPARE(cbTime(dlg)->currentText(), boxAfter);
        QVERIFY(TestSupport::boxes().shown.isEmpty());
    }

    void okWritesWhatWasTyped()
    {
        TestSupport::scriptDialogs([](QDialog &dialog) {
            QApplication::setActiveWindow(&dialog);
            QLineEdit *white = child<QLineEdit>(dialog, "txtWName");
            white->clear();
            QTest::keyClicks(white, QStringLiteral("Kasparov"));
            child<QLineEdit>(dialog, "txtBName")->clear(); // an empty name is a name
            QTest::keyClicks(child<QLineEdit>(dialog, "txtGameName"), QStringLiteral("Sevilla 1987 "));
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
