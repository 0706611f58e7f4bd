#pragma once

#include "archive/FileHandle.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

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

    // nullptr and a message for the user when the archive cannot be opened or
    // locked. With the lock taken, a save that a power cut interrupted is
    // rolled back first, or its journal set aside when the archive does not
    // match it (Journal); notice() then tells the user so.
    static std::unique_ptr<ArchiveFile> open(const QString &path, Access access, QString *message);
    // For readers that take no lock: when a journal lies beside the archive,
    // takes the lock to roll back the interrupted save and lets it go. False
    // and a message when that fails; *notice as notice() of the opened file.
    static bool recoverInterruptedSave(const QString &path, QString *message, QString *notice);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile &) = delete;
    ArchiveFile &operator=(const ArchiveFile &) = delete;

    const QString &path() const { return m_path; }
    qint64 length() const { return m_length; }
    qint64 count() const { return m_length / GameRecord::Size; }
    // For the user, once: what opening did with a journal it set aside; else empty.
    const QString &notice() const { return m_notice; }

    // Exactly GameRecord::Size bytes of record n (1 <= n <= count()).
    IoResult readRecord(qint64 n, QByteArray *raw);
    // Whatever lies in [offset, offset + length), shorter at the end of the file.
    IoResult readBytes(qint64 offset, qint64 length, QByteArray *bytes);
    IoResult writeBytes(qint64 offset, QByteArrayView bytes);
    IoResult truncate(qint64 length);
    IoResult sync();

    // Visits the records from `last` down to `first`, reading them in large
    // blocks; stops early when visit(n, raw) returns true. value: the record
    // where it stopped, 0 when it went through all. The visit is a search and
    // passes over records lying wholly in a hole of a sparse file: zero bytes,
    // which no name matches.
    template <typename Visit> IoResult visitBackwards(qint64 first, qint64 last, Visit &&visit);

    // value: the highest-numbered game record whose name, blanks at both ends
    // removed, equals `name` as it would be stored (cut to the name field,
    // through the code page), blanks at both ends removed; 0 when none.
    // Record 1, the id record, never matches.
    IoResult findGame(QStringView name);
    // value: the highest N in 1..999 among game records named "Varko" and N.
    IoResult highestNumberedName();
    // value: the id counter of record 1; when that field is damaged (blank,
    // zero bytes, garbage, outside 0..999), highestNumberedName(); 0 for an
    // archive without records.
    IoResult idCounter();

    // "The archive <path> cannot be <doing>: <reason>."
    QString failure(const QString &doing, const IoResult &result) const;
    // `message` after the notice, if any: all the user is to read of this opening.
    QString withNotice(const QString &message) const;

private:
    ArchiveFile(QString path, std::unique_ptr<FileHandle> file, qint64 length);
    static std::unique_ptr<ArchiveFile> openLocked(const QString &path, FileSystem::Mode mode,
                                                   QString *message);
    IoResult readBlock(qint64 first, int records, QByteArray *block);
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
template <typename Visit> IoResult ArchiveFile::visitBackwards(qint64 first, qint64 last, Visit &&visit)
{
    QByteArray block;
    for (const auto &[rangeFirst, rangeLast] : recordsWithData(first, last)) {
        for (qint64 blockLast = rangeLast; blockLast >= rangeFirst; blockLast -= BlockRecords) {
            const qint64 blockFirst = std::max(rangeFirst, blockLast - BlockRecords + 1);
            const IoResult read = readBlock(blockFirst, int(blockLast - blockFirst + 1), &block);
            if (!read.ok)
                return read;
            for (qint64 n = blockLast; n >= blockFirst; --n) {
                if (visit(n, recordIn(block, int(n - blockFirst))))
                    return IoResult::success(n);
            }
        }
    }
    return IoResult::success(0);
}
