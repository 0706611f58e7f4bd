// Reading number fields and the archive's code page.
#include "archive/Cp1252.h"
#include "archive/GameRecord.h"
#include "tests/common/TestSupport.h"

#include <optional>

class TestArchiveRecord : public QObject {
    Q_OBJECT

private slots:
    // Whatever another program stored comes back byte for byte when saved again.
    void everyByteSurvivesDecodeAndEncode()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString decoded = fromCp1252(all);
        QCOMPARE(decoded.size(), 256);
        QCOMPARE(decoded.mid(0x80, 2), u"\u20AC\u0081"_qs); // the euro sign; an unassigned byte kept as is
        QCOMPARE(toCp1252(decoded), all);
    }

    void readNumber_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<std::optional<int>>("value");
        const std::optional<int> none;
        QTest::newRow("trailing blank") << u"30 "_qs << std::optional(30);
        QTest::newRow("leading zero") << u"030"_qs << std::optional(30);
        QTest::newRow("blank both ends") << u" 7 "_qs << std::optional(7);
        QTest::newRow("negative fraction down") << u"-2.5"_qs << std::optional(-3);
        QTest::newRow("blanks") << u"   "_qs << none;
        QTest::newRow("digit then zero byte") << u"7"_qs + QChar(0) << none;
        QTest::newRow("digit then garbage") << u"3x"_qs << none;
        QTest::newRow("blank inside") << u"1 2"_qs << none;
        QTest::newRow("too large") << u"99999999999"_qs << none;
    }
    void readNumber()
    {
        QFETCH(QString, field);
        QFETCH(std::optional<int>, value);
        QCOMPARE(readNumberField(field), value);
    }
};

VARKO_TEST_MAIN(TestArchiveRecord)
#include "test_archive_record.moc"
