#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// One 102-byte record of the archive. Record 1 is the id record (its Limit
// field holds the id counter); every further record is one saved game.
// Fields hold their text as stored: decoded, full width, blanks included;
// zero bytes decode to QChar(0) so a reader can tell them from blanks.
struct GameRecord {
    QString RecordName, WhitePlayer, BlackPlayer, WhiteHours, WhiteMinutes, WhiteSeconds, BlackHours,
        BlackMinutes, BlackSeconds, TotalHours, TotalMinutes, TotalSeconds, Limit, WhiteLeft, BlackLeft;

    // What a field holds: text, or a number read by readNumberField (a clock's
    // hours are never negative, its minutes and seconds lie in 0..59).
    enum class Kind { Text, Hours, MinutesOrSeconds, Number };
    struct Field {
        QString GameRecord::*member;
        const char *name;
        int offset, width;
        Kind kind;
        int column;       // the browser's column; clock fields share one as h:m:s; -1: not shown
        const char *what; // how a message names it
    };
    // The record's layout, in file order: every reader and writer of records
    // goes by this table.
    static constexpr int FieldCount = 15;
    static constexpr std::array<Field, FieldCount> Fields = {{
        {&GameRecord::RecordName, "RecordName", 0, 15, Kind::Text, 0, "the game's name"},
        {&GameRecord::WhitePlayer, "WhitePlayer", 15, 30, Kind::Text, 1, "White"},
        {&GameRecord::BlackPlayer, "BlackPlayer", 45, 30, Kind::Text, 2, "Black"},
        {&GameRecord::WhiteHours, "WhiteHours", 75, 2, Kind::Hours, 4, "White's hours"},
        {&GameRecord::WhiteMinutes, "WhiteMinutes", 77, 2, Kind::MinutesOrSeconds, 4, "White's minutes"},
        {&GameRecord::WhiteSeconds, "WhiteSeconds", 79, 2, Kind::MinutesOrSeconds, 4, "White's seconds"},
        {&GameRecord::BlackHours, "BlackHours", 81, 2, Kind::Hours, 5, "Black's hours"},
        {&GameRecord::BlackMinutes, "BlackMinutes", 83, 2, Kind::MinutesOrSeconds, 5, "Black's minutes"},
        {&GameRecord::BlackSeconds, "BlackSeconds", 85, 2, Kind::MinutesOrSeconds, 5, "Black's seconds"},
        {&GameRecord::TotalHours, "TotalHours", 87, 2, Kind::Hours, 6, "the total hours"},
        {&GameRecord::TotalMinutes, "TotalMinutes", 89, 2, Kind::MinutesOrSeconds, 6, "the total minutes"},
        {&GameRecord::TotalSeconds, "TotalSeconds", 91, 2, Kind::MinutesOrSeconds, 6, "the total seconds"},
        {&GameRecord::Limit, "Limit", 93, 3, Kind::Number, 3, "the time limit"},
        {&GameRecord::WhiteLeft, "WhiteLeft", 96, 3, Kind::Number, -1, "White's remaining minutes"},
        {&GameRecord::BlackLeft, "BlackLeft", 99, 3, Kind::Number, -1, "Black's remaining minutes"},
    }};
    static constexpr int Size = 102;
    static constexpr int NameWidth = Fields[0].width;
    static constexpr int NumberWidth = Fields[12].width;
    static constexpr int LimitOffset = Fields[12].offset;

    // The table's entry for a member (Fields[0] for one not in it, which
    // cannot happen for the fifteen fields above).
    static constexpr const Field &field(QString GameRecord::*member)
    {
        for (const Field &f : Fields) {
            if (f.member == member)
                return f;
        }
        return Fields[0];
    }

    QString &operator[](const Field &f) { return this->*f.member; }
    const QString &operator[](const Field &f) const { return this->*f.member; }

    // 102 bytes: each field cut to its width and padded with blanks.
    QByteArray encode() const;
    // raw should hold 102 bytes; a shorter piece reads as if padded with zero
    // bytes, anything beyond 102 is ignored.
    static GameRecord decode(QByteArrayView raw);
    // "ID" and 13 blanks, 78 zero bytes, the counter field ("000" for 0, else
    // as numberField), 6 zero bytes.
    static QByteArray idRecord(int counter);
    // A field as stored: `text` through the code page, cut to `width` bytes,
    // padded with blanks.
    static QByteArray fieldBytes(QStringView text, int width);
};

namespace GameRecordLayout {
constexpr bool isContiguous()
{
    int offset = 0;
    for (const GameRecord::Field &f : GameRecord::Fields) {
        if (f.offset != offset || f.width <= 0)
            return false;
        offset += f.width;
    }
    return offset == GameRecord::Size;
}
static_assert(isContiguous(), "the fields must tile the record in file order");
} // namespace GameRecordLayout

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
