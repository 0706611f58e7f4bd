#include "archive/GameListModel.h"

#include "archive/ArchiveFile.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"

#include <algorithm>
#include <array>

namespace {

const std::array<QString, GameListModel::ColumnCount> Headers = {
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
static_assert(highestColumn() + 1 == GameListModel::ColumnCount);

// Decoded rows kept around: a screenful asks for each of its cells at every
// paint, and scrolling back should not read again.
constexpr int CachedRows = 1024;

} // namespace

QStringList GameListModel::columnTexts(const GameRecord &r)
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
    static const QStringList empty(GameListModel::ColumnCount);
    return empty;
}

} // namespace

QString GameListModel::header(int column)
{
    return column >= 0 && column < ColumnCount ? Headers[size_t(column)] : QString();
}

GameListModel::GameListModel() : m_cache(CachedRows) {}

GameListModel::~GameListModel() = default;

bool GameListModel::open(const QString &path, QString *reason)
{
    m_cache.clear();
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

qint64 GameListModel::count() const
{
    return std::max<qint64>(m_records, 1);
}

QString GameListModel::text(qint64 row, int col) const
{
    if (col < 0 || col >= ColumnCount || row < 0 || row >= rows())
        return {};
    return row == 0 ? header(col) : cells(row).at(col);
}

bool GameListModel::bold(qint64 row, int col) const
{
    // Every header and the game's name, in the empty row too.
    return col >= 0 && col < ColumnCount && row >= 0 && row < rows() && (row == 0 || col == 0);
}

const QStringList &GameListModel::cells(qint64 row) const
{
    if (row >= count()) // the empty row
        return emptyRow();
    if (const QStringList *cached = m_cache.object(row))
        return *cached;
    auto *texts = new QStringList(readCells(row));
    m_cache.insert(row, texts); // the cache owns it from here
    return *texts;
}

QStringList GameListModel::readCells(qint64 row) const
{
    if (!m_file)
        return emptyRow();
    char raw[GameRecord::Size];
    const qint64 offset = row * GameRecord::Size; // row r is record r + 1
    const Result<qint64> read = m_file->readAt(offset, raw, GameRecord::Size);
    // A record cut off since the file was opened, or one that cannot be read
    // now, shows as an empty row rather than half a record.
    if (!read || *read < GameRecord::Size)
        return emptyRow();
    return columnTexts(GameRecord::decode(QByteArrayView(raw, GameRecord::Size)));
}
