#include "tests/tools/StressPlan.h"

#include "archive/Cp1252.h"
#include "archive/GameRecord.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace StressPlan {

namespace {

constexpr int PoolSize = 7;

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

struct Clock {
    QString hours, minutes, seconds;
};

Clock clockOf(int seconds)
{
    return {twoDigits(seconds / 3600 % 100), twoDigits(seconds / 60 % 60), twoDigits(seconds % 60)};
}

QByteArray nameField(QByteArrayView raw)
{
    return trimBlanks(raw.first(GameRecord::NameWidth)).toByteArray();
}

bool isNumberedName(const QByteArray &name)
{
    static const QRegularExpression numbered(QStringLiteral("^Varko[1-9][0-9]{0,2}$"));
    return numbered.match(QString::fromLatin1(name)).hasMatch();
}

// The bytes after the name: what the step alone decides.
QByteArrayView payload(QByteArrayView raw)
{
    return raw.sliced(GameRecord::NameWidth);
}

} // namespace

Kind kindOf(int step)
{
    switch (step % 5) {
    case 0:
    case 3:
        return Kind::Named;
    case 1:
        return Kind::Unnamed;
    default:
        return Kind::Again;
    }
}

QString poolName(const QString &prefix, int step)
{
    return prefix + u'-' + twoDigits(step / 5 % PoolSize);
}

GameSnapshot snapshotOf(int step)
{
    GameSnapshot s;
    // A name outside plain ASCII goes through the code page on every save.
    s.whitePlayer = QStringLiteral("Zoë %1").arg(step);
    s.blackPlayer = QStringLiteral("Bruno %1").arg(step);
    const Clock white = clockOf(step);
    const Clock black = clockOf(step * 7 + 11);
    const Clock total = clockOf(step * 13 + 5);
    s.whiteHours = white.hours;
    s.whiteMinutes = white.minutes;
    s.whiteSeconds = white.seconds;
    s.blackHours = black.hours;
    s.blackMinutes = black.minutes;
    s.blackSeconds = black.seconds;
    s.totalHours = total.hours;
    s.totalMinutes = total.minutes;
    s.totalSeconds = total.seconds;
    s.timeLimit = 1 + step % 999;
    // Captions as the clock shows them: a blank before a number that is not negative.
    s.whiteLeftCaption = QStringLiteral(" %1").arg(step % 181);
    s.blackLeftCaption = step % 7 == 0 ? QStringLiteral("-3") : QStringLiteral(" %1").arg(step % 97);
    return s;
}

QByteArray recordOf(int step, const QString &name)
{
    const GameSnapshot s = snapshotOf(step);
    // File order; the limits as numbers, the remaining minutes without blanks.
    const QString fields[] = {name, s.whitePlayer, s.blackPlayer, s.whiteHours, s.whiteMinutes, s.whiteSeconds,
                              s.blackHours, s.blackMinutes, s.blackSeconds, s.totalHours, s.totalMinutes,
                              s.totalSeconds, QString::number(s.timeLimit), s.whiteLeftCaption.trimmed(),
                              s.blackLeftCaption.trimmed()};
    constexpr int Widths[] = {15, 30, 30, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3};
    QByteArray record;
    for (int i = 0; i < 15; ++i)
        record += toCp1252(fields[i]).left(Widths[i]).leftJustified(Widths[i], ' ');
    return record;
}

QByteArray beginLine(int step, const QString &name)
{
    return "B " + QByteArray::number(step) + ' ' + (name.isEmpty() ? QByteArray("-") : name.toUtf8()) + '\n';
}

QByteArray doneLine(int step, int record, const QString &name)
{
    return "D " + QByteArray::number(step) + ' ' + QByteArray::number(record) + ' ' + name.toUtf8() + '\n';
}

QByteArray failLine(int step, const QString &message)
{
    QString oneLine = message;
    oneLine.replace(u'\n', u' ');
    return "F " + QByteArray::number(step) + ' ' + oneLine.toUtf8() + '\n';
}

Report parse(const QByteArray &output)
{
    Report report;
    QList<QByteArray> lines = output.split('\n');
    lines.removeLast(); // empty after the last newline, or a line the kill cut off
    for (const QByteArray &line : lines) {
        const QList<QByteArray> words = line.split(' ');
        const int step = words.value(1).toInt();
        if (words.first() == "B") {
            const QString name = words.value(2) == "-" ? QString() : QString::fromUtf8(words.value(2));
            report.pending = qMakePair(step, name);
        } else if (words.first() == "D" && words.size() == 4) {
            const QString name = QString::fromUtf8(words.at(3));
            report.done.append({words.at(2).toInt(), recordOf(step, name)});
            if (isNumberedName(words.at(3)))
                report.numberedNames.append(name);
            report.pending.reset();
        } else {
            report.failures.append(QString::fromUtf8(line));
            report.pending.reset();
        }
    }
    return report;
}

void Ledger::apply(const Report &report)
{
    for (const auto &[record, bytes] : report.done)
        m_records.insert(record, bytes);
}

QStringList Ledger::check(const QByteArray &archive, const std::optional<QPair<int, QString>> &pending)
{
    QStringList problems;
    const int count = int(archive.size() / GameRecord::Size);
    bool &pendingFound = m_pendingFound;
    pendingFound = false;
    // A cut-short save matches when all of its bytes are there: its own name
    // (or, for a numbered game, some numbered name) and the step's payload.
    auto isPending = [&](QByteArrayView raw) {
        if (!pending || pendingFound || payload(raw) != payload(recordOf(pending->first, QString())))
            return false;
        const QByteArray name = nameField(raw);
        return pending->second.isEmpty() ? isNumberedName(name) : name == pending->second.toUtf8();
    };
    for (int r = 2; r <= count; ++r) {
        const QByteArrayView raw = QByteArrayView(archive).sliced(qsizetype(r - 1) * GameRecord::Size, GameRecord::Size);
        const auto known = m_records.constFind(r);
        if (known != m_records.cend() && raw == *known)
            continue;
        const bool replacedInPlace = known != m_records.cend() && nameField(*known) == nameField(raw);
        const bool appendedLast = known == m_records.cend() && r == count;
        if ((replacedInPlace || appendedLast) && isPending(raw)) {
            pendingFound = true;
            m_records.insert(r, raw.toByteArray());
            continue;
        }
        problems.append(known == m_records.cend()
                            ? QStringLiteral("record %1 was written by no save: %2").arg(r).arg(QString::fromLatin1(raw.toByteArray().toHex()))
                            : QStringLiteral("record %1 does not hold what was saved there").arg(r));
    }
    for (auto it = m_records.cbegin(); it != m_records.cend(); ++it) {
        if (it.key() > count)
            problems.append(QStringLiteral("record %1 was saved but is gone (archive of %2 records)").arg(it.key()).arg(count));
    }
    return problems + checkForm(archive);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList checkForm(const QByteArray &archive)
{
    QStringList problems;
    const int count = int(archive.size() / GameRecord::Size);
    if (count == 0)
        return problems;
    const QByteArray idRecord = archive.first(GameRecord::Size);
    const GameRecord id = GameRecord::decode(idRecord);
    const std::optional<int> counter = readNumberField(id.Limit);
    if (!counter || *counter < 0 || *counter > 999 || idRecord != GameRecord::idRecord(*counter))
        problems.append(QStringLiteral("the id record is damaged: %1").arg(QString::fromLatin1(idRecord.toHex())));
    QSet<QByteArray> numbered;
    for (int r = 2; r <= count; ++r) {
        const QByteArray name = nameField(QByteArrayView(archive).sliced(qsizetype(r - 1) * GameRecord::Size, GameRecord::Size));
        if (isNumberedName(name) && numbered.contains(name))
            problems.append(QStringLiteral("the numbered name %1 was given twice").arg(QString::fromLatin1(name)));
        numbered.insert(name);
    }
    return problems;
}

} // namespace StressPlan
