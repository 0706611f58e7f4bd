#pragma once

#include "archive/Archive.h"
#include "archive/GameRecord.h"
#include "archive/SaveGame.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QStringList>
#include <optional>

// What the stress saver does at each step and how it reports it, shared by the
// saver and the tests that check its archive afterwards. Every step saves one
// game whose players and clocks follow from the step number alone, so a record
// found in the archive tells which step wrote it.
namespace StressPlan {

inline QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

inline QByteArrayView recordAt(const QByteArray &archive, int n)
{
    return QByteArrayView(archive).sliced(qsizetype(n - 1) * GameRecord::Size, GameRecord::Size);
}

inline QByteArray nameField(QByteArrayView raw)
{
    return trimBlanks(raw.first(GameRecord::NameWidth)).toByteArray();
}

inline bool isNumberedName(const QByteArray &name)
{
    static const QRegularExpression numbered(QStringLiteral("^Varko[1-9][0-9]{0,2}$"));
    return numbered.match(QString::fromLatin1(name)).hasMatch();
}

// The name step `step` saves under, after the step before saved as `previous`:
// a name from a small pool (appended, later replaced), none (a new numbered
// game), or `previous` once more (a save over its own record).
inline QString nameFor(const QString &prefix, int step, const QString &previous)
{
    const int kind = step % 5; // 0, 3: a pool name; 1: none; 2, 4: the previous once more
    return kind == 1 ? QString() : kind % 3 == 0 ? prefix + u'-' + twoDigits(step / 5 % 7) : previous;
}

inline GameSnapshot snapshotOf(int step)
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

// The 102 bytes step `step` writes under `name`.
inline QByteArray recordOf(int step, const QString &name)
{
    return savedRecord(snapshotOf(step), name).encode();
}

struct Report {
    QList<QPair<int, QByteArray>> done; // record, bytes, in the order completed
    QStringList failures;
    // A save that began but was not reported done: its step and name (empty
    // for a numbered game, whose number is not known in advance).
    std::optional<QPair<int, QString>> pending;
};
// Reads the saver's output, lines of "B <step> <name or ->" before a save,
// "D <step> <record> <name>" once it completed, "F <step> <message>" on
// failure; a last line cut off by a kill is ignored.
inline Report parse(const QByteArray &output)
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
        } else {
            report.failures.append(QString::fromUtf8(text));
        }
    }
    return report;
}

// What the archive must hold: for each record, the bytes of the last completed
// save that wrote it.
class Ledger {
public:
    int size() const { return int(m_records.size()); }
    // The saves the reports completed taken in, the problems of the archive's
    // bytes against the ledger and the savers' failures; empty when none. A
    // save the last report left cut short may have reached the disk whole (the
    // ledger then takes it over) or not at all; anything else is a problem.
    QStringList check(const QByteArray &archive, const QList<Report> &reports)
    {
        QStringList problems;
        for (const Report &report : reports) {
            for (const auto &[record, bytes] : report.done)
                m_records.insert(record, bytes);
            problems += report.failures;
        }
        const std::optional<QPair<int, QString>> &pending = reports.last().pending;
        const int count = int(archive.size() / GameRecord::Size);
        bool pendingFound = false;
        // A cut-short save matches when all of its bytes are there: its own name
        // (or, for a numbered game, some numbered name) and the step's other fields.
        auto isPending = [&](QByteArrayView raw, const QByteArray &name) {
            const bool named = pending && !pending->second.isEmpty();
            return pending && !pendingFound && (named || isNumberedName(name)) &&
                   raw == recordOf(pending->first, named ? pending->second : QString::fromLatin1(name));
        };
        QSet<QByteArray> numbered;
        for (int r = 2; r <= count; ++r) {
            const QByteArrayView raw = recordAt(archive, r);
            const QByteArray name = nameField(raw);
            if (isNumberedName(name) && numbered.contains(name))
                problems.append(
                    QStringLiteral("the numbered name %1 was given twice").arg(QString::fromLatin1(name)));
            numbered.insert(name);
            const auto known = m_records.constFind(r);
            const bool isKnown = known != m_records.cend();
            if (isKnown && raw == *known)
                continue;
            // In place over a game of the same name, or appended as the last record.
            if ((isKnown ? nameField(*known) == name : r == count) && isPending(raw, name)) {
                pendingFound = true;
                m_records.insert(r, raw.toByteArray());
                continue;
            }
            problems.append(
                QStringLiteral("record %1 %2")
                    .arg(r)
                    .arg(isKnown ? "does not hold what was saved there" : "was written by no save"));
        }
        if (archive.size() % GameRecord::Size != 0)
            problems.append(QStringLiteral("a torn piece follows the last record"));
        if (!m_records.isEmpty() && m_records.lastKey() > count)
            problems.append(QStringLiteral("record %1 was saved but is gone").arg(m_records.lastKey()));
        // The archive's form: a sound id record.
        const QByteArray id = archive.first(std::min<qsizetype>(archive.size(), GameRecord::Size));
        const int counter = count > 0 ? readNumberField(GameRecord::decode(id).Limit).value_or(-1) : 0;
        if (count > 0 && (counter < 0 || counter > 999 || id != GameRecord::idRecord(counter)))
            problems.append(QStringLiteral("the id record is damaged: ") + QString::fromLatin1(id.toHex()));
        return problems;
    }

private:
    QMap<int, QByteArray> m_records;
};

// The whole file; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes,
                      QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile file(path);
    return file.open(mode) && file.write(bytes) == bytes.size();
}

// Where start-up puts the archive when the program folder cannot take it.
inline QString userArchive()
{
    return archivePathIn(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace StressPlan
