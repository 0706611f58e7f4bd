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

// value 1 once the lock is ours; 0 when the other holder kept it throughout.
IoResult waitForLock(FileHandle &file)
{
    const ArchiveFile::LockWait &wait = Outside<ArchiveFile::LockWait>::current();
    const int attempts = std::max(1, wait.attempts);
    for (int attempt = 1;; ++attempt) {
        const IoResult taken = file.tryLockExclusive();
        if (!taken.ok || taken.value == 1 || attempt >= attempts)
            return taken;
        if (wait.pause)
            wait.pause(attempt);
        else
            QThread::msleep(10);
    }
}

// The name field with the blanks at both ends removed; inline, as it runs for
// every record of a search.
inline QByteArrayView nameOf(QByteArrayView raw)
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

std::unique_ptr<ArchiveFile> ArchiveFile::open(const QString &path, Access access, QString *message)
{
    auto fail = [message](const QString &text) {
        if (message)
            *message = text;
        return nullptr;
    };
    if (path.isEmpty())
        return fail(QCoreApplication::translate("Archive",
                                                "The archive is unavailable: no archive file was set up."));
    // A reader needs to write only to roll back a save that a power cut
    // interrupted. A journal that appears before the lock is ours calls for
    // opening once more, for writing: the lock belongs to the open file.
    FileSystem &fs = FileSystem::current();
    const QString journal = Journal::pathFor(path);
    const bool reading = access == Access::Read;
    bool writable = !reading || fs.exists(journal);
    const FileSystem::Mode writing =
        reading ? FileSystem::Mode::ReadWrite : FileSystem::Mode::ReadWriteCreate;
    QString failure;
    std::unique_ptr<ArchiveFile> archive =
        openLocked(path, writable ? writing : FileSystem::Mode::ReadOnly, &failure);
    if (archive && !writable && fs.exists(journal)) {
        archive.reset();
        writable = true;
        archive = openLocked(path, writing, &failure);
    }
    if (!archive)
        return fail(failure);
    const IoResult recovered =
        writable ? Journal::recover(*archive, &archive->m_notice) : IoResult::success();
    if (!recovered.ok)
        return fail(recovered.reason);
    return archive;
}

std::unique_ptr<ArchiveFile> ArchiveFile::openLocked(const QString &path, FileSystem::Mode mode,
                                                     QString *message)
{
    QString reason;
    std::unique_ptr<FileHandle> file = FileSystem::current().open(path, mode, &reason);
    if (!file) {
        *message = QCoreApplication::translate("Archive", "The archive %1 cannot be opened: %2.")
                       .arg(shown(path), reason);
        return nullptr;
    }
    const IoResult locked = waitForLock(*file);
    if (!locked.ok)
        *message = QCoreApplication::translate("Archive", "The archive %1 cannot be locked: %2.")
                       .arg(shown(path), locked.reason);
    else if (locked.value != 1)
        *message = QCoreApplication::translate(
                       "Archive", "The archive %1 is in use by another copy of Varko. Try again in a moment.")
                       .arg(shown(path));
    if (!locked.ok || locked.value != 1)
        return nullptr;
    const IoResult size = file->size();
    if (!size.ok) {
        *message = QCoreApplication::translate("Archive", "The archive %1 cannot be read: %2.")
                       .arg(shown(path), size.reason);
        return nullptr;
    }
    return std::unique_ptr<ArchiveFile>(new ArchiveFile(path, std::move(file), size.value));
}

bool ArchiveFile::recoverInterruptedSave(const QString &path, QString *message, QString *notice)
{
    if (!FileSystem::current().exists(Journal::pathFor(path)))
        return true;
    const std::unique_ptr<ArchiveFile> archive = open(path, Access::Read, message);
    if (archive && notice)
        *notice = archive->notice();
    return archive != nullptr;
}

ArchiveFile::ArchiveFile(QString path, std::unique_ptr<FileHandle> file, qint64 length)
    : m_path(std::move(path)), m_file(std::move(file)), m_length(length)
{
}

ArchiveFile::~ArchiveFile() = default;

QString ArchiveFile::failure(const QString &doing, const IoResult &result) const
{
    return QCoreApplication::translate("Archive", "The archive %1 cannot be %2: %3.")
        .arg(shown(m_path), doing, result.reason);
}

QString ArchiveFile::withNotice(const QString &message) const
{
    return m_notice.isEmpty() ? message : m_notice + QStringLiteral("\n\n") + message;
}

IoResult ArchiveFile::readBytes(qint64 offset, qint64 length, QByteArray *bytes)
{
    bytes->resize(length);
    const IoResult read = m_file->readAt(offset, bytes->data(), length);
    bytes->resize(read.ok ? read.value : 0);
    return read;
}

IoResult ArchiveFile::readRecord(qint64 n, QByteArray *raw)
{
    if (n < 1 || n > count())
        return IoResult::failure(QCoreApplication::translate("Archive", "record %1 does not exist").arg(n));
    const IoResult read = readBytes(qint64(n - 1) * GameRecord::Size, GameRecord::Size, raw);
    if (read.ok && read.value != GameRecord::Size)
        return IoResult::failure(
            QCoreApplication::translate("Archive", "the file ended inside record %1").arg(n));
    return read;
}

IoResult ArchiveFile::writeBytes(qint64 offset, QByteArrayView bytes)
{
    const IoResult written = m_file->writeAt(offset, bytes.data(), bytes.size());
    if (written.ok && written.value == bytes.size()) {
        // Known without asking the file, so a failing size() cannot hide the write.
        if (!bytes.isEmpty())
            m_length = std::max(m_length, offset + bytes.size());
        return written;
    }
    // A failed or short write may still have made the file longer; ask the file itself.
    const IoResult size = m_file->size();
    if (size.ok)
        m_length = size.value;
    if (written.ok)
        return IoResult::failure(QCoreApplication::translate("Archive", "only %1 of %2 bytes were written")
                                     .arg(written.value)
                                     .arg(bytes.size()));
    return written;
}

IoResult ArchiveFile::truncate(qint64 length)
{
    const IoResult cut = m_file->truncate(length);
    if (cut.ok)
        m_length = length;
    return cut;
}

IoResult ArchiveFile::sync()
{
    return m_file->sync();
}

IoResult ArchiveFile::readBlock(qint64 first, int records, QByteArray *block)
{
    const qint64 wanted = qint64(records) * GameRecord::Size;
    const IoResult read = readBytes(qint64(first - 1) * GameRecord::Size, wanted, block);
    if (read.ok && read.value != wanted)
        return IoResult::failure(
            QCoreApplication::translate("Archive", "the file became shorter while it was read"));
    return read;
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

IoResult ArchiveFile::findGame(QStringView name)
{
    // Compared as bytes: the stored name and the key both pass through the code page.
    const QByteArray encoded = toCp1252(name).left(GameRecord::NameWidth);
    const QByteArrayView key = trimBlanks(QByteArrayView(encoded));
    return visitBackwards(2, count(), [key](qint64, QByteArrayView raw) { return nameOf(raw) == key; });
}

IoResult ArchiveFile::highestNumberedName()
{
    int highest = 0;
    const IoResult scanned = visitBackwards(2, count(), [&highest](qint64, QByteArrayView raw) {
        int number = 0;
        if (isNumberedName(nameOf(raw), &number))
            highest = std::max(highest, number);
        return false;
    });
    return scanned.ok ? IoResult::success(highest) : scanned;
}

IoResult ArchiveFile::idCounter()
{
    if (count() == 0)
        return IoResult::success(0);
    QByteArray raw;
    const IoResult read = readRecord(1, &raw);
    if (!read.ok)
        return read;
    const std::optional<int> counter = readNumberField(GameRecord::decode(raw).Limit);
    if (counter && *counter >= 0 && *counter <= 999)
        return IoResult::success(*counter);
    return highestNumberedName();
}
