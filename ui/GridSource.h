#pragma once

#include <QString>
#include <QtGlobal>

// What a FlexGrid shows, cell by cell, asked for only as cells are painted
// or read. Row 0 is the fixed (header) row. Rows are 64-bit: a source may
// stand for more rows than any int can count.
class GridSource {
public:
    virtual ~GridSource() = default;
    virtual qint64 rows() const = 0; // the fixed row included
    virtual int cols() const = 0;
    virtual QString text(qint64 row, int col) const = 0;
    virtual bool bold(qint64 row, int col) const = 0;
};
