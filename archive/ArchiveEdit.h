#pragma once

#include "archive/FileHandle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

class ArchiveFile;

// A change to an open archive that can be taken back: before each record is
// written, the bytes it covers are kept, so a failed save can put the file back
// exactly as it was, down to its original length.
class ArchiveEdit {
public:
    explicit ArchiveEdit(ArchiveFile &file);

    // Writes record n (1 <= n <= count + 1; count + 1 appends at count * 102,
    // over any trailing piece).
    IoResult writeRecord(qint64 n, QByteArrayView record);
    // Makes what was written so far durable.
    IoResult sync();
    // Puts every kept byte back, restores the original length and syncs;
    // the reason when the file could not be put back.
    IoResult rollback();

private:
    struct Kept {
        qint64 offset;
        QByteArray bytes;
    };
    ArchiveFile &m_file;
    qint64 m_originalLength;
    QList<Kept> m_kept;
    bool m_mayHaveGrown = false;
};
