#include "archive/Journal.h"

#include "archive/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <memory>

namespace {

constexpr QByteArrayView Magic = "VarkoJn2";
// An earlier version's journal, which does not tell what its save wrote: the
// archive cannot be checked against it, so it is set aside, never applied.
constexpr QByteArrayView EarlierMagic = "VarkoJnl";
constexpr qint64 HeaderSize = 24;
// Far more than a save keeps; anything larger is not one of ours.
constexpr qint64 LargestJournal = 1 << 20;
// Names a journal set aside may take: ".stale", ".stale.2", ... up to this.
constexpr int MostStaleNames = 999;

quint64 fnv1a(QByteArrayView bytes)
{
    quint64 hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= quint8(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void appendNumber(QByteArray &out, qint64 value)
{
    char raw[8];
    qToLittleEndian<qint64>(value, raw);
    out.append(raw, 8);
}

// Reads the number at `at` and moves past it; false when the bytes end first.
bool takeNumber(QByteArrayView in, qint64 &at, qint64 *value)
{
    if (in.size() - at < 8)
        return false;
    *value = qFromLittleEndian<qint64>(in.data() + at);
    at += 8;
    return true;
}

QString text(const char *source)
{
    return QCoreApplication::translate("Archive", source);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString folderOf(const QString &path)
{
    return shown(QFileInfo(QDir::fromNativeSeparators(path)).absolutePath());
}

qint64 blockOf(qint64 offset)
{
    return offset / Journal::BlockSize;
}

// The body of a complete journal that starts with `magic`; nullopt for anything else.
std::optional<QByteArrayView> bodyOf(QByteArrayView bytes, QByteArrayView magic)
{
    qint64 at = magic.size(), bodySize = 0, checksum = 0;
    if (!bytes.startsWith(magic) || !takeNumber(bytes, at, &bodySize) || !takeNumber(bytes, at, &checksum) ||
        bodySize != bytes.size() - HeaderSize)
        return std::nullopt;
    const QByteArrayView body = bytes.sliced(HeaderSize);
    if (quint64(checksum) != fnv1a(body))
        return std::nullopt;
    return body;
}

// The whole journal file; empty when it is larger than any of ours.
Result<QByteArray> readJournal(const QString &path)
{
    Result<std::unique_ptr<FileHandle>> file = FileSystem::current().open(path, OpenMode::ReadOnly);
    const Result<qint64> size = file ? (*file)->size() : Failure{file.error()};
    if (!size)
        return Failure{size.error()};
    if (*size > LargestJournal)
        return QByteArray();
    return (*file)->read(0, *size);
}

// Gives the journal the first free name of ".stale", ".stale.2", ...; never
// over another file. The new name must be durable: should a cut undo it
// unnoticed, the user would be told of a file that is not there.
Result<QString> setAside(const QString &path)
{
    FileSystem &fs = FileSystem::current();
    for (int n = 1; n <= MostStaleNames; ++n) {
        const QString name =
            path + QStringLiteral(".stale") + (n > 1 ? QStringLiteral(".%1").arg(n) : QString());
        const Result<bool> renamed = fs.renameNoReplace(path, name);
        if (!renamed)
            return Failure{renamed.error()};
        if (!*renamed)
            continue;
        const Result<void> synced = fs.syncFolderOf(path);
        if (synced)
            return name;
        // Back under its own name, as the message about it says, for the next try.
        static_cast<void>(fs.renameNoReplace(name, path));
        return Failure{synced.error()};
    }
    return Failure{
        text("the names %1.stale to %1.stale.%2 are all taken").arg(shown(path)).arg(MostStaleNames)};
}

// The archive, `length` bytes long, is not the one the journal was made for:
// it stays as it is, and the notice tells where the journal went.
Result<Journal::Recovered> keepArchiveAsItIs(const QString &archivePath, qint64 length)
{
    const QString path = Journal::pathFor(archivePath);
    const Result<QString> keptAs = setAside(path);
    if (!keptAs)
        return Failure{
            text("The archive %1 does not match the journal of an interrupted save beside it, %2, and the "
                 "journal cannot be set aside: %3. The archive was left as it is; move the journal out of "
                 "the folder, then try again.")
                .arg(shown(archivePath), shown(path), keptAs.error())};
    return Journal::Recovered{
        length,
        text("The archive %1 does not match the journal of an interrupted save that lay beside it (was "
             "a backup copy put in its place?), so nothing was put back: the archive was left as it is, "
             "and the journal was kept as %2.")
            .arg(shown(archivePath), shown(*keptAs))};
}

} // namespace

QString Journal::pathFor(const QString &archivePath)
{
    return archivePath + QStringLiteral("-journal");
}

void Journal::willWrite(qint64 offset, qint64 length)
{
    m_writes.append({offset, length});
    m_newLength = std::max(m_newLength, offset + length);
}

bool Journal::writesInto(qint64 block) const
{
    const qint64 begin = block * BlockSize, end = begin + BlockSize;
    return std::any_of(m_writes.cbegin(), m_writes.cend(), [begin, end](const Range &w) {
        return w.offset < end && w.offset + w.length > begin;
    });
}

Result<void> Journal::keepOldBytes(FileHandle &archive)
{
    // The first block tells this archive from another even when the save
    // writes far from it.
    QList<qint64> blocks{0};
    for (const Range &w : std::as_const(m_writes)) {
        for (qint64 block = blockOf(w.offset); block <= blockOf(w.offset + w.length - 1); ++block)
            blocks.append(block);
    }
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    m_kept.clear();
    for (const qint64 block : std::as_const(blocks)) {
        Kept kept{block * BlockSize, {}};
        const qint64 within = std::min(kept.offset + BlockSize, m_oldLength) - kept.offset;
        if (within <= 0)
            continue;
        Result<QByteArray> read = archive.read(kept.offset, within);
        if (!read)
            return Failure{read.error()};
        if (read->size() != within)
            return Failure{text("the file became shorter while it was read")};
        kept.bytes = std::move(*read);
        m_kept.append(std::move(kept));
    }
    return {};
}

Result<void> Journal::write(const QString &archivePath) const
{
    FileSystem &fs = FileSystem::current();
    const QString path = pathFor(archivePath);
    const Result<std::unique_ptr<FileHandle>> opened = fs.open(path, OpenMode::ReadWriteCreate);
    if (!opened)
        return Failure{text("the journal %1 that a save writes first cannot be created in the folder "
                            "%2: %3")
                           .arg(shown(path), folderOf(path), opened.error())};
    FileHandle &file = **opened;
    const QByteArray bytes = encode();
    const Result<qint64> size = file.size();
    Result<void> step = size ? Result<void>() : Failure{size.error()};
    // A journal the length check would refuse must not stay behind this one.
    if (step && *size != 0)
        step = file.truncate(0);
    if (step)
        step = file.write(0, bytes);
    if (step)
        step = file.sync();
    if (step)
        step = fs.syncFolderOf(path);
    if (!step)
        return Failure{text("the journal %1 cannot be written: %2").arg(shown(path), step.error())};
    return step;
}

Result<qint64> Journal::rollback(FileHandle &archive, qint64 length) const
{
    Result<void> outcome;
    auto note = [&outcome](const Result<void> &step) {
        if (!step && outcome)
            outcome = step;
    };
    for (const Kept &kept : m_kept) {
        // A block the save did not write into holds its old bytes already, and
        // writing it would put it at risk of a cut.
        if (writesInto(blockOf(kept.offset))) {
            note(archive.write(kept.offset, kept.bytes));
            length = std::max(length, kept.offset + kept.bytes.size());
        }
    }
    // The one truncation the archive ever sees: an append taken back.
    if (length > m_oldLength) {
        note(archive.truncate(m_oldLength));
        length = m_oldLength;
    }
    note(archive.sync());
    if (!outcome)
        return Failure{outcome.error()};
    return length;
}

Result<bool> Journal::fits(FileHandle &archive, qint64 length) const
{
    if (length < m_oldLength || length > m_newLength)
        return false;
    for (const Kept &kept : m_kept) {
        // What a cut left of a block being written may be anything.
        if (writesInto(blockOf(kept.offset)))
            continue;
        const Result<QByteArray> now = archive.read(kept.offset, kept.bytes.size());
        if (!now)
            return Failure{now.error()};
        if (*now != kept.bytes)
            return false;
    }
    return true;
}

Result<void> Journal::remove(const QString &archivePath)
{
    FileSystem &fs = FileSystem::current();
    const QString path = pathFor(archivePath);
    Result<void> removed = fs.remove(path);
    if (removed)
        removed = fs.syncFolderOf(path);
    if (!removed)
        return Failure{text("the journal %1 cannot be removed: %2").arg(shown(path), removed.error())};
    return removed;
}

Result<Journal::Recovered> Journal::recover(const QString &archivePath, FileHandle &archive, qint64 length)
{
    const QString path = pathFor(archivePath);
    if (!FileSystem::current().exists(path))
        return Recovered{length, {}};
    const Result<QByteArray> bytes = readJournal(path);
    if (!bytes)
        return Failure{
            text("The archive %1 is not used while %2 cannot be read: %3. An interrupted save leaves its "
                 "journal under that name: make it a readable file, or move it out of the folder if it is "
                 "not one, then try again.")
                .arg(shown(archivePath), shown(path), bytes.error())};
    const std::optional<Journal> journal = decode(*bytes);
    Result<qint64> after = length;
    if (journal) {
        const Result<bool> fit = journal->fits(archive, length);
        if (!fit)
            return Failure{
                text("The archive %1 cannot be %2: %3.").arg(shown(archivePath), text("read"), fit.error())};
        if (!*fit)
            return keepArchiveAsItIs(archivePath, length);
        after = journal->rollback(archive, length);
    } else if (bodyOf(*bytes, EarlierMagic)) {
        return keepArchiveAsItIs(archivePath, length);
    }
    // Otherwise a torn journal: cut off before its sync, so its save never
    // touched the archive.
    const Result<void> removed = after ? remove(archivePath) : Failure{after.error()};
    if (!removed)
        return Failure{text("The archive %1 cannot be put back as it was before an interrupted save: %2.")
                           .arg(shown(archivePath), removed.error())};
    return Recovered{*after, {}};
}

QByteArray Journal::encode() const
{
    QByteArray body;
    appendNumber(body, m_oldLength);
    appendNumber(body, m_newLength);
    appendNumber(body, m_writes.size());
    for (const Range &w : m_writes) {
        appendNumber(body, w.offset);
        appendNumber(body, w.length);
    }
    for (const Kept &kept : m_kept) {
        appendNumber(body, kept.offset);
        appendNumber(body, kept.bytes.size());
        body += kept.bytes;
    }
    QByteArray bytes = Magic.toByteArray();
    appendNumber(bytes, body.size());
    appendNumber(bytes, qint64(fnv1a(body)));
    return bytes + body;
}

std::optional<Journal> Journal::decode(QByteArrayView bytes)
{
    const std::optional<QByteArrayView> body = bodyOf(bytes, Magic);
    Journal journal(0);
    if (!body || !journal.decodeBody(*body))
        return std::nullopt;
    return journal;
}

bool Journal::decodeBody(QByteArrayView body)
{
    constexpr qint64 RangeSize = 16;
    qint64 at = 0, writes = 0;
    if (!takeNumber(body, at, &m_oldLength) || !takeNumber(body, at, &m_newLength) ||
        !takeNumber(body, at, &writes) || m_oldLength < 0 || m_newLength < m_oldLength || writes < 0 ||
        writes > (body.size() - at) / RangeSize)
        return false;
    for (qint64 i = 0; i < writes; ++i) {
        Range w{0, 0};
        // Every write lies within the new length.
        if (!takeNumber(body, at, &w.offset) || !takeNumber(body, at, &w.length) || w.offset < 0 ||
            w.length <= 0 || w.offset > m_newLength - w.length)
            return false;
        m_writes.append(w);
    }
    while (at < body.size()) {
        Kept kept{0, {}};
        qint64 size = 0;
        // Kept bytes lie within the old length: a journal never makes the archive longer.
        if (!takeNumber(body, at, &kept.offset) || !takeNumber(body, at, &size) || kept.offset < 0 ||
            size < 0 || size > body.size() - at || kept.offset > m_oldLength - size)
            return false;
        kept.bytes = body.sliced(at, size).toByteArray();
        at += size;
        m_kept.append(std::move(kept));
    }
    return true;
}
