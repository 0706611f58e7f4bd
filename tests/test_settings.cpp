#include "app/Module1.h"
#include "dialogs/frmSet.h"
#include "tests/common/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool untouched()
{
    return Module1.TimeLimit == 55 && Module1.WhiteName == u"w0" && Module1.BlackName == u"b0" &&
           Module1.GameName == u"g0";
}

template <class T = QWidget> T *child(const QWidget &dialog, const char *name)
{
    T *w = dialog.findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}
QComboBox *cbTime(const QWidget &d)
{
    return child<QComboBox>(d, "cbTime");
}
QPushButton *cmdConferma(const QWidget &d)
{
    return child<QPushButton>(d, "cmdConferma");
}

// Shown and active, as a user sees it: focus and completion behave for real.
void open(QDialog &dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
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
        m_main.show();
    }

    // Every showing starts with OK focused and from the defaults, whatever the
    // last one wrote; Enter on OK writes what the boxes hold, the names cut at
    // their lengths.
    void showingsStartFromTheDefaults()
    {
        frmSet dlg(&m_main);
        for (const QString &game : {QStringLiteral("Sevilla 1987   x"), QStringLiteral("Chennai")}) {
            open(dlg);
            QCOMPARE(dlg.focusWidget(), cmdConferma(dlg));
            QCOMPARE(child<QLineEdit>(dlg, "txtGameName")->text() + cbTime(dlg)->currentText(),
                     QStringLiteral("10"));
            QTest::keyClicks(child(dlg, "txtWName"), QString(31, u'w')); // after the default name
            QTest::keyClicks(child(dlg, "txtBName"), QString(31, u'b'));
            QTest::keyClicks(child(dlg, "txtGameName"), game);
            cbTime(dlg)->setCurrentIndex(4);
            QTest::keyClick(cmdConferma(dlg), Qt::Key_Return);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(Module1.WhiteName + Module1.BlackName,
                     u"White"_qs + QString(25, u'w') + u"Black"_qs + QString(25, u'b'));
            QCOMPARE(Module1.GameName, game.left(15)); // trailing blanks kept
            QCOMPARE(Module1.TimeLimit, 120);
            m_main.move(310, 145);
        }
    }

    void keyFilter_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("after");
        for (Qt::Key refused : {Qt::Key_A, Qt::Key_Space, Qt::Key_Minus, Qt::Key_Period, Qt::Key_Backspace})
            QTest::addRow("refused key 0x%x", unsigned(refused)) << "10" << refused << "10";
        QTest::newRow("delete") << "10" << Qt::Key_Delete << "0";
        QTest::newRow("digit") << "10" << Qt::Key_5 << "510";
        QTest::newRow("no completion from the list") << "" << Qt::Key_6 << "6";
    }
    void keyFilter()
    {
        QFETCH(QString, before);
        QFETCH(Qt::Key, key);
        QFETCH(QString, after);
        frmSet dlg(&m_main);
        open(dlg);
        cbTime(dlg)->setFocus(); // completion works only with the focus
        cbTime(dlg)->setEditText(before);
        cbTime(dlg)->lineEdit()->setCursorPosition(0);
        if (key == Qt::Key_Delete) // as X11 delivers it: with the DEL character as its text
            QTest::sendKeyEvent(QTest::Click, cbTime(dlg), key, QStringLiteral("\x7f"), Qt::NoModifier);
        else
            QTest::keyClick(cbTime(dlg), key);
        QCOMPARE(cbTime(dlg)->currentText(), after);
    }

    // Neither Enter in a box nor Escape anywhere closes or confirms; the close
    // box closes. None of them writes what was typed.
    void leavingWritesNothing()
    {
        frmSet dlg(&m_main);
        open(dlg);
        child<QLineEdit>(dlg, "txtWName")->setText(QStringLiteral("Tal"));
        cbTime(dlg)->setEditText(QStringLiteral("5"));
        for (const char *name : {"txtWName", "txtBName", "cbTime", "txtGameName"})
            for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                child(dlg, name)->setFocus();
                QTest::keyClick(child(dlg, name), key);
                QVERIFY2(dlg.isVisible(), name);
            }
        QVERIFY(dlg.close());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(untouched());
    }

    void limits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minutes"); // 0: refused
        QTest::newRow("empty is 30") << "" << 30;
        QTest::newRow("007") << "007" << 7;
        QTest::newRow("999") << "999" << 999;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("1000") << "1000" << 0;
        QTest::newRow("many digits") << "123456789012345678901234567890" << 0;
        QTest::newRow("pasted letters") << "abc" << 0;
    }
    void limits()
    {
        QFETCH(QString, text);
        QFETCH(int, minutes);
        frmSet dlg(&m_main);
        open(dlg);
        cbTime(dlg)->setEditText(text); // as pasted: past the key filter
        cmdConferma(dlg)->click();
        QCOMPARE(dlg.isVisible(), minutes == 0);
        QCOMPARE(TestSupport::boxes().shown.size(), minutes == 0 ? 1 : 0);
        if (minutes > 0)
            QCOMPARE(Module1.TimeLimit, minutes);
        else
            QVERIFY(untouched() && TestSupport::boxes().shown.first().prompt.contains(QStringLiteral("999")));
    }

    // A game name the archive cannot hold as typed (it would be stored with
    // "?" and meet other names there) is refused, naming each character once;
    // the dialog stays open and writes nothing. A decomposed letter that has a
    // byte of its own is taken, composed.
    void gameNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("taken"); // empty: refused
        QTest::addColumn<QString>("refusal");
        QTest::newRow("Cyrillic") << u"\u0422\u0443\u0440 1 \u0422"_qs << QString()
                                  << u"\"\u0422\" (U+0422), \"\u0443\" (U+0443), \"\u0440\" (U+0440). "_qs;
        QTest::newRow("outside the BMP")
            << u"Blitz \U0001F600"_qs << QString() << u"\"\U0001F600\" (U+1F600). "_qs;
        QTest::newRow("mark with no composed byte") << u"q\u0308"_qs << QString() << u"(U+0308). "_qs;
        QTest::newRow("decomposed with a byte") << u"Zoe\u0308"_qs << u"Zo\u00EB"_qs << QString();
        const QString codePage = u"Caf\u00E9 \u20AC \u0153?"_qs;
        QTest::newRow("code page letters") << codePage << codePage << QString();
    }
    void gameNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, taken);
        QFETCH(QString, refusal);
        frmSet dlg(&m_main);
        open(dlg);
        auto *box = child<QLineEdit>(dlg, "txtGameName");
        box->setText(name); // as pasted
        cmdConferma(dlg)->click();
        QCOMPARE(dlg.isVisible(), taken.isEmpty());
        QCOMPARE(TestSupport::boxes().shown.size(), taken.isEmpty() ? 1 : 0);
        if (!taken.isEmpty()) {
            QCOMPARE(Module1.GameName, taken);
            return;
        }
        const QString prompt = TestSupport::boxes().shown.first().prompt;
        QVERIFY2(prompt.contains(refusal), qPrintable(prompt));
        QVERIFY(untouched());
        QCOMPARE(dlg.focusWidget(), box);
    }

private:
    QWidget m_main;
};

VARKO_TEST_MAIN(TestSettings)
#include "test_settings.moc"
