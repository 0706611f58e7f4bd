#include "archive/ArchiveEdit.h"

#include "archive/ArchiveFile.h"
#include "archive/GameRecord.h"

#include <QCoreApplication>

ArchiveEdit::ArchiveEdit(ArchiveFile &file) : m_file(file), m_originalLength(file.length()) {}

IoResult ArchiveEdit::writeRecord(qint64 n, QByteArrayView record)
{
    Q_ASSERT(record.size() == GameRecord::Size);
    if (n < 1 || n > m_file.count() + 1)
        return IoResult::failure(QCoreApplication::translate("Archive", "record %1 lies beyond the end").arg(n));
    const qint64 offset = qint64(n - 1) * GameRecord::Size;
    Kept kept{offset, {}};
    const IoResult read = m_file.readBytes(offset, GameRecord::Size, &kept.bytes);
    if (!read.ok)
        return read;
    m_kept.append(std::move(kept));
    m_mayHaveGrown = m_mayHaveGrown || offset + GameRecord::Size > m_originalLength;
    return m_file.writeBytes(offset, record);
}

IoResult ArchiveEdit::sync()
{
    return m_file.sync();
}

IoResult ArchiveEdit::rollback()
{
    IoResult outcome = IoResult::success();
    // Latest first, so a record written twice ends with its oldest bytes.
    for (auto it = m_kept.crbegin(); it != m_kept.crend(); ++it) {
        const IoResult put = m_file.writeBytes(it->offset, it->bytes);
        if (!put.ok && outcome.ok)
            outcome = put;
    }
    // Even a failed append may have made the file longer: cut back to the old
    // length, the one truncation the archive ever sees.
    if (m_mayHaveGrown) {
        const IoResult cut = m_file.truncate(m_originalLength);
        if (!cut.ok && outcome.ok)
            outcome = cut;
    }
    const IoResult synced = m_file.sync();
    if (!synced.ok && outcome.ok)
        outcome = synced;
    m_kept.clear();
    m_mayHaveGrown = false;
    return outcome;
}
