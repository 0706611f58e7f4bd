#include "clock/ClockText.h"
#include "tests/common/TestSupport.h"

// Number formats and clock arithmetic, without a window.
class TestClockText : public QObject {
    Q_OBJECT
private slots:
    void twoDigit_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "00";
        QTest::newRow("7") << 7 << "07";
        QTest::newRow("42") << 42 << "42";
        QTest::newRow("100 keeps three digits") << 100 << "100";
    }
    void twoDigit()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(ClockText::TwoDigit(n), text);
    }

    void numberText_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("30") << 30 << " 30";
        QTest::newRow("0") << 0 << " 0";
        QTest::newRow("negative") << -3 << "-3";
    }
    void numberText()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(ClockText::NumberText(n), text);
    }

    void advanceClock_data()
    {
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("s2");
        QTest::addColumn<int>("m2");
        QTest::addColumn<int>("h2");
        QTest::newRow("second") << 0 << 0 << 0 << int(ClockStep::Second) << 1 << 0 << 0;
        QTest::newRow("minute") << 59 << 0 << 0 << int(ClockStep::Minute) << 0 << 1 << 0;
        QTest::newRow("hour") << 59 << 59 << 0 << int(ClockStep::Hour) << 0 << 0 << 1;
        QTest::newRow("past 99 hours") << 59 << 59 << 99 << int(ClockStep::Hour) << 0 << 0 << 100;
    }
    void advanceClock()
    {
        QFETCH(int, s);
        QFETCH(int, m);
        QFETCH(int, h);
        QFETCH(int, step);
        QCOMPARE(int(::advanceClock(s, m, h)), step);
        QTEST(s, "s2");
        QTEST(m, "m2");
        QTEST(h, "h2");
    }

    void wholeMinutesCountHours()
    {
        // A move from 0:55 to 1:03 is 8 minutes, not 3 - 55.
        QCOMPARE(wholeMinutes(3, 1) - wholeMinutes(55, 0), 8);
    }
};

VARKO_TEST_MAIN(TestClockText)
#include "test_clocktext.moc"
