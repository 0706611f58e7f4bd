#include "archive/SavedGamesModel.h"

#include "archive/ArchiveFile.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"

#include <QFont>
#include <algorithm>
#include <array>

namespace {

const std::array<QString, SavedGamesModel::ColumnCount> Headers = {
    QStringLiteral("Game ..."),     QStringLiteral("White"),       QStringLiteral("Black"),
    QStringLiteral("Limit at"),     QStringLiteral("White Limit"), QStringLiteral("Black Limit"),
    QStringLiteral("Time stop at"),
};

constexpr int highestColumn()
{
    int highest = -1;
    for (const GameRecord::Field &f : GameRecord::Fields)
        highest = std::max(highest, f.column);
    return highest;
}
static_assert(highestColumn() + 1 == SavedGamesModel::ColumnCount);

// Records read at once: a screenful or more in one read. Decoded blocks kept
// around: a screenful asks for each of its cells at every paint, and
// scrolling back should not read again.
constexpr int BlockRecords = 64;
constexpr int CachedBlocks = 16;

} // namespace

QStringList SavedGamesModel::columnTexts(const GameRecord &r)
{
    QStringList texts(ColumnCount);
    for (const GameRecord::Field &f : GameRecord::Fields) {
        if (f.column < 0)
            continue;
        QString &cell = texts[f.column];
        if (f.kind == GameRecord::Kind::MinutesOrSeconds) // after the hours of the same clock
            cell += u':';
        cell += r[f];
    }
    return texts;
}

namespace {

const QStringList &emptyRow()
{
    static const QStringList empty(SavedGamesModel::ColumnCount);
    return empty;
}

} // namespace

QString SavedGamesModel::header(int column)
{
    return column >= 0 && column < ColumnCount ? Headers[size_t(column)] : QString();
}

SavedGamesModel::SavedGamesModel(QObject *parent) : QAbstractTableModel(parent), m_blocks(CachedBlocks) {}

SavedGamesModel::~SavedGamesModel() = default;

bool SavedGamesModel::open(const QString &path, QString *reason)
{
    beginResetModel();
    const bool opened = openFile(path, reason);
    endResetModel();
    return opened;
}

bool SavedGamesModel::openFile(const QString &path, QString *reason)
{
    m_blocks.clear();
    m_records = 0;
    m_file.reset();
    m_notice.clear();
    // The rows must not show a save a power cut left half done.
    const Reported<void> recovered = ArchiveFile::recoverInterruptedSave(path);
    m_notice = recovered.notice();
    Result<std::unique_ptr<FileHandle>> file =
        recovered ? FileSystem::current().open(path, OpenMode::ReadOnly) : Failure{recovered.error()};
    const Result<qint64> length = file ? (*file)->size() : Failure{file.error()};
    if (!length) {
        if (reason)
            *reason = length.error();
        return false;
    }
    m_file = std::move(*file);
    // A trailing piece shorter than a record is not a record.
    m_records = *length / GameRecord::Size;
    return true;
}

qint64 SavedGamesModel::count() const
{
    return std::max<qint64>(m_records, 1);
}

int SavedGamesModel::listed() const
{
    return int(std::min(games(), MostListed));
}

int SavedGamesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : listed() + 1; // the empty row last
}

int SavedGamesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SavedGamesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    switch (role) {
    case Qt::DisplayRole: return cells(index.row()).at(index.column());
    case Qt::AccessibleTextRole: return cells(index.row()).at(index.column()).trimmed();
    case Qt::FontRole: {
        if (index.column() != 0)
            return {};
        // Only the weight: family and size stay the view's.
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    default: return {};
    }
}

QVariant SavedGamesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return header(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

const QStringList &SavedGamesModel::cells(int row) const
{
    if (row >= listed()) // the empty row
        return emptyRow();
    const qint64 block = row / BlockRecords;
    Block *cached = m_blocks.object(block);
    if (!cached) {
        cached = new Block(readBlock(block));
        m_blocks.insert(block, cached); // the cache owns it from here
    }
    return cached->at(row % BlockRecords);
}

SavedGamesModel::Block SavedGamesModel::readBlock(qint64 block) const
{
    const qint64 first = block * BlockRecords;
    const qint64 records = std::min<qint64>(BlockRecords, listed() - first);
    Block rows(records, emptyRow());
    if (!m_file)
        return rows;
    // The listed games are the newest: row 0 is record count - listed + 1.
    const qint64 offset = (m_records - listed() + first) * GameRecord::Size;
    QByteArray raw(records * GameRecord::Size, Qt::Uninitialized);
    const Result<qint64> read = m_file->readAt(offset, raw.data(), raw.size());
    // Records cut off since the file was opened, or a block that cannot be
    // read now, show as empty rows rather than half a record.
    const qint64 whole = read ? *read / GameRecord::Size : 0;
    for (qint64 n = 0; n < whole; ++n)
        rows[n] = columnTexts(
            GameRecord::decode(QByteArrayView(raw).sliced(n * GameRecord::Size, GameRecord::Size)));
    return rows;
}
