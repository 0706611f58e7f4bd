#include "ui/FlexGrid.h"

#include "ui/Twips.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QtDebug>
#include <algorithm>
#include <optional>

// What the view shows: grid rows 1.. as its rows, grid row 0 as its horizontal
// header. A cell's text and bold type are its own when set through the grid,
// otherwise read from the source at the moment the view asks for them.
class FlexGrid::Cells final : public QAbstractTableModel {
public:
    explicit Cells(QObject *parent) : QAbstractTableModel(parent) {}

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows - 1; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_cols; }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid))
            return {};
        return cellData(index.row() + 1, index.column(), role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
            return {};
        return cellData(0, section, role);
    }

    QString text(int row, int col) const
    {
        const Own *own = ownAt(row, col);
        if (own && own->text)
            return *own->text;
        if (!m_source || col >= m_source->columnCount())
            return {};
        if (row == 0)
            return m_source->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
        if (row - 1 >= m_source->rowCount())
            return {};
        return m_source->data(m_source->index(row - 1, col), Qt::DisplayRole).toString();
    }

    bool bold(int row, int col) const
    {
        const Own *own = ownAt(row, col);
        if (own && own->bold)
            return *own->bold;
        if (!m_source || col >= m_source->columnCount())
            return false;
        QVariant font;
        if (row == 0)
            font = m_source->headerData(col, Qt::Horizontal, Qt::FontRole);
        else if (row - 1 < m_source->rowCount())
            font = m_source->data(m_source->index(row - 1, col), Qt::FontRole);
        return font.isValid() && qvariant_cast<QFont>(font).bold();
    }

    void setText(int row, int col, const QString &text)
    {
        m_own[key(row, col)].text = text;
        changed(row, col);
    }

    void setBold(int row, int col, bool bold)
    {
        m_own[key(row, col)].bold = bold;
        changed(row, col);
    }

    void setRows(int rows)
    {
        rows = std::max(1, rows);
        if (rows > m_rows) {
            beginInsertRows({}, m_rows - 1, rows - 2);
            m_rows = rows;
            endInsertRows();
        } else if (rows < m_rows) {
            beginRemoveRows({}, rows - 1, m_rows - 2);
            m_rows = rows;
            m_own.removeIf([rows](const auto &it) { return rowOf(it.key()) >= rows; });
            endRemoveRows();
        }
    }

    void setCols(int cols)
    {
        cols = std::max(0, cols);
        if (cols > m_cols) {
            beginInsertColumns({}, m_cols, cols - 1);
            m_cols = cols;
            endInsertColumns();
        } else if (cols < m_cols) {
            beginRemoveColumns({}, cols, m_cols - 1);
            m_cols = cols;
            m_own.removeIf([cols](const auto &it) { return colOf(it.key()) >= cols; });
            endRemoveColumns();
        }
    }

    void setSource(QAbstractItemModel *source)
    {
        if (m_source)
            disconnect(m_source, nullptr, this, nullptr);
        m_source = source;
        if (source) {
            // The grid's shape is its own (Rows, Cols); whatever the source
            // changes only means the cells read again.
            connect(source, &QAbstractItemModel::dataChanged, this, &Cells::refreshAll);
            connect(source, &QAbstractItemModel::headerDataChanged, this, &Cells::refreshAll);
            connect(source, &QAbstractItemModel::modelReset, this, &Cells::refreshAll);
            connect(source, &QAbstractItemModel::layoutChanged, this, &Cells::refreshAll);
            connect(source, &QAbstractItemModel::rowsInserted, this, &Cells::refreshAll);
            connect(source, &QAbstractItemModel::rowsRemoved, this, &Cells::refreshAll);
            connect(source, &QObject::destroyed, this, &Cells::refreshAll);
        }
        refreshAll();
    }

    void setFont(const QFont &font)
    {
        m_font = font;
        refreshAll();
    }

private:
    struct Own {
        std::optional<QString> text;
        std::optional<bool> bold;
    };

    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    static int rowOf(quint64 key) { return int(key >> 32); }
    static int colOf(quint64 key) { return int(key & 0xffffffffu); }

    const Own *ownAt(int row, int col) const
    {
        const auto it = m_own.constFind(key(row, col));
        return it == m_own.cend() ? nullptr : &*it;
    }

    QVariant cellData(int row, int col, int role) const
    {
        switch (role) {
        case Qt::DisplayRole: return text(row, col);
        case Qt::FontRole: {
            QFont font = m_font;
            font.setBold(bold(row, col));
            return font;
        }
        case Qt::TextAlignmentRole: return int(Qt::AlignLeft | Qt::AlignVCenter);
        default: return {};
        }
    }

    void changed(int row, int col)
    {
        if (row == 0)
            emit headerDataChanged(Qt::Horizontal, col, col);
        else
            emit dataChanged(index(row - 1, col), index(row - 1, col));
    }

    void refreshAll()
    {
        if (m_cols == 0)
            return;
        if (m_rows > 1)
            emit dataChanged(index(0, 0), index(m_rows - 2, m_cols - 1));
        emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    }

    QPointer<QAbstractItemModel> m_source;
    QHash<quint64, Own> m_own;
    QFont m_font;
    int m_rows = 2;
    int m_cols = 2;
};

FlexGrid::FlexGrid(QWidget *parent) : QTableView(parent), m_cells(new Cells(this))
{
    setModel(m_cells);

    // No fixed column; the fixed row is the horizontal header. Sections keep
    // the widths the program gives them and the rows one height, so the view
    // never has to measure the body (which may hold a million rows).
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    applyFont();
}

FlexGrid::~FlexGrid() = default;

void FlexGrid::setSource(QAbstractItemModel *source)
{
    m_cells->setSource(source);
}

int FlexGrid::Rows() const { return m_cells->rows(); }

void FlexGrid::setRows(int rows)
{
    m_cells->setRows(rows);
    m_row = std::min(m_row, Rows() - 1);
}

int FlexGrid::Cols() const { return m_cells->cols(); }

void FlexGrid::setCols(int cols)
{
    m_cells->setCols(cols);
    m_col = std::clamp(m_col, 0, std::max(0, Cols() - 1));
}

void FlexGrid::setRow(int row)
{
    if (row < 0 || row >= Rows()) {
        qWarning("FlexGrid: row %d outside 0..%d", row, Rows() - 1);
        return;
    }
    m_row = row;
    selectCurrentCell();
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= Cols()) {
        qWarning("FlexGrid: column %d outside 0..%d", col, Cols() - 1);
        return;
    }
    m_col = col;
    selectCurrentCell();
}

int FlexGrid::RowSel() const
{
    // The view's current index follows the end of a selection: the cell
    // clicked, the cell a drag reached, the cell a Shift+arrow moved to.
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : m_row;
}

QString FlexGrid::Text() const
{
    return m_col < Cols() ? m_cells->text(m_row, m_col) : QString();
}

void FlexGrid::setText(const QString &text)
{
    if (m_col < Cols())
        m_cells->setText(m_row, m_col, text);
}

bool FlexGrid::CellFontBold() const
{
    return m_col < Cols() && m_cells->bold(m_row, m_col);
}

void FlexGrid::setCellFontBold(bool bold)
{
    if (m_col < Cols())
        m_cells->setBold(m_row, m_col, bold);
}

int FlexGrid::ColWidth(int col) const { return Twips::fromPx(columnWidth(col)); }
void FlexGrid::setColWidth(int col, int twips) { setColumnWidth(col, Twips::px(twips)); }
int FlexGrid::Width() const { return Twips::fromPx(width()); }
void FlexGrid::setWidth(int twips) { resize(Twips::px(twips), height()); }
int FlexGrid::Height() const { return Twips::fromPx(height()); }
void FlexGrid::setHeight(int twips) { resize(width(), Twips::px(twips)); }

void FlexGrid::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    followUserMove(event->modifiers());
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    QTableView::keyPressEvent(event);
    followUserMove(event->modifiers());
}

void FlexGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyFont();
}

void FlexGrid::applyFont()
{
    m_cells->setFont(font());
    // One row height for the body and the fixed row, from the font.
    const int rowHeight = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setFixedHeight(rowHeight);
}

void FlexGrid::selectCurrentCell()
{
    if (m_row >= 1 && m_col < Cols())
        selectionModel()->setCurrentIndex(m_cells->index(m_row - 1, m_col),
                                          QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear(); // the fixed row takes no selection
}

void FlexGrid::followUserMove(Qt::KeyboardModifiers modifiers)
{
    // Without Shift the user moved the current cell; with it the selection
    // was stretched and the current cell stays where it started.
    if (modifiers & Qt::ShiftModifier)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        m_row = current.row() + 1;
        m_col = current.column();
    }
}
