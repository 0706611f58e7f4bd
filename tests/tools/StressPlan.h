#pragma once

#include "archive/SaveGame.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QMap>
#include <QStringList>
#include <optional>

// What the stress saver does at each step and how it reports it, shared by the
// saver and the tests that check its archive afterwards. Every step saves one
// game whose players and clocks follow from the step number alone, so a record
// found in the archive tells which step wrote it.
namespace StressPlan {

// The name step `step` saves under, after the step before saved as `previous`:
// a name from a small pool (appended, later replaced), none (a new numbered
// game), or `previous` once more (a save over its own record).
QString nameFor(const QString &prefix, int step, const QString &previous);
GameSnapshot snapshotOf(int step);
// The 102 bytes step `step` writes under `name`.
QByteArray recordOf(int step, const QString &name);

// A line of the saver's report: "B <step> <name or ->" before a save,
// "D <step> <record> <name>" once it completed, "F <step> <message>" on failure.
QByteArray line(char tag, int step, const QString &rest);

struct Report {
    QList<QPair<int, QByteArray>> done; // record, bytes, in the order completed
    QStringList failures;
    // A save that began but was not reported done: its step and name (empty
    // for a numbered game, whose number is not known in advance).
    std::optional<QPair<int, QString>> pending;
    QStringList numberedNames; // every "Varko" N name completed
};
// Reads the saver's output; a last line cut off by a kill is ignored.
Report parse(const QByteArray &output);

// What the archive must hold: for each record, the bytes of the last completed
// save that wrote it.
class Ledger {
public:
    void apply(const Report &report);
    int size() const { return int(m_records.size()); }
    // The problems of the archive's bytes against the ledger, empty when none.
    // A save cut short may have reached the disk whole (the ledger then takes
    // it over) or not at all; anything else is a problem.
    QStringList check(const QByteArray &archive, const std::optional<QPair<int, QString>> &pending);
    bool pendingReachedDisk() const { return m_pendingFound; }

private:
    QMap<int, QByteArray> m_records;
    bool m_pendingFound = false;
};

// The whole file; empty when it cannot be read.
QByteArray fileBytes(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly);
// Where start-up puts the archive when the program folder cannot take it.
QString userArchive();

} // namespace StressPlan
