#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QStringList>
#include <memory>

class FileHandle;
struct GameRecord;

// The saved games of an archive as a table: one row per game record in file
// order (the id record is never shown), then one empty row that belongs to no
// record. Rows map to records by arithmetic and records are read from the
// file in blocks only when a cell is asked for, with a small cache of decoded
// blocks, so what the model costs does not grow with the archive.
//
// The file stays open for reading while the model lives. No lock is taken:
// a save by another copy of the program must never be refused because a
// browser is open. Only a journal left by an interrupted save makes opening
// take the lock for a moment, to roll that save back. The rows are those the file held when it was opened; a
// record that has since been cut off reads as an empty row.
class SavedGamesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 7;
    // The most games listed: the newest of a larger archive. A table view
    // keeps a few bytes for every row and its rows' pixel positions in an
    // int; this many rows cost it about 130 MiB and fit rows up to 128
    // pixels high.
    static constexpr qint64 MostListed = (qint64(1) << 24) - 1;

    // "Game ...", "White", "Black", "Limit at", "White Limit", "Black Limit", "Time stop at".
    static QString header(int column);
    // A record's cells: the game's name, the players, the limit and the three
    // clocks as hours:minutes:seconds, each as stored, blanks included.
    static QStringList columnTexts(const GameRecord &r);

    explicit SavedGamesModel(QObject *parent = nullptr);
    ~SavedGamesModel() override;

    // Opens the archive and counts its records. False, with the system's
    // reason, when it cannot be read; the model then holds only the empty row.
    bool open(const QString &path, QString *reason);
    // For the user, once: what opening did with a journal it set aside (ArchiveFile::notice()).
    const QString &notice() const { return m_notice; }

    // The archive's records, the id record included, as counted at opening;
    // at least 1.
    qint64 count() const;
    qint64 games() const { return count() - 1; }
    // The games that have rows: all of them, or the newest MostListed.
    int listed() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // The text as stored (display), without the blanks at its ends (what a
    // screen reader says), and bold type for the game's name.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    using Block = QList<QStringList>;
    bool openFile(const QString &path, QString *reason);
    const QStringList &cells(int row) const;
    Block readBlock(qint64 block) const;

    std::unique_ptr<FileHandle> m_file;
    qint64 m_records = 0;
    QString m_notice;
    mutable QCache<qint64, Block> m_blocks;
};
