#include "ui/TableGrid.h"

#include "ui/Twips.h"

#include <QAccessible>
#include <QEvent>
#include <QHeaderView>
#include <QtDebug>

TableGrid::TableGrid(QWidget *parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid for the buttons; cells are clipped, not elided
    // (names end in blanks) and not wrapped.
    setTabKeyNavigation(false);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    QHeaderView *header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitRowHeight();
}

int TableGrid::Rows() const
{
    return model() ? model()->rowCount() + 1 : 1;
}

int TableGrid::Cols() const
{
    return model() ? model()->columnCount() : 0;
}

// The corner of the selection across from the current index.
QModelIndex TableGrid::anchor() const
{
    const QModelIndex current = currentIndex();
    const QItemSelection selection = selectionModel() ? selectionModel()->selection() : QItemSelection();
    if (selection.size() != 1 || !selection.first().contains(current))
        return current;
    const QItemSelectionRange &range = selection.first();
    return model()->index(current.row() == range.top() ? range.bottom() : range.top(),
                          current.column() == range.left() ? range.right() : range.left());
}

int TableGrid::Row() const
{
    return anchor().row() + 1; // 0 without a current cell
}

int TableGrid::Col() const
{
    return std::max(anchor().column(), 0);
}

int TableGrid::RowSel() const
{
    return currentIndex().row() + 1;
}

void TableGrid::setRow(int row)
{
    if (row < 1 || row >= Rows()) {
        qWarning("TableGrid: row %d outside 1..%d", row, Rows() - 1);
        return;
    }
    makeCurrent(row - 1, Col());
}

void TableGrid::setCol(int col)
{
    if (col < 0 || col >= Cols()) {
        qWarning("TableGrid: column %d outside 0..%d", col, Cols() - 1);
        return;
    }
    makeCurrent(std::max(Row(), 1) - 1, col);
}

void TableGrid::makeCurrent(int row, int col)
{
    // Through the view, so that Shift+arrow extends from here; the view
    // scrolls as the keys and the mouse move, not as the program does.
    setAutoScroll(false);
    setCurrentIndex(model()->index(row, col));
    setAutoScroll(true);
}

QString TableGrid::Text() const
{
    if (!model())
        return {};
    if (Row() == 0)
        return model()->headerData(Col(), Qt::Horizontal).toString();
    return model()->index(Row() - 1, Col()).data().toString();
}

bool TableGrid::CellFontBold() const
{
    if (Row() == 0)
        return horizontalHeader()->font().bold();
    const QVariant font = model()->index(Row() - 1, Col()).data(Qt::FontRole);
    return font.isValid() ? qvariant_cast<QFont>(font).bold() : this->font().bold();
}

int TableGrid::ColWidth(int col) const
{
    return Twips::fromPx(columnWidth(col));
}

void TableGrid::setColWidth(int col, int twips)
{
    setColumnWidth(col, Twips::px(twips));
}

int TableGrid::Width() const
{
    return Twips::fromPx(width());
}

void TableGrid::setWidth(int twips)
{
    resize(Twips::px(twips), height());
}

int TableGrid::Height() const
{
    return Twips::fromPx(height());
}

void TableGrid::setHeight(int twips)
{
    resize(width(), Twips::px(twips));
}

QRect TableGrid::showCell(int row, int col)
{
    const QModelIndex index = model()->index(row - 1, col);
    scrollTo(index);
    return visualRect(index);
}

void TableGrid::keyboardSearch(const QString &) {}

void TableGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
}

void TableGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    // Qt says the table itself took the focus once this returns, which
    // leaves a screen reader on the table rather than on a cell.
    QMetaObject::invokeMethod(this, &TableGrid::announceCurrent, Qt::QueuedConnection);
}

void TableGrid::announceCurrent()
{
    const QModelIndex current = currentIndex();
    if (!QAccessible::isActive() || !hasFocus() || !current.isValid())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(this);
    QAccessibleInterface *cell = table && table->tableInterface()
                                     ? table->tableInterface()->cellAt(current.row(), current.column())
                                     : nullptr;
    if (!cell)
        return;
    QAccessibleEvent focus(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

void TableGrid::fitRowHeight()
{
    const int height = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}
