#pragma once

#include "archive/SaveGame.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// What the stress saver does at each step and how it reports it, shared by the
// saver and the tests that check its archive afterwards.
//
// Every step saves one game whose players and clocks are derived from the step
// number alone, so a record found in the archive tells which step wrote it.
namespace StressPlan {

enum class Kind {
    Named,   // a name from the saver's pool: appended the first time, replaced after
    Unnamed, // no name: a new numbered game "Varko" N, appended
    Again,   // the game of the step before, saved once more over its own record
};

Kind kindOf(int step);
// The pool name of a named step: the saver's prefix and one of a few numbers.
QString poolName(const QString &prefix, int step);
GameSnapshot snapshotOf(int step);
// The 102 bytes step `step` writes under `name`.
QByteArray recordOf(int step, const QString &name);

// Lines the saver writes: "B <step> <name or ->" before a save,
// "D <step> <record> <name>" once it completed, "F <step> <message>" on failure.
QByteArray beginLine(int step, const QString &name);
QByteArray doneLine(int step, int record, const QString &name);
QByteArray failLine(int step, const QString &message);

struct Report {
    QList<QPair<int, QByteArray>> done; // record, bytes, in the order completed
    QStringList failures;
    // A save that began but was not reported done: its step and name (empty
    // for a numbered game, whose number is not known in advance).
    std::optional<QPair<int, QString>> pending;
    QStringList numberedNames; // every "Varko" N name completed, in order
};
// Reads the saver's output; a last line cut off by the kill is ignored.
Report parse(const QByteArray &output);

// What the archive must hold: for each record, the bytes of the last completed
// save that wrote it.
class Ledger {
public:
    void apply(const Report &report);
    const QMap<int, QByteArray> &records() const { return m_records; }

    // Checks the archive's bytes against the ledger. A save cut short may have
    // reached the disk completely (then the ledger takes it over) or not at all;
    // anything else is a problem. Returns the problems found, empty when none.
    QStringList check(const QByteArray &archive, const std::optional<QPair<int, QString>> &pending);
    // Whether the last check found the cut-short save on the disk, whole.
    bool pendingReachedDisk() const { return m_pendingFound; }

private:
    QMap<int, QByteArray> m_records;
    bool m_pendingFound = false;
};

// The whole file; empty when it cannot be read.
QByteArray fileBytes(const QString &path);

// Problems of the archive's form alone: id record, unique numbered names.
QStringList checkForm(const QByteArray &archive);

} // namespace StressPlan
