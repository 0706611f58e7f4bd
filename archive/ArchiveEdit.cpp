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
            return {IoResult::failure(
                        QCoreApplication::translate("Archive", "record %1 lies beyond the end").arg(n)),
                    IoResult::success()};
        count = std::max(count, n);
        journal.willWrite(offsetOf(n), GameRecord::Size);
    }
    const IoResult kept = journal.keepOldBytes(m_file);
    if (!kept.ok)
        return {kept, IoResult::success()};
    const IoResult journaled = journal.write(m_file.path());
    if (!journaled.ok) {
        // The archive is untouched; a journal left behind only repeats what it holds.
        Journal::remove(m_file.path());
        return {journaled, IoResult::success(), true};
    }
    bool journalFails = false;
    const IoResult written = writeAll(&journalFails);
    if (written.ok)
        return {written, IoResult::success()};
    const IoResult undone = journal.rollback(m_file);
    if (undone.ok)
        Journal::remove(m_file.path());
    return {written, undone, journalFails};
}

IoResult ArchiveEdit::writeAll(bool *journalFails)
{
    for (const auto &[n, record] : std::as_const(m_records)) {
        const IoResult put = m_file.writeBytes(offsetOf(n), record);
        if (!put.ok)
            return put;
    }
    const IoResult synced = m_file.sync();
    if (!synced.ok)
        return synced;
    // Until the journal is gone for good, a power cut would take the save back.
    const IoResult removed = Journal::remove(m_file.path());
    *journalFails = !removed.ok;
    return removed;
}
