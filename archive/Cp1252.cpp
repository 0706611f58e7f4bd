#include "archive/Cp1252.h"

#include <array>

namespace {

// Characters of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> HighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

char16_t decodeByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return HighTable[byte - 0x80];
    return byte;
}

char encodeUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < HighTable.size(); ++i) {
        if (HighTable[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Text below the combining marks is already composed; the rest is composed
// here, so a decomposed character that has a byte of its own gets it.
QString composed(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x300)
            return text.toString().normalized(QString::NormalizationForm_C);
    }
    return text.toString();
}

} // namespace

QString charactersOutsideCp1252(QStringView text)
{
    const QString whole = composed(text);
    QString outside;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        const bool pair = whole[i].isHighSurrogate() && i + 1 < whole.size() && whole[i + 1].isLowSurrogate();
        const QStringView character = QStringView(whole).sliced(i, pair ? 2 : 1);
        if (toCp1252(character) == "?" && character != u"?" && !outside.contains(character))
            outside += character;
        i += pair ? 1 : 0;
    }
    return outside;
}

QByteArray toCp1252(QStringView original)
{
    const QString text = composed(original);
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // outside the code page by definition
            out.append('?');
            continue;
        }
        out.append(c.isSurrogate() ? '?' : encodeUnit(c.unicode()));
    }
    return out;
}

QString fromCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(decodeByte(static_cast<unsigned char>(bytes[i])));
    return out;
}
