#pragma once

#include "archive/FileHandle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

class ArchiveFile;

// The rollback journal beside the archive, "Varko.dat-journal": the archive's
// length and the old bytes of every block a save is about to write into. It is
// made durable before the archive changes and removed once the archive is
// durable, so after a power cut the journal's presence means "put these bytes
// back". A journal cut off before its own sync fails its checksum; the archive
// was not touched then, and such a journal is thrown away.
//
// The journal is only read, written or removed by the holder of the archive's
// lock.
class Journal {
public:
    static QString pathFor(const QString &archivePath);
    // The unit of what is kept: the largest sector size in common use, so
    // the bytes a torn sector garbles are always in the journal.
    static constexpr qint64 BlockSize = 4096;

    explicit Journal(qint64 archiveLength) : m_length(archiveLength) {}

    // Keeps the archive's present bytes in [offset, offset + length); nothing
    // beyond the archive's end.
    IoResult keep(ArchiveFile &file, qint64 offset, qint64 length);
    // Creates the journal beside the archive and syncs it and its folder.
    IoResult write(const QString &archivePath) const;
    // Puts the kept bytes and the old length back into the archive and syncs it.
    IoResult rollback(ArchiveFile &file) const;
    // Removes the journal and syncs its folder: from then on the save stands.
    static IoResult remove(const QString &archivePath);
    // Rolls back the save a complete journal beside the archive tells of, then
    // removes the journal; nothing when there is none. The reason when the
    // archive could not be put back (the journal then stays for the next try).
    static IoResult recover(ArchiveFile &file);

    // Header: "VarkoJnl", the body's length and its 64-bit FNV-1a checksum;
    // body: the archive's length, then (offset, length, bytes) per kept piece.
    // Numbers are 64-bit little-endian.
    QByteArray encode() const;
    // std::nullopt for anything but a complete, consistent journal.
    static std::optional<Journal> decode(QByteArrayView bytes);

private:
    struct Kept {
        qint64 offset;
        QByteArray bytes;
    };
    qint64 m_length;
    QList<Kept> m_kept;
};
