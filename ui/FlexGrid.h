#pragma once

#include <QTableView>

class QAbstractItemModel;

// A grid driven by row and column numbers: Rows and Cols, the current cell
// (Row, Col) that Text and CellFontBold act on, and RowSel, the row where the
// selection ends (the row clicked, or the row a drag ended on). Sizes are in
// twips.
//
// Row 0 is the one fixed row and shows as the horizontal header; rows 1 to
// Rows - 1 are the body. The cells come from a source model, read only for the
// rows being painted: grid row r is source row r - 1, and the source's
// horizontal header fills row 0. Cells given a text or bold type of their own
// keep it over the source's.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    // The model the cells are read from (not owned); nullptr: every cell empty.
    void setSource(QAbstractItemModel *source);

    int Rows() const;
    void setRows(int rows); // at least 1: the fixed row stays
    int Cols() const;
    void setCols(int cols);

    // Moving the current cell makes it the whole selection.
    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    int RowSel() const;

    QString Text() const;
    void setText(const QString &text);
    bool CellFontBold() const;
    void setCellFontBold(bool bold);

    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int Width() const;
    void setWidth(int twips);
    int Height() const;
    void setHeight(int twips);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class Cells;

    void applyFont();
    void selectCurrentCell();
    void followUserMove(Qt::KeyboardModifiers modifiers);

    Cells *m_cells;
    int m_row = 0; // where the selection starts: the current cell
    int m_col = 0;
};
