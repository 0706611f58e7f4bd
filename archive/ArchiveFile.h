#pragma once

#include "app/Outside.h"
#include "archive/FileHandle.h"
#include "archive/GameRecord.h"
#include "archive/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

class Journal;

// The archive file for the length of one operation: opened and exclusively
// locked by open(), closed (and unlocked) when destroyed. Record n (1-based)
// occupies bytes (n - 1) * 102 .. n * 102 - 1; a trailing piece shorter than a
// record is not counted.
class ArchiveFile {
public:
    // Reading needs no write permission; writing creates a missing file.
    enum class Access { Read, WriteCreate };

    // How long open() waits for another holder of the lock: `attempts` tries,
    // `pause` between them (by default 10 ms asleep). Tests put their own in
    // place: Outside<ArchiveFile::LockWait>.
    struct LockWait {
        int attempts = 200;
        std::function<void(int attempt)> pause;
    };

    // Records read per block when scanning: about 1 MiB.
    static constexpr int BlockRecords = 10240;

    // A message for the user when the archive cannot be opened or locked.
    // With the lock taken, a save that a power cut interrupted is rolled back
    // first, or its journal set aside when the archive does not match it
    // (Journal); notice() then tells the user so.
    static Result<std::unique_ptr<ArchiveFile>> open(const QString &path, Access access);
    // For readers that take no lock: when a journal lies beside the archive,
    // takes the lock to roll back the interrupted save and lets it go, with
    // the notice() of that opening.
    static Reported<void> recoverInterruptedSave(const QString &path);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile &) = delete;
    ArchiveFile &operator=(const ArchiveFile &) = delete;

    const QString &path() const { return m_path; }
    qint64 length() const { return m_length; }
    qint64 count() const { return m_length / GameRecord::Size; }
    // For the user, once: what opening did with a journal it set aside; else empty.
    const QString &notice() const { return m_notice; }

    // Exactly GameRecord::Size bytes of record n (1 <= n <= count()).
    Result<QByteArray> readRecord(qint64 n);
    Result<void> writeBytes(qint64 offset, QByteArrayView bytes);
    Result<void> sync();
    // A save's journal keeps what the archive holds now.
    Result<void> keepOldBytesIn(Journal &journal);
    // Puts back what the journal kept (Journal::rollback).
    Result<void> rollBack(const Journal &journal);

    // Visits the records from `last` down to `first`, reading them in large
    // blocks; stops early when visit(n, raw) returns true: the record where
    // it stopped, 0 when it went through all. The visit is a search and
    // passes over records lying wholly in a hole of a sparse file: zero bytes,
    // which no name matches.
    template <typename Visit> Result<qint64> visitBackwards(qint64 first, qint64 last, Visit &&visit);

    // The highest-numbered game record whose name, blanks at both ends
    // removed, equals `name` as it would be stored (cut to the name field,
    // through the code page), blanks at both ends removed; 0 when none.
    // Record 1, the id record, never matches.
    Result<qint64> findGame(QStringView name);
    // The highest N in 1..999 among game records named "Varko" and N; 0 when none.
    Result<int> highestNumberedName();
    // The id counter of record 1; when that field is damaged (blank, zero
    // bytes, garbage, outside 0..999), highestNumberedName(); 0 for an archive
    // without records.
    Result<int> idCounter();

    // "The archive <path> cannot be <doing>: <reason>."
    QString failure(const QString &doing, const QString &reason) const;

private:
    ArchiveFile(QString path, std::unique_ptr<FileHandle> file, qint64 length);
    static Result<std::unique_ptr<ArchiveFile>> openLocked(const QString &path, OpenMode mode);
    Result<void> readBlock(qint64 first, int records, QByteArray *block);
    // The records [first, last] that hold data, as ranges from the last down.
    QList<std::pair<qint64, qint64>> recordsWithData(qint64 first, qint64 last);
    static QByteArrayView recordIn(const QByteArray &block, int index)
    {
        return QByteArrayView(block.constData() + qint64(index) * GameRecord::Size, GameRecord::Size);
    }

    QString m_path;
    std::unique_ptr<FileHandle> m_file;
    qint64 m_length;
    QString m_notice;
};

template <> ArchiveFile::LockWait &Outside<ArchiveFile::LockWait>::real();

// Templates, so the visitor is inlined into the scan of each block.
template <typename Visit> Result<qint64> ArchiveFile::visitBackwards(qint64 first, qint64 last, Visit &&visit)
{
    QByteArray block;
    for (const auto &[rangeFirst, rangeLast] : recordsWithData(first, last)) {
        for (qint64 blockLast = rangeLast; blockLast >= rangeFirst; blockLast -= BlockRecords) {
            const qint64 blockFirst = std::max(rangeFirst, blockLast - BlockRecords + 1);
            if (const Result<void> read = readBlock(blockFirst, int(blockLast - blockFirst + 1), &block);
                !read)
                return Failure{read.error()};
            for (qint64 n = blockLast; n >= blockFirst; --n) {
                if (visit(n, recordIn(block, int(n - blockFirst))))
                    return n;
            }
        }
    }
    return qint64(0);
}
