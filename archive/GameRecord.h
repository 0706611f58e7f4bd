#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// One 102-byte record of the archive. Record 1 is the id record (its Limit
// field holds the id counter); every further record is one saved game.
// Fields hold their text as stored: decoded, full width, blanks included;
// zero bytes decode to QChar(0) so a reader can tell them from blanks.
struct GameRecord {
    static constexpr int Size = 102;
    static constexpr int NameWidth = 15;
    static constexpr int PlayerWidth = 30;
    static constexpr int ClockWidth = 2;
    static constexpr int NumberWidth = 3;
    static constexpr int LimitOffset = 93;

    QString RecordName, WhitePlayer, BlackPlayer, WhiteHours, WhiteMinutes, WhiteSeconds,
        BlackHours, BlackMinutes, BlackSeconds, TotalHours, TotalMinutes, TotalSeconds, Limit,
        WhiteLeft, BlackLeft;

    // 102 bytes: each field cut to its width and padded with blanks.
    QByteArray encode() const;
    // raw should hold 102 bytes; a shorter piece reads as if padded with zero
    // bytes, anything beyond 102 is ignored.
    static GameRecord decode(QByteArrayView raw);
    // "ID" and 13 blanks, 78 zero bytes, the counter field ("000" for 0, else
    // as numberField), 6 zero bytes.
    static QByteArray idRecord(int counter);
};

// A field's text as it will read back once stored: cut to `width` characters
// after the round trip through the archive's code page.
QString storedText(QStringView text, int width);

// Blanks (only 0x20, as the archive pads with them) removed at both ends.
QStringView trimBlanks(QStringView text);
QByteArrayView trimBlanks(QByteArrayView bytes);

// A number field read as a number: blanks at both ends ignored, whole part
// taken (rounded down); std::nullopt when the field holds no number (zero
// bytes, garbage, empty).
std::optional<int> readNumberField(QStringView field);

// "30 " style: the decimal digits (a minus sign when negative), left-aligned
// and padded with blanks to the three-character width of the number fields.
QString numberField(int value);
