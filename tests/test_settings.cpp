#include "app/Module1.h"
#include "dialogs/frmSet.h"
#include "tests/common/TestSupport.h"

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

void type(const QWidget &d, const char *box, const QString &text)
{
    auto *edit = child<QLineEdit>(d, box);
    edit->clear();
    QTest::keyClicks(edit, text);
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

    // Every showing starts from the defaults, whatever the last one wrote; OK
    // writes what the boxes hold, the names cut at their lengths.
    void showingsStartFromTheDefaults()
    {
        frmSet dlg(&m_main);
        for (const QString &game : {QStringLiteral("Sevilla 1987   x"), QStringLiteral("Chennai")}) {
            open(dlg);
            QCOMPARE(child<QLineEdit>(dlg, "txtWName")->text(), QStringLiteral("White"));
            QCOMPARE(child<QLineEdit>(dlg, "txtBName")->text(), QStringLiteral("Black"));
            QCOMPARE(child<QLineEdit>(dlg, "txtGameName")->text(), QString());
            QCOMPARE(cbTime(dlg)->currentText(), QStringLiteral("10"));
            type(dlg, "txtWName", QString(30, u'w') + u'x');
            type(dlg, "txtBName", QString(30, u'b') + u'x');
            type(dlg, "txtGameName", game);
            cbTime(dlg)->setCurrentIndex(4);
            QTest::mouseClick(cmdConferma(dlg), Qt::LeftButton);
            QCOMPARE(Module1.WhiteName, QString(30, u'w'));
            QCOMPARE(Module1.BlackName, QString(30, u'b'));
            QCOMPARE(Module1.GameName, game.left(15)); // trailing blanks kept
            QCOMPARE(Module1.TimeLimit, 120);
        }
    }

    void keyFilter_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("after");
        for (Qt::Key refused : {Qt::Key_A, Qt::Key_Space, Qt::Key_Minus, Qt::Key_Period, Qt::Key_Backspace})
            QTest::addRow("refused key 0x%x", unsigned(refused)) << "10" << 2 << refused << "10";
        QTest::newRow("delete") << "10" << 0 << Qt::Key_Delete << "0";
        QTest::newRow("delete typing DEL") << "10" << 0 << Qt::Key_Delete << "0"; // as X11 reports it
        QTest::newRow("digit") << "10" << 2 << Qt::Key_5 << "105";
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

    // Neither Enter in a box nor Escape anywhere closes or confirms; the close
    // box closes. None of them writes what was typed.
    void leavingWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("key"); // 0: the close box
        for (const char *name : {"txtWName", "txtBName", "cbTime", "txtGameName", "cmdConferma"}) {
            QTest::addRow("%s escape", name) << QByteArray(name) << int(Qt::Key_Escape);
            if (qstrcmp(name, "cmdConferma") != 0) {
                QTest::addRow("%s return", name) << QByteArray(name) << int(Qt::Key_Return);
                QTest::addRow("%s enter", name) << QByteArray(name) << int(Qt::Key_Enter);
            }
        }
        QTest::newRow("close box") << QByteArray() << 0;
    }
    void leavingWritesNothing()
    {
        QFETCH(QByteArray, target);
        QFETCH(int, key);
        frmSet dlg(&m_main);
        open(dlg);
        child<QLineEdit>(dlg, "txtWName")->setText(QStringLiteral("Tal"));
        enterLimit(dlg, QStringLiteral("5"));
        if (key == 0) {
            QVERIFY(dlg.close());
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        } else {
            child(dlg, target.constData())->setFocus();
            QTest::keyClick(child(dlg, target.constData()), Qt::Key(key));
            QVERIFY(dlg.isVisible());
        }
        QVERIFY(untouched());
    }

    // OK has the focus from the start; Tab goes round back to it, and Enter
    // there confirms.
    void focusOrderAndEnterOnOk()
    {
        frmSet dlg(&m_main);
        open(dlg);
        QCOMPARE(dlg.focusWidget(), cmdConferma(dlg));
        for (const char *next : {"txtBName", "txtWName", "cbTime", "txtGameName", "cmdConferma"}) {
            QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
            QCOMPARE(dlg.focusWidget()->objectName(), QLatin1String(next));
        }
        QTest::keyClick(cmdConferma(dlg), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(Module1.TimeLimit, 10);
    }

    void placedRelativeToTheMainWindow()
    {
        for (const QPoint mainAt : {QPoint(0, 0), QPoint(310, 145)}) {
            m_main.move(mainAt);
            frmSet dlg(&m_main);
            open(dlg);
            QCOMPARE(dlg.frameGeometry().topLeft(), m_main.frameGeometry().topLeft() + QPoint(13, 13));
        }
    }

    void limits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<int>("minutes"); // 0: refused
        QTest::newRow("empty is 30") << "" << false << 30;
        QTest::newRow("007") << "007" << false << 7;
        QTest::newRow("999") << "999" << false << 999;
        QTest::newRow("000999") << "000999" << false << 999;
        QTest::newRow("blanks around pasted") << " 45 " << true << 45;
        QTest::newRow("0") << "0" << false << 0;
        QTest::newRow("1000") << "1000" << false << 0;
        QTest::newRow("many digits") << "123456789012345678901234567890" << false << 0;
        QTest::newRow("abc pasted") << "abc" << true << 0;
        QTest::newRow("-5 pasted") << "-5" << true << 0;
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
        QVERIFY(TestSupport::boxes().shown.first().prompt.contains(QStringLiteral("999")));

        enterLimit(dlg, QStringLiteral("25")); // corrected, the same dialog confirms
        cmdConferma(dlg)->click();
        QCOMPARE(Module1.TimeLimit, 25);
    }

private:
    QWidget m_main;
};

VARKO_TEST_MAIN(TestSettings)
#include "test_settings.moc"
