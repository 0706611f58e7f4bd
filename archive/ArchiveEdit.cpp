#include "archive/ArchiveEdit.h"

#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"
#include "archive/Journal.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

qint64 offsetOf(qint64 n)
{
    return qint64(n - 1) * GameRecord::Size;
}

} // namespace

void ArchiveEdit::writeRecord(qint64 n, QByteArray record)
{
    Q_ASSERT(record.size() == GameRecord::Size);
    m_records.append({n, std::move(record)});
}

ArchiveEdit::Outcome ArchiveEdit::commit()
{
    Journal journal(m_file.length());
    qint64 count = m_file.count();
    for (const auto &[n, record] : std::as_const(m_records)) {
        if (n < 1 || n > count + 1)
            return {Failure{QCoreApplication::translate("Archive", "record %1 lies beyond the end").arg(n)},
                    {}};
        count = std::max(count, n);
        journal.willWrite(offsetOf(n), GameRecord::Size);
    }
    const Result<void> kept = m_file.keepOldBytesIn(journal);
    if (!kept)
        return {kept, {}};
    const Result<void> journaled = journal.write(m_file.path());
    if (!journaled) {
        // The archive is untouched; a journal left behind only repeats what it holds.
        static_cast<void>(Journal::remove(m_file.path()));
        return {journaled, {}, true};
    }
    bool journalFails = false;
    const Result<void> written = writeAll(&journalFails);
    if (written)
        return {written, {}};
    const Result<void> undone = m_file.rollBack(journal);
    // Should the journal stay, the next opening puts the archive back once more: the same bytes.
    if (undone)
        static_cast<void>(Journal::remove(m_file.path()));
    return {written, undone, journalFails};
}

Result<void> ArchiveEdit::writeAll(bool *journalFails)
{
    for (const auto &[n, record] : std::as_const(m_records)) {
        const Result<void> put = m_file.writeBytes(offsetOf(n), record);
        if (!put)
            return put;
    }
    const Result<void> synced = m_file.sync();
    if (!synced)
        return synced;
    // Until the journal is gone for good, a power cut would take the save back.
    const Result<void> removed = Journal::remove(m_file.path());
    *journalFails = !removed;
    return removed;
}
