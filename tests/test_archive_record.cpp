// Reading number fields, the id record, decoding and the archive's code page.
#include "archive/Cp1252.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QObject>

class TestArchiveRecord : public QObject {
    Q_OBJECT

private slots:
    void cp1252RoundTrip_data();
    void cp1252RoundTrip();
    void everyByteSurvivesDecodeAndEncode();
    void decodeKeepsWhatIsStored();
    void idRecordBytes_data();
    void idRecordBytes();
    void readNumber_data();
    void readNumber();
};

void TestArchiveRecord::cp1252RoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("back");

    QTest::newRow("latin-1") << u"Zo\u00EB \u00D1and\u00FA"_qs << QByteArray("Zo\xEB \xD1" "and\xFA")
                             << u"Zo\u00EB \u00D1and\u00FA"_qs;
    QTest::newRow("euro and quotes") << u"\u20AC\u201C\u201D\u2122\u0178"_qs << QByteArray("\x80\x93\x94\x99\x9F")
                                     << u"\u20AC\u201C\u201D\u2122\u0178"_qs;
    QTest::newRow("not in the code page") << u"\u03A9mega"_qs << QByteArray("?mega") << u"?mega"_qs;
    QTest::newRow("outside the BMP is one character") << u"a\U0001F600b"_qs << QByteArray("a?b") << u"a?b"_qs;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?") << u"?"_qs;
    QTest::newRow("zero byte") << QString(QChar(0)) << QByteArray(1, '\0') << QString(QChar(0));
}

void TestArchiveRecord::cp1252RoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, back);
    QCOMPARE(toCp1252(text), bytes);
    QCOMPARE(fromCp1252(bytes), back);
}

void TestArchiveRecord::everyByteSurvivesDecodeAndEncode()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString decoded = fromCp1252(all);
    QCOMPARE(decoded.size(), 256);
    QCOMPARE(decoded[0x80], QChar(0x20AC));
    QCOMPARE(decoded[0x81], QChar(0x81)); // unassigned byte kept as its control character
    QCOMPARE(toCp1252(decoded), all);
}

// Blanks and zero bytes stay apart, so a reader can tell a damaged field.
void TestArchiveRecord::decodeKeepsWhatIsStored()
{
    const GameRecord id = GameRecord::decode(GameRecord::idRecord(7));
    QCOMPARE(id.RecordName, u"ID             "_qs);
    QCOMPARE(id.WhitePlayer, QString(30, QChar(0)));
    QCOMPARE(id.Limit, u"7  "_qs);
    QCOMPARE(id.BlackLeft, QString(3, QChar(0)));
}

void TestArchiveRecord::idRecordBytes_data()
{
    QTest::addColumn<int>("counter");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("fresh") << 0 << QByteArray("000");
    QTest::newRow("7") << 7 << QByteArray("7  ");
    QTest::newRow("999") << 999 << QByteArray("999");
}

void TestArchiveRecord::idRecordBytes()
{
    QFETCH(int, counter);
    QFETCH(QByteArray, field);
    const QByteArray id = GameRecord::idRecord(counter);
    QCOMPARE(id.size(), 102);
    QCOMPARE(id, ArchiveTest::idBytes(field));
}

void TestArchiveRecord::readNumber_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<std::optional<int>>("value");
    const std::optional<int> none;

    QTest::newRow("trailing blank") << u"30 "_qs << std::optional(30);
    QTest::newRow("leading zero") << u"030"_qs << std::optional(30);
    QTest::newRow("blank both ends") << u" 7 "_qs << std::optional(7);
    QTest::newRow("negative") << u"-5 "_qs << std::optional(-5);
    QTest::newRow("plus") << u"+5"_qs << std::optional(5);
    QTest::newRow("negative fraction down") << u"-2.5"_qs << std::optional(-3);
    QTest::newRow("negative whole with point") << u"-2.0"_qs << std::optional(-2);
    QTest::newRow("point first") << u".5"_qs << std::optional(0);
    QTest::newRow("blanks") << u"   "_qs << none;
    QTest::newRow("zero bytes") << QString(3, QChar(0)) << none;
    QTest::newRow("digit then zero byte") << u"7"_qs + QChar(0) << none;
    QTest::newRow("digit then garbage") << u"3x"_qs << none;
    QTest::newRow("blank inside") << u"1 2"_qs << none;
    QTest::newRow("sign alone") << u"- "_qs << none;
    QTest::newRow("tab is not a blank") << u"\t5"_qs << none;
    QTest::newRow("too large") << u"99999999999"_qs << none;
}

void TestArchiveRecord::readNumber()
{
    QFETCH(QString, field);
    QFETCH(std::optional<int>, value);
    QCOMPARE(readNumberField(field), value);
}

VARKO_TEST_MAIN(TestArchiveRecord)
#include "test_archive_record.moc"
