#pragma once

#include "archive/Result.h"

#include <QByteArray>
#include <QList>
#include <QPair>

class ArchiveFile;

// A save's writes into the open, locked archive as one change that neither a
// failing disk nor a power cut can split. The records' places, the old bytes
// of the blocks holding them and the archive's length go into the journal,
// which is made durable first; then the records are written and synced; then
// the journal is removed.
class ArchiveEdit {
public:
    explicit ArchiveEdit(ArchiveFile &file) : m_file(file) {}

    // Record n is to hold `record` (1 <= n <= count + 1, counting the records
    // added before it; count + 1 appends at count * 102, over any trailing
    // piece). Nothing is written before commit().
    void writeRecord(qint64 n, QByteArray record);

    struct Outcome {
        Result<void> written;      // the change as a whole
        Result<void> undone;       // after a failure: whether the archive was put back at once
        bool journalFails = false; // the failure is the journal's, whose reason names it
    };
    // On failure the archive is put back as it was; when even that fails, the
    // journal stays, and whoever opens the archive next puts it back.
    Outcome commit();

private:
    Result<void> writeAll(bool *journalFails);

    ArchiveFile &m_file;
    QList<QPair<qint64, QByteArray>> m_records;
};
