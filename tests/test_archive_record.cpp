// Record layout, number fields and the archive's code page.
#include "archive/Cp1252.h"
#include "archive/GameRecord.h"
#include "tests/common/TestSupport.h"
#include "tests/test_archive_support.h"

#include <QObject>

class TestArchiveRecord : public QObject {
    Q_OBJECT

private slots:
    void cp1252RoundTrip_data();
    void cp1252RoundTrip();
    void everyByteSurvivesDecodeAndEncode();
    void fieldsAtTheirOffsets();
    void fieldsCutAndPadded_data();
    void fieldsCutAndPadded();
    void decodeKeepsBlanksAndZeroBytes();
    void decodeOfShortPieceIsZeroPadded();
    void idRecordBytes_data();
    void idRecordBytes();
    void readNumber_data();
    void readNumber();
    void numberFieldText_data();
    void numberFieldText();
    void storedTextIsWhatReadsBack();
};

void TestArchiveRecord::cp1252RoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("back");

    QTest::newRow("ascii") << u"Blitz 30"_qs << QByteArray("Blitz 30") << u"Blitz 30"_qs;
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

void TestArchiveRecord::fieldsAtTheirOffsets()
{
    const QByteArray expected = QByteArray("Alpha          ") + QByteArray("  Anna Rossi").leftJustified(30, ' ')
                                + QByteArray("Bruno").leftJustified(30, ' ') + "001207000941002148" + "30 18 21 ";
    QCOMPARE(expected.size(), GameRecord::Size);
    QCOMPARE(ArchiveTest::alpha().encode(), expected);
    GameRecord r = ArchiveTest::alpha();
    r.BlackLeft = "5";
    QCOMPARE(r.encode().sliced(96), QByteArray("18 5  "));
}

void TestArchiveRecord::fieldsCutAndPadded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("player");
    QTest::addColumn<QByteArray>("nameBytes");
    QTest::addColumn<QByteArray>("playerBytes");

    QTest::newRow("15-char name fills the field") << u"ABCDEFGHIJKLMNO"_qs << u"Anna"_qs
                                                  << QByteArray("ABCDEFGHIJKLMNO")
                                                  << QByteArray("Anna").leftJustified(30, ' ');
    QTest::newRow("16-char name loses the last") << u"ABCDEFGHIJKLMNOP"_qs << u""_qs
                                                 << QByteArray("ABCDEFGHIJKLMNO") << QByteArray(30, ' ');
    QTest::newRow("31-char player keeps 30") << u"B"_qs << QString(30, u'x') + u'y'
                                             << QByteArray("B").leftJustified(15, ' ') << QByteArray(30, 'x');
    QTest::newRow("blanks kept as typed") << u" Blitz "_qs << u"  Bo"_qs
                                          << QByteArray(" Blitz         ") << QByteArray("  Bo").leftJustified(30, ' ');
}

void TestArchiveRecord::fieldsCutAndPadded()
{
    QFETCH(QString, name);
    QFETCH(QString, player);
    QFETCH(QByteArray, nameBytes);
    QFETCH(QByteArray, playerBytes);
    GameRecord r;
    r.RecordName = name;
    r.WhitePlayer = player;
    const QByteArray raw = r.encode();
    QCOMPARE(raw.size(), GameRecord::Size);
    QCOMPARE(raw.first(15), nameBytes);
    QCOMPARE(raw.sliced(15, 30), playerBytes);
    QCOMPARE(raw.sliced(45), QByteArray(57, ' '));
}

void TestArchiveRecord::decodeKeepsBlanksAndZeroBytes()
{
    QByteArray raw = GameRecord::idRecord(7);
    const GameRecord id = GameRecord::decode(raw);
    QCOMPARE(id.RecordName, u"ID             "_qs);
    QCOMPARE(id.WhitePlayer, QString(30, QChar(0)));
    QCOMPARE(id.Limit, u"7  "_qs);
    QCOMPARE(id.BlackLeft, QString(3, QChar(0)));
    QCOMPARE(id.encode().first(15), raw.first(15));
}

void TestArchiveRecord::decodeOfShortPieceIsZeroPadded()
{
    const GameRecord r = GameRecord::decode("Blitz");
    QCOMPARE(r.RecordName, u"Blitz"_qs + QString(10, QChar(0)));
    QCOMPARE(r.BlackLeft, QString(3, QChar(0)));
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
    const QByteArray expected = QByteArray("ID") + QByteArray(13, ' ') + QByteArray(78, '\0') + field
                                + QByteArray(6, '\0');
    QCOMPARE(GameRecord::idRecord(counter), expected);
}

void TestArchiveRecord::readNumber_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<int>("value");

    QTest::newRow("trailing blank") << u"30 "_qs << true << 30;
    QTest::newRow("leading blank") << u" 30"_qs << true << 30;
    QTest::newRow("leading zero") << u"030"_qs << true << 30;
    QTest::newRow("zeros") << u"000"_qs << true << 0;
    QTest::newRow("blank both ends") << u" 7 "_qs << true << 7;
    QTest::newRow("clock field") << u"07"_qs << true << 7;
    QTest::newRow("negative") << u"-5 "_qs << true << -5;
    QTest::newRow("plus") << u"+5"_qs << true << 5;
    QTest::newRow("fraction down") << u"2.5"_qs << true << 2;
    QTest::newRow("negative fraction down") << u"-2.5"_qs << true << -3;
    QTest::newRow("negative whole with point") << u"-2.0"_qs << true << -2;
    QTest::newRow("point first") << u".5"_qs << true << 0;
    QTest::newRow("blanks") << u"   "_qs << false << 0;
    QTest::newRow("empty") << u""_qs << false << 0;
    QTest::newRow("zero bytes") << QString(3, QChar(0)) << false << 0;
    QTest::newRow("digit then zero byte") << u"7"_qs + QChar(0) << false << 0;
    QTest::newRow("garbage") << u"abc"_qs << false << 0;
    QTest::newRow("digit then garbage") << u"3x"_qs << false << 0;
    QTest::newRow("blank inside") << u"1 2"_qs << false << 0;
    QTest::newRow("sign alone") << u"- "_qs << false << 0;
    QTest::newRow("point alone") << u"."_qs << false << 0;
    QTest::newRow("tab is not a blank") << u"\t5"_qs << false << 0;
    QTest::newRow("too large") << u"99999999999"_qs << false << 0;
}

void TestArchiveRecord::readNumber()
{
    QFETCH(QString, field);
    QFETCH(bool, isNumber);
    QFETCH(int, value);
    const std::optional<int> read = readNumberField(field);
    QCOMPARE(read.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*read, value);
}

void TestArchiveRecord::numberFieldText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("30") << 30 << u"30 "_qs;
    QTest::newRow("5") << 5 << u"5  "_qs;
    QTest::newRow("120") << 120 << u"120"_qs;
    QTest::newRow("0") << 0 << u"0  "_qs;
    QTest::newRow("-3") << -3 << u"-3 "_qs;
}

void TestArchiveRecord::numberFieldText()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(numberField(value), text);
    QCOMPARE(readNumberField(text), std::optional<int>(value));
}

void TestArchiveRecord::storedTextIsWhatReadsBack()
{
    QCOMPARE(storedText(u"\u03A9 ABCDEFGHIJKLMNOP", 15), u"? ABCDEFGHIJKLM"_qs);
    QCOMPARE(trimBlanks(QStringView(u"  Blitz   ")), QStringView(u"Blitz"));
    QCOMPARE(trimBlanks(QByteArrayView("  x ")), QByteArrayView("x"));
}

VARKO_TEST_MAIN(TestArchiveRecord)
#include "test_archive_record.moc"
