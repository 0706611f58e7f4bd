#pragma once

#include "archive/FileHandle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// The rollback journal of one save, "Varko.dat-journal" beside the archive:
// the archive's length before the save and the length the save leaves, the
// byte ranges it writes, and the old bytes of every block it writes into and
// of the first block. It is made durable before the archive changes and
// removed once the archive is durable, so after a power cut the journal's
// presence means "put these bytes back". A journal cut off before its own sync
// fails its checksum; the archive was not touched then, and such a journal is
// thrown away.
//
// Before anything is put back, the archive must be in a state that the save,
// or an interrupted putting back of it, can have left: a length from the old
// to the new one, and its old bytes in every kept block the save does not
// write into. Any other archive (a backup copy put in its place, say) is left
// as it is, and the journal is set aside, never deleted, as
// "Varko.dat-journal.stale" (".stale.2", ".stale.3", ... when that is taken).
//
// The journal is only read, written or removed by the holder of the archive's
// lock.
class Journal {
public:
    static QString pathFor(const QString &archivePath);
    // The unit of what is kept, put back and checked: the largest sector size
    // and page in common use. A cut while a block is written back can garble
    // any sector of it, not only those the save changed.
    static constexpr qint64 BlockSize = 4096;

    explicit Journal(qint64 archiveLength) : m_oldLength(archiveLength), m_newLength(archiveLength) {}

    // The save is to write [offset, offset + length).
    void willWrite(qint64 offset, qint64 length);
    // Keeps the archive's present bytes of the first block and of every block
    // the save writes into; nothing beyond the archive's end.
    Result<void> keepOldBytes(FileHandle &archive);
    // Creates the journal beside the archive and syncs it and its folder.
    Result<void> write(const QString &archivePath) const;
    // Puts back the kept bytes of the blocks the save writes into and the old
    // length, and syncs the archive, which is `length` bytes long now: its
    // length afterwards. Nothing else is written, so a cut in the middle
    // leaves a state that recovery still takes back.
    Result<qint64> rollback(FileHandle &archive, qint64 length) const;
    // Removes the journal and syncs its folder: from then on the save stands.
    static Result<void> remove(const QString &archivePath);

    // What recovery left: the archive's length, and a notice for the user
    // when the journal was set aside.
    struct Recovered {
        qint64 length = 0;
        QString notice;
    };
    // Rolls back the save a complete journal beside the archive at
    // `archivePath` (`length` bytes long, open as `archive`) tells of, then
    // removes the journal; nothing when there is none. A journal the archive
    // does not match is set aside instead, and the notice says so. On failure
    // the reason is a message for the user; the journal then stays for the
    // next try.
    static Result<Recovered> recover(const QString &archivePath, FileHandle &archive, qint64 length);

    // Header: "VarkoJn2", the body's length and its 64-bit FNV-1a checksum;
    // body: the old and the new length, the number of written ranges, each
    // range as (offset, length), then (offset, length, bytes) per kept block.
    // Numbers are 64-bit little-endian.
    QByteArray encode() const;
    // std::nullopt for anything but a complete, consistent journal.
    static std::optional<Journal> decode(QByteArrayView bytes);

private:
    struct Range {
        qint64 offset, length;
    };
    struct Kept {
        qint64 offset;
        QByteArray bytes;
    };
    bool writesInto(qint64 block) const;
    // Whether the archive, `length` bytes long, is in a state the save can have left.
    Result<bool> fits(FileHandle &archive, qint64 length) const;
    bool decodeBody(QByteArrayView body);

    qint64 m_oldLength, m_newLength;
    QList<Range> m_writes;
    QList<Kept> m_kept;
};
