#include "archive/GameListModel.h"

#include "archive/ArchiveFile.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"

#include <QFont>
#include <array>
#include <limits>

namespace {

const std::array<QString, GameListModel::ColumnCount> Headers = {
    QStringLiteral("Game ..."),    QStringLiteral("White"),       QStringLiteral("Black"),
    QStringLiteral("Limit at"),    QStringLiteral("White Limit"), QStringLiteral("Black Limit"),
    QStringLiteral("Time stop at"),
};

// Decoded rows kept around: a screenful asks for each of its cells many times
// over (text, font, alignment...) and scrolling back should not read again.
constexpr int CachedRows = 1024;

QString clockText(const QString &hours, const QString &minutes, const QString &seconds)
{
    return hours + u':' + minutes + u':' + seconds;
}

QStringList columnTexts(const GameRecord &r)
{
    return {r.RecordName,
            r.WhitePlayer,
            r.BlackPlayer,
            r.Limit,
            clockText(r.WhiteHours, r.WhiteMinutes, r.WhiteSeconds),
            clockText(r.BlackHours, r.BlackMinutes, r.BlackSeconds),
            clockText(r.TotalHours, r.TotalMinutes, r.TotalSeconds)};
}

const QStringList &emptyRow()
{
    static const QStringList empty(GameListModel::ColumnCount);
    return empty;
}

QFont boldFont()
{
    // Only the weight is set, so a view keeps its own family and size.
    QFont font;
    font.setBold(true);
    return font;
}

} // namespace

QString GameListModel::header(int column)
{
    return column >= 0 && column < ColumnCount ? Headers[size_t(column)] : QString();
}

GameListModel::GameListModel(QObject *parent) : QAbstractTableModel(parent), m_cache(CachedRows) {}

GameListModel::~GameListModel() = default;

bool GameListModel::open(const QString &path, QString *reason)
{
    beginResetModel();
    m_cache.clear();
    m_records = 0;
    m_file.reset();
    // The rows must not show a save a power cut left half done.
    if (!ArchiveFile::recoverInterruptedSave(path, reason)) {
        endResetModel();
        return false;
    }
    m_file = FileSystem::current().open(path, FileSystem::Mode::ReadOnly, reason);
    if (!m_file) {
        endResetModel();
        return false;
    }
    const IoResult length = m_file->size();
    if (!length.ok)
        return fail(length.reason, reason);
    // Reading the first record shows whether the file can be read at all: a
    // folder opens, but reading it fails.
    char probe[GameRecord::Size];
    const IoResult read = m_file->readAt(0, probe, GameRecord::Size);
    if (!read.ok)
        return fail(read.reason, reason);
    // A trailing piece shorter than a record is not a record.
    m_records = int(std::min<qint64>(length.value / GameRecord::Size, std::numeric_limits<int>::max()));
    endResetModel();
    return true;
}

bool GameListModel::fail(const QString &why, QString *reason)
{
    if (reason)
        *reason = why;
    m_file.reset();
    endResetModel();
    return false;
}

int GameListModel::count() const
{
    return std::max(m_records, 1);
}

int GameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int GameListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant GameListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::DisplayRole)
        return cells(index.row()).at(index.column());
    // The game's name is bold, in the empty row too.
    if (role == Qt::FontRole && index.column() == 0)
        return boldFont();
    return {};
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return header(section);
    if (role == Qt::FontRole)
        return boldFont();
    return {};
}

const QStringList &GameListModel::cells(int row) const
{
    if (row >= count() - 1) // the empty row
        return emptyRow();
    if (const QStringList *cached = m_cache.object(row))
        return *cached;
    auto *texts = new QStringList(readCells(row));
    m_cache.insert(row, texts); // the cache owns it from here
    return *texts;
}

QStringList GameListModel::readCells(int row) const
{
    if (!m_file)
        return emptyRow();
    char raw[GameRecord::Size];
    const qint64 offset = qint64(row + 1) * GameRecord::Size; // row 0 is record 2
    const IoResult read = m_file->readAt(offset, raw, GameRecord::Size);
    // A record cut off since the file was opened, or one that cannot be read
    // now, shows as an empty row rather than half a record.
    if (!read.ok || read.value < GameRecord::Size)
        return emptyRow();
    return columnTexts(GameRecord::decode(QByteArrayView(raw, GameRecord::Size)));
}
