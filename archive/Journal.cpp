#include "archive/Journal.h"

#include "archive/ArchiveFile.h"
#include "archive/FileSystem.h"

#include <QCoreApplication>
#include <QtEndian>
#include <algorithm>
#include <memory>

namespace {

constexpr QByteArrayView Magic = "VarkoJnl";
constexpr qint64 HeaderSize = 24;
// Far more than a save keeps; anything larger is not one of ours.
constexpr qint64 LargestJournal = 1 << 20;

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

// The whole journal file; value: its length, or failure.
IoResult readJournal(const QString &path, QByteArray *bytes)
{
    QString reason;
    const std::unique_ptr<FileHandle> file =
        FileSystem::current().open(path, FileSystem::Mode::ReadOnly, &reason);
    if (!file)
        return IoResult::failure(reason);
    const IoResult size = file->size();
    if (!size.ok || size.value > LargestJournal)
        return size.ok ? IoResult::success(0) : size;
    bytes->resize(size.value);
    const IoResult read = file->readAt(0, bytes->data(), size.value);
    bytes->resize(read.ok ? read.value : 0);
    return read;
}

} // namespace

QString Journal::pathFor(const QString &archivePath)
{
    return archivePath + QStringLiteral("-journal");
}

IoResult Journal::keep(ArchiveFile &file, qint64 offset, qint64 length)
{
    const qint64 within = std::min(offset + length, m_length) - offset;
    if (within <= 0)
        return IoResult::success();
    Kept kept{offset, {}};
    const IoResult read = file.readBytes(offset, within, &kept.bytes);
    if (read.ok && read.value != within)
        return IoResult::failure(text("the file became shorter while it was read"));
    if (read.ok)
        m_kept.append(std::move(kept));
    return read;
}

IoResult Journal::write(const QString &archivePath) const
{
    FileSystem &fs = FileSystem::current();
    const QString path = pathFor(archivePath);
    QString reason;
    const std::unique_ptr<FileHandle> file = fs.open(path, FileSystem::Mode::ReadWriteCreate, &reason);
    if (!file)
        return IoResult::failure(reason);
    const QByteArray bytes = encode();
    // A journal the length check would refuse must not stay behind this one.
    IoResult step = file->size();
    if (step.ok && step.value != 0)
        step = file->truncate(0);
    if (step.ok)
        step = file->writeAt(0, bytes.constData(), bytes.size());
    if (step.ok && step.value != bytes.size())
        step = IoResult::failure(text("only %1 of %2 bytes were written").arg(step.value).arg(bytes.size()));
    if (step.ok)
        step = file->sync();
    if (step.ok)
        step = fs.syncFolderOf(path);
    return step;
}

IoResult Journal::rollback(ArchiveFile &file) const
{
    IoResult outcome = IoResult::success();
    auto note = [&outcome](const IoResult &step) {
        if (!step.ok && outcome.ok)
            outcome = step;
    };
    for (const Kept &kept : m_kept)
        note(file.writeBytes(kept.offset, kept.bytes));
    // The one truncation the archive ever sees: an append taken back.
    if (file.length() > m_length)
        note(file.truncate(m_length));
    note(file.sync());
    return outcome;
}

IoResult Journal::remove(const QString &archivePath)
{
    FileSystem &fs = FileSystem::current();
    const QString path = pathFor(archivePath);
    const IoResult removed = fs.remove(path);
    return removed.ok ? fs.syncFolderOf(path) : removed;
}

IoResult Journal::recover(ArchiveFile &file)
{
    const QString path = pathFor(file.path());
    if (!FileSystem::current().exists(path))
        return IoResult::success();
    QByteArray bytes;
    const IoResult read = readJournal(path, &bytes);
    if (!read.ok)
        return read;
    if (const std::optional<Journal> journal = decode(bytes)) {
        const IoResult undone = journal->rollback(file);
        if (!undone.ok)
            return undone;
    }
    return remove(file.path());
}

QByteArray Journal::encode() const
{
    QByteArray body;
    appendNumber(body, m_length);
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
    qint64 at = Magic.size(), bodySize = 0, checksum = 0;
    if (!bytes.startsWith(Magic) || !takeNumber(bytes, at, &bodySize) || !takeNumber(bytes, at, &checksum) ||
        bodySize != bytes.size() - HeaderSize)
        return std::nullopt;
    const QByteArrayView body = bytes.sliced(HeaderSize);
    at = 0;
    qint64 length = 0;
    if (quint64(checksum) != fnv1a(body) || !takeNumber(body, at, &length) || length < 0)
        return std::nullopt;
    Journal journal(length);
    while (at < body.size()) {
        Kept kept{0, {}};
        qint64 size = 0;
        // Kept bytes lie within the old length: a journal never makes the archive longer.
        if (!takeNumber(body, at, &kept.offset) || !takeNumber(body, at, &size) || kept.offset < 0 ||
            size < 0 || size > body.size() - at || kept.offset > length - size)
            return std::nullopt;
        kept.bytes = body.sliced(at, size).toByteArray();
        at += size;
        journal.m_kept.append(std::move(kept));
    }
    return journal;
}
