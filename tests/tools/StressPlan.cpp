#include "tests/tools/StressPlan.h"

#include "archive/Archive.h"
#include "archive/GameRecord.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

namespace StressPlan {

namespace {

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

QByteArrayView recordAt(const QByteArray &archive, int n)
{
    return QByteArrayView(archive).sliced(qsizetype(n - 1) * GameRecord::Size, GameRecord::Size);
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

// Problems of the archive's form alone: a sound id record, no numbered name twice.
QStringList checkForm(const QByteArray &archive)
{
    QStringList problems;
    const int count = int(archive.size() / GameRecord::Size);
    if (count == 0)
        return problems;
    const QByteArray idRecord = archive.first(GameRecord::Size);
    const std::optional<int> counter = readNumberField(GameRecord::decode(idRecord).Limit);
    if (!counter || *counter < 0 || *counter > 999 || idRecord != GameRecord::idRecord(*counter))
        problems.append(QStringLiteral("the id record is damaged: ") + QString::fromLatin1(idRecord.toHex()));
    QSet<QByteArray> numbered;
    for (int r = 2; r <= count; ++r) {
        const QByteArray name = nameField(recordAt(archive, r));
        if (isNumberedName(name) && numbered.contains(name))
            problems.append(
                QStringLiteral("the numbered name %1 was given twice").arg(QString::fromLatin1(name)));
        numbered.insert(name);
    }
    return problems;
}

} // namespace

QString nameFor(const QString &prefix, int step, const QString &previous)
{
    const int kind = step % 5; // 0, 3: a pool name; 1: none; 2, 4: the previous once more
    return kind == 1 ? QString() : kind % 3 == 0 ? prefix + u'-' + twoDigits(step / 5 % 7) : previous;
}

GameSnapshot snapshotOf(int step)
{
    const int w = step, b = step * 7 + 11, t = step * 13 + 5;
    // A player outside plain ASCII goes through the code page on every save;
    // captions as the clock shows them, a blank before a number not negative.
    return {QStringLiteral("Zoë %1").arg(step),
            QStringLiteral("Bruno %1").arg(step),
            twoDigits(w / 3600 % 100),
            twoDigits(w / 60 % 60),
            twoDigits(w % 60),
            twoDigits(b / 3600 % 100),
            twoDigits(b / 60 % 60),
            twoDigits(b % 60),
            twoDigits(t / 3600 % 100),
            twoDigits(t / 60 % 60),
            twoDigits(t % 60),
            1 + step % 999,
            QStringLiteral(" %1").arg(step % 181),
            step % 7 == 0 ? QStringLiteral("-3") : QStringLiteral(" %1").arg(step % 97)};
}

QByteArray recordOf(int step, const QString &name)
{
    return savedRecord(snapshotOf(step), name).encode();
}

QByteArray line(char tag, int step, const QString &rest)
{
    return tag + (' ' + QByteArray::number(step) + ' ' + QString(rest).replace(u'\n', u' ').toUtf8()) + '\n';
}

Report parse(const QByteArray &output)
{
    Report report;
    QList<QByteArray> lines = output.split('\n');
    lines.removeLast(); // empty after the last newline, or a line a kill cut off
    for (const QByteArray &text : lines) {
        const QList<QByteArray> words = text.split(' ');
        const int step = words.value(1).toInt();
        report.pending.reset();
        if (words.first() == "B") {
            report.pending =
                qMakePair(step, words.value(2) == "-" ? QString() : QString::fromUtf8(words.value(2)));
        } else if (words.first() == "D" && words.size() == 4) {
            report.done.append({words.at(2).toInt(), recordOf(step, QString::fromUtf8(words.at(3)))});
            if (isNumberedName(words.at(3)))
                report.numberedNames.append(QString::fromUtf8(words.at(3)));
        } else {
            report.failures.append(QString::fromUtf8(text));
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
    m_pendingFound = false;
    // A cut-short save matches when all of its bytes are there: its own name
    // (or, for a numbered game, some numbered name) and the step's other fields.
    auto isPending = [&](QByteArrayView raw) {
        const QByteArray name = nameField(raw);
        const bool named = pending && !pending->second.isEmpty();
        return pending && !m_pendingFound && (named || isNumberedName(name)) &&
               raw == recordOf(pending->first, named ? pending->second : QString::fromLatin1(name));
    };
    for (int r = 2; r <= count; ++r) {
        const QByteArrayView raw = recordAt(archive, r);
        const auto known = m_records.constFind(r);
        const bool isKnown = known != m_records.cend();
        if (isKnown && raw == *known)
            continue;
        // In place over a game of the same name, or appended as the last record.
        if ((isKnown ? nameField(*known) == nameField(raw) : r == count) && isPending(raw)) {
            m_pendingFound = true;
            m_records.insert(r, raw.toByteArray());
            continue;
        }
        problems.append(QStringLiteral("record %1 %2")
                            .arg(r)
                            .arg(isKnown ? "does not hold what was saved there" : "was written by no save"));
    }
    if (!m_records.isEmpty() && m_records.lastKey() > count)
        problems.append(QStringLiteral("record %1 was saved but is gone").arg(m_records.lastKey()));
    return problems + checkForm(archive);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    QFile file(path);
    return file.open(mode) && file.write(bytes) == bytes.size();
}

QString userArchive()
{
    return archivePathIn(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace StressPlan
