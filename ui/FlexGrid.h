#pragma once

#include <QAbstractScrollArea>
#include <QList>

class GridSource;

// A grid driven by row and column numbers: Rows and Cols, the current cell
// (Row, Col) that Text and CellFontBold read, and RowSel, the row where the
// selection ends (the row clicked, or the row a drag or Shift+arrow reached).
// Sizes are in twips.
//
// Row 0 is the one fixed row, drawn as a header; rows 1 to Rows - 1 are the
// body. Every cell comes from the source at the moment it is painted or read;
// the grid keeps nothing per row, so a source of ten million rows costs what
// a screenful does. Rows count in 64 bits; the scroll bar's int range is
// scaled over them when they do not fit.
class FlexGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    // Where the cells come from (not owned); nullptr: only an empty fixed row.
    // Puts the current cell and the selection on row 1, column 0 (row 0 when
    // there is no body).
    void setSource(const GridSource *source);

    qint64 Rows() const;
    int Cols() const;

    // Moving the current cell makes it the whole selection.
    qint64 Row() const { return m_row; }
    void setRow(qint64 row);
    int Col() const { return m_col; }
    void setCol(int col);
    qint64 RowSel() const { return m_rowSel; }

    QString Text() const;
    bool CellFontBold() const;

    void setColWidth(int col, int twips);
    void setWidth(int twips);
    void setHeight(int twips);

    // Scrolls the cell into view; its rectangle in viewport coordinates.
    QRect showCell(qint64 row, int col);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int rowHeight() const;
    int columnLeft(int col) const;
    int columnsWidth() const;
    qint64 bodyRows() const { return Rows() - 1; }
    int visibleRows() const;
    qint64 lastTop() const;
    void setTop(qint64 top);
    void updateScrollBars();
    bool cellAt(QPoint pos, qint64 *row, int *col) const;
    void moveSelectionEnd(qint64 row, int col, bool withCurrent);
    void selectionMoved();
    void paintCell(QPainter &painter, qint64 row, int col, QRect rect);

    const GridSource *m_source = nullptr;
    QList<int> m_widths; // pixels, one per column
    qint64 m_row = 0;    // the current cell: where the selection starts
    int m_col = 0;
    qint64 m_rowSel = 0; // where the selection ends
    int m_colSel = 0;
    qint64 m_top = 1; // the body row shown first
    bool m_scrolling = false;
};
