#include "archive/GameRecord.h"

#include "archive/Cp1252.h"

#include <algorithm>
#include <limits>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QByteArray GameRecord::encode() const
{
    QByteArray out;
    out.reserve(Size);
    for (const Field &f : Fields)
        out.append(fieldBytes((*this)[f], f.width));
    return out;
}

GameRecord GameRecord::decode(QByteArrayView raw)
{
    QByteArray full = raw.first(std::min<qsizetype>(raw.size(), Size)).toByteArray();
    full.append(Size - full.size(), '\0');
    GameRecord record;
    for (const Field &f : Fields)
        record[f] = fromCp1252(QByteArrayView(full).sliced(f.offset, f.width));
    return record;
}

QByteArray GameRecord::idRecord(int counter)
{
    QByteArray out(Size, '\0');
    out.replace(0, NameWidth, fieldBytes(u"ID", NameWidth));
    // A new archive's counter reads "000"; later counters are number fields.
    const QString field = counter == 0 ? QStringLiteral("000") : numberField(counter);
    out.replace(LimitOffset, NumberWidth, fieldBytes(field, NumberWidth));
    return out;
}

QByteArray GameRecord::fieldBytes(QStringView text, int width)
{
    QByteArray bytes = toCp1252(text).left(width);
    bytes.append(width - bytes.size(), ' ');
    return bytes;
}

QString storedText(QStringView text, int width)
{
    return fromCp1252(toCp1252(text).left(width));
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

QByteArrayView trimBlanks(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && bytes[begin] == ' ')
        ++begin;
    while (end > begin && bytes[end - 1] == ' ')
        --end;
    return bytes.sliced(begin, end - begin);
}

std::optional<int> readNumberField(QStringView field)
{
    // Accepted: [sign] digits [. digits] or [sign] . digits, blanks around.
    const QStringView text = trimBlanks(field);
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    long long whole = 0;
    qsizetype digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits) {
        whole = whole * 10 + (text[i].unicode() - u'0');
        if (whole > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    bool fraction = false; // a non-zero digit after the point
    if (i < text.size() && text[i] == u'.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits)
            fraction = fraction || text[i] != u'0';
    }
    if (digits == 0 || i != text.size())
        return std::nullopt;
    // Rounded down: -2.5 reads as -3, as the largest whole number not above it.
    const long long value = negative ? -whole - (fraction ? 1 : 0) : whole;
    if (value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(value);
}

QString numberField(int value)
{
    return QString::number(value).leftJustified(GameRecord::NumberWidth, u' ');
}
