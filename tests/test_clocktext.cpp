#include "clock/ClockText.h"
#include "tests/common/TestSupport.h"

// Number formats and move lengths, without a window.
class TestClockText : public QObject {
    Q_OBJECT
private slots:
    void formats_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("twoDigit");
        QTest::addColumn<QString>("numberText");
        QTest::newRow("0") << 0 << "00" << " 0";
        QTest::newRow("7") << 7 << "07" << " 7";
        QTest::newRow("42") << 42 << "42" << " 42";
        QTest::newRow("100") << 100 << "100" << " 100";
        QTest::newRow("negative") << -3 << "-3" << "-3";
    }
    void formats()
    {
        QFETCH(int, n);
        QTEST(ClockText::TwoDigit(n), "twoDigit");
        QTEST(ClockText::NumberText(n), "numberText");
    }

    void moveAcrossAnHourCountsItsMinutes()
    {
        int s = 59, m = 59, h = 0;
        QCOMPARE(advanceClock(s, m, h), ClockStep::Hour);
        QCOMPARE(wholeMinutes(m, h) - wholeMinutes(55, 0), 5);
    }
};

VARKO_TEST_MAIN(TestClockText)
#include "test_clocktext.moc"
