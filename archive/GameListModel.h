#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QStringList>
#include <memory>

class FileHandle;

// The saved games of an archive as a table: one row per game record in file
// order (row i is record i + 2; the id record is never shown), then one empty
// row that belongs to no record. Records are read from the file only when a
// row is asked for, so a window over a million games costs what it shows.
//
// The file stays open for reading while the model lives. No lock is taken:
// a save by another copy of the program must never be refused because a
// browser is open. Only a journal left by an interrupted save makes opening
// take the lock for a moment, to roll that save back. The rows are those the file held when it was opened; a
// record that has since been cut off reads as an empty row.
class GameListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 7;
    // "Game ...", "White", "Black", "Limit at", "White Limit", "Black Limit", "Time stop at".
    static QString header(int column);

    explicit GameListModel(QObject *parent = nullptr);
    ~GameListModel() override;

    // Opens the archive and counts its records. False, with the system's
    // reason, when it cannot be read; the model then holds only the empty row.
    bool open(const QString &path, QString *reason);

    // The archive's records, the id record included, as counted at opening;
    // at least 1, so the empty row is always there. Equals rowCount().
    int count() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool fail(const QString &why, QString *reason);
    const QStringList &cells(int row) const;
    QStringList readCells(int row) const;

    std::unique_ptr<FileHandle> m_file;
    int m_records = 0;
    mutable QCache<int, QStringList> m_cache;
};
