#pragma once

#include "ui/GridSource.h"

#include <QCache>
#include <QStringList>
#include <memory>

class FileHandle;
struct GameRecord;

// The saved games of an archive as the browser's grid shows them: row 0 the
// column headers, then one row per game record in file order (row r is record
// r + 1; the id record is never shown), then one empty row that belongs to no
// record. Rows map to records by arithmetic and records are read from the
// file only when a cell is asked for, with a small cache of decoded rows, so
// what the list costs does not grow with the archive.
//
// The file stays open for reading while the model lives. No lock is taken:
// a save by another copy of the program must never be refused because a
// browser is open. Only a journal left by an interrupted save makes opening
// take the lock for a moment, to roll that save back. The rows are those the file held when it was opened; a
// record that has since been cut off reads as an empty row.
class GameListModel final : public GridSource {
public:
    static constexpr int ColumnCount = 7;
    // "Game ...", "White", "Black", "Limit at", "White Limit", "Black Limit", "Time stop at".
    static QString header(int column);
    // A record's cells: the game's name, the players, the limit and the three
    // clocks as hours:minutes:seconds, each as stored, blanks included.
    static QStringList columnTexts(const GameRecord &r);

    GameListModel();
    ~GameListModel() override;

    // Opens the archive and counts its records. False, with the system's
    // reason, when it cannot be read; the model then holds only the empty row.
    bool open(const QString &path, QString *reason);
    // For the user, once: what opening did with a journal it set aside (ArchiveFile::notice()).
    const QString &notice() const { return m_notice; }

    // The archive's records, the id record included, as counted at opening;
    // at least 1, so the empty row is always there.
    qint64 count() const;

    qint64 rows() const override { return count() + 1; }
    int cols() const override { return ColumnCount; }
    QString text(qint64 row, int col) const override;
    bool bold(qint64 row, int col) const override;

private:
    const QStringList &cells(qint64 row) const;
    QStringList readCells(qint64 row) const;

    std::unique_ptr<FileHandle> m_file;
    qint64 m_records = 0;
    QString m_notice;
    mutable QCache<qint64, QStringList> m_cache;
};
