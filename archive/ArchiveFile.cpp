#include "archive/ArchiveFile.h"

#include "archive/Cp1252.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"
#include "archive/Journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <algorithm>

template <> ArchiveFile::LockWait &Outside<ArchiveFile::LockWait>::real()
{
    static ArchiveFile::LockWait wait;
    return wait;
}

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// True once the lock is ours; false when the other holder kept it throughout.
Result<bool> waitForLock(FileHandle &file)
{
    const ArchiveFile::LockWait &wait = Outside<ArchiveFile::LockWait>::current();
    const int attempts = std::max(1, wait.attempts);
    for (int attempt = 1;; ++attempt) {
        const Result<bool> taken = file.tryLockExclusive();
        if (!taken || *taken || attempt >= attempts)
            return taken;
        if (wait.pause)
            wait.pause(attempt);
        else
            QThread::msleep(10);
    }
}

// The name field with the blanks at both ends removed.
QByteArrayView nameOf(QByteArrayView raw)
{
    const char *begin = raw.data();
    const char *end = begin + GameRecord::NameWidth;
    while (begin < end && *begin == ' ')
        ++begin;
    while (end > begin && end[-1] == ' ')
        --end;
    return QByteArrayView(begin, end - begin);
}

bool isNumberedName(QByteArrayView name, int *number)
{
    static constexpr QByteArrayView Prefix = "Varko";
    if (!name.startsWith(Prefix) || name.size() == Prefix.size() || name.size() > Prefix.size() + 3)
        return false;
    int value = 0;
    for (const char c : name.sliced(Prefix.size())) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    *number = value;
    return value >= 1;
}

} // namespace

Result<std::unique_ptr<ArchiveFile>> ArchiveFile::open(const QString &path, Access access)
{
    if (path.isEmpty())
        return Failure{QCoreApplication::translate(
            "Archive", "The archive is unavailable: no archive file was set up.")};
    // A reader needs to write only to roll back a save that a power cut
    // interrupted. A journal that appears before the lock is ours calls for
    // opening once more, for writing: the lock belongs to the open file.
    FileSystem &fs = FileSystem::current();
    const QString journal = Journal::pathFor(path);
    const bool reading = access == Access::Read;
    bool writable = !reading || fs.exists(journal);
    const OpenMode writing = reading ? OpenMode::ReadWrite : OpenMode::ReadWriteCreate;
    Result<std::unique_ptr<ArchiveFile>> archive = openLocked(path, writable ? writing : OpenMode::ReadOnly);
    if (archive && !writable && fs.exists(journal)) {
        archive->reset();
        writable = true;
        archive = openLocked(path, writing);
    }
    if (!archive || !writable)
        return archive;
    ArchiveFile &file = **archive;
    const Result<Journal::Recovered> recovered = Journal::recover(path, *file.m_file, file.m_length);
    if (!recovered)
        return Failure{recovered.error()};
    file.m_length = recovered->length;
    file.m_notice = recovered->notice;
    return archive;
}

Result<std::unique_ptr<ArchiveFile>> ArchiveFile::openLocked(const QString &path, OpenMode mode)
{
    Result<std::unique_ptr<FileHandle>> file = FileSystem::current().open(path, mode);
    if (!file)
        return Failure{QCoreApplication::translate("Archive", "The archive %1 cannot be opened: %2.")
                           .arg(shown(path), file.error())};
    const Result<bool> locked = waitForLock(**file);
    if (!locked)
        return Failure{QCoreApplication::translate("Archive", "The archive %1 cannot be locked: %2.")
                           .arg(shown(path), locked.error())};
    if (!*locked)
        return Failure{
            QCoreApplication::translate(
                "Archive", "The archive %1 is in use by another copy of Varko. Try again in a moment.")
                .arg(shown(path))};
    const Result<qint64> size = (*file)->size();
    if (!size)
        return Failure{QCoreApplication::translate("Archive", "The archive %1 cannot be read: %2.")
                           .arg(shown(path), size.error())};
    return std::unique_ptr<ArchiveFile>(new ArchiveFile(path, std::move(*file), *size));
}

Reported<void> ArchiveFile::recoverInterruptedSave(const QString &path)
{
    if (!FileSystem::current().exists(Journal::pathFor(path)))
        return {};
    const Result<std::unique_ptr<ArchiveFile>> archive = open(path, Access::Read);
    if (!archive)
        return Failure{archive.error()};
    return {{}, (*archive)->notice()};
}

ArchiveFile::ArchiveFile(QString path, std::unique_ptr<FileHandle> file, qint64 length)
    : m_path(std::move(path)), m_file(std::move(file)), m_length(length)
{
}

ArchiveFile::~ArchiveFile() = default;

QString ArchiveFile::failure(const QString &doing, const QString &reason) const
{
    return QCoreApplication::translate("Archive", "The archive %1 cannot be %2: %3.")
        .arg(shown(m_path), doing, reason);
}

Result<QByteArray> ArchiveFile::readRecord(qint64 n)
{
    if (n < 1 || n > count())
        return Failure{QCoreApplication::translate("Archive", "record %1 does not exist").arg(n)};
    Result<QByteArray> raw = m_file->read(qint64(n - 1) * GameRecord::Size, GameRecord::Size);
    if (raw && raw->size() != GameRecord::Size)
        return Failure{QCoreApplication::translate("Archive", "the file ended inside record %1").arg(n)};
    return raw;
}

Result<void> ArchiveFile::writeBytes(qint64 offset, QByteArrayView bytes)
{
    const Result<void> written = m_file->write(offset, bytes);
    if (written) {
        // Known without asking the file, so a failing size() cannot hide the write.
        if (!bytes.isEmpty())
            m_length = std::max(m_length, offset + bytes.size());
        return written;
    }
    // A failed or short write may still have made the file longer; ask the file itself.
    m_length = m_file->size().value_or(m_length);
    return written;
}

Result<void> ArchiveFile::sync()
{
    return m_file->sync();
}

Result<void> ArchiveFile::keepOldBytesIn(Journal &journal)
{
    return journal.keepOldBytes(*m_file);
}

Result<void> ArchiveFile::rollBack(const Journal &journal)
{
    const Result<qint64> length = journal.rollback(*m_file, m_length);
    // What a failure left, only the file itself can tell.
    m_length = length ? *length : m_file->size().value_or(m_length);
    if (!length)
        return Failure{length.error()};
    return {};
}

Result<void> ArchiveFile::readBlock(qint64 first, int records, QByteArray *block)
{
    const qint64 wanted = qint64(records) * GameRecord::Size;
    // The block is read into the same buffer each time, so a scan allocates once.
    block->resize(wanted);
    const Result<qint64> read = m_file->readAt(qint64(first - 1) * GameRecord::Size, block->data(), wanted);
    if (!read)
        return Failure{read.error()};
    if (*read != wanted)
        return Failure{QCoreApplication::translate("Archive", "the file became shorter while it was read")};
    return {};
}

QList<std::pair<qint64, qint64>> ArchiveFile::recordsWithData(qint64 first, qint64 last)
{
    first = std::max<qint64>(first, 1);
    last = std::min(last, count());
    QList<std::pair<qint64, qint64>> ranges;
    if (first > last)
        return ranges;
    const QList<FileHandle::Stretch> stretches = m_file->dataStretches(last * GameRecord::Size);
    for (auto it = stretches.crbegin(); it != stretches.crend(); ++it) {
        // Every record that shares a byte with the stretch.
        qint64 rangeLast = std::min(last, (it->end - 1) / GameRecord::Size + 1);
        const qint64 rangeFirst = std::max(first, it->begin / GameRecord::Size + 1);
        if (!ranges.isEmpty())
            rangeLast = std::min(rangeLast, ranges.constLast().first - 1);
        if (rangeFirst <= rangeLast && it->end > it->begin)
            ranges.append({rangeFirst, rangeLast});
    }
    return ranges;
}

Result<qint64> ArchiveFile::findGame(QStringView name)
{
    // Compared as bytes: the stored name and the key both pass through the code page.
    const QByteArray encoded = toCp1252(name).left(GameRecord::NameWidth);
    const QByteArrayView key = trimBlanks(QByteArrayView(encoded));
    return visitBackwards(2, count(), [key](qint64, QByteArrayView raw) { return nameOf(raw) == key; });
}

Result<int> ArchiveFile::highestNumberedName()
{
    int highest = 0;
    const Result<qint64> scanned = visitBackwards(2, count(), [&highest](qint64, QByteArrayView raw) {
        int number = 0;
        if (isNumberedName(nameOf(raw), &number))
            highest = std::max(highest, number);
        return false;
    });
    if (!scanned)
        return Failure{scanned.error()};
    return highest;
}

Result<int> ArchiveFile::idCounter()
{
    if (count() == 0)
        return 0;
    const Result<QByteArray> raw = readRecord(1);
    if (!raw)
        return Failure{raw.error()};
    const std::optional<int> counter = readNumberField(GameRecord::decode(*raw).Limit);
    if (counter && *counter >= 0 && *counter <= 999)
        return *counter;
    return highestNumberedName();
}
