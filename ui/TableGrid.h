#pragma once

#include <QTableView>

// A grid driven by row and column numbers over a table view: Rows and Cols,
// the current cell (Row, Col) that Text and CellFontBold read, and RowSel,
// the row where the selection ends (the row clicked, or the row a drag or
// Shift+arrow reached; the view's current index). The current cell is where
// the selection starts. Sizes are in twips.
//
// Row 0 is the one fixed row, the view's column header; rows 1 to Rows - 1
// are the model's rows 0 to Rows - 2. Rows have one fixed height and no row
// header is shown, so the view lays them out by arithmetic.
//
// A screen reader finds a table with its column headers and hears of each
// cell the keys move to (the view's own accessibility), and of the current
// cell when the grid takes the focus.
class TableGrid : public QTableView {
    Q_OBJECT
public:
    explicit TableGrid(QWidget *parent = nullptr);

    int Rows() const;
    int Cols() const;

    // Moving the current cell makes it the whole selection.
    int Row() const;
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    int RowSel() const;

    QString Text() const;
    bool CellFontBold() const;

    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int Width() const;
    void setWidth(int twips);
    int Height() const;
    void setHeight(int twips);

    // Scrolls the body cell into view; its rectangle in viewport coordinates.
    QRect showCell(int row, int col);

    // No type-ahead: looking for a match would read every row of the model.
    void keyboardSearch(const QString &search) override;

protected:
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void announceCurrent();
    QModelIndex anchor() const;
    void makeCurrent(int row, int col);
    void fitRowHeight();
};
