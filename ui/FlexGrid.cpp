#include "ui/FlexGrid.h"

#include "ui/GridSource.h"
#include "ui/Twips.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QWheelEvent>
#include <QtDebug>
#include <algorithm>

namespace {

// The scroll bar's range when the rows do not fit in it: one step then
// covers several rows, and the keys still move row by row.
constexpr qint64 MostScrollSteps = 1 << 30;
constexpr int TextMargin = 2;
constexpr int WheelRows = 3;

// a * b / c without overflow, for the scroll bar's scaling.
qint64 scaled(qint64 a, qint64 b, qint64 c)
{
    return c == 0 ? 0 : qint64(static_cast<long double>(a) * b / c);
}

} // namespace

FlexGrid::FlexGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

FlexGrid::~FlexGrid() = default;

void FlexGrid::setSource(const GridSource *source)
{
    m_source = source;
    m_widths.resize(Cols(), Twips::px(1000));
    m_row = m_rowSel = Rows() > 1 ? 1 : 0;
    m_col = m_colSel = 0;
    m_top = 1;
    updateScrollBars();
    selectionMoved();
}

qint64 FlexGrid::Rows() const
{
    return m_source ? std::max<qint64>(1, m_source->rows()) : 1;
}

int FlexGrid::Cols() const
{
    return m_source ? m_source->cols() : 0;
}

void FlexGrid::setRow(qint64 row)
{
    if (row < 0 || row >= Rows()) {
        qWarning("FlexGrid: row %lld outside 0..%lld", row, Rows() - 1);
        return;
    }
    m_row = m_rowSel = row;
    m_colSel = m_col;
    selectionMoved();
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= Cols()) {
        qWarning("FlexGrid: column %d outside 0..%d", col, Cols() - 1);
        return;
    }
    m_col = m_colSel = col;
    m_rowSel = m_row;
    selectionMoved();
}

QString FlexGrid::Text() const
{
    return m_col < Cols() ? m_source->text(m_row, m_col) : QString();
}

bool FlexGrid::CellFontBold() const
{
    return m_col < Cols() && m_source->bold(m_row, m_col);
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= m_widths.size())
        return;
    m_widths[col] = Twips::px(twips);
    updateScrollBars();
    viewport()->update();
}

void FlexGrid::setWidth(int twips)
{
    resize(Twips::px(twips), height());
}
void FlexGrid::setHeight(int twips)
{
    resize(width(), Twips::px(twips));
}

QRect FlexGrid::showCell(qint64 row, int col)
{
    if (row >= 1 && row < m_top)
        setTop(row);
    else if (row >= m_top + visibleRows())
        setTop(row - visibleRows() + 1);
    const int left = columnLeft(col) - horizontalScrollBar()->value();
    const int top = row == 0 ? 0 : int(row - m_top + 1) * rowHeight();
    return QRect(left, top, col < m_widths.size() ? m_widths[col] : 0, rowHeight());
}

int FlexGrid::rowHeight() const
{
    return fontMetrics().height() + 4;
}

int FlexGrid::columnLeft(int col) const
{
    int left = 0;
    for (int c = 0; c < col && c < m_widths.size(); ++c)
        left += m_widths[c];
    return left;
}

int FlexGrid::columnsWidth() const
{
    return columnLeft(int(m_widths.size()));
}

// Whole body rows below the fixed row.
int FlexGrid::visibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight() - 1);
}

qint64 FlexGrid::lastTop() const
{
    return std::max<qint64>(1, bodyRows() - visibleRows() + 1);
}

void FlexGrid::setTop(qint64 top)
{
    m_top = std::clamp<qint64>(top, 1, lastTop());
    const qint64 steps = verticalScrollBar()->maximum();
    m_scrolling = true;
    verticalScrollBar()->setValue(int(scaled(m_top - 1, steps, lastTop() - 1)));
    m_scrolling = false;
    viewport()->update();
}

void FlexGrid::updateScrollBars()
{
    const qint64 steps = std::min(lastTop() - 1, MostScrollSteps);
    m_scrolling = true;
    verticalScrollBar()->setRange(0, int(steps));
    verticalScrollBar()->setPageStep(int(std::min<qint64>(visibleRows(), MostScrollSteps)));
    horizontalScrollBar()->setRange(0, std::max(0, columnsWidth() - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    m_scrolling = false;
    setTop(m_top);
}

void FlexGrid::scrollContentsBy(int, int)
{
    if (!m_scrolling)
        m_top = 1 + scaled(verticalScrollBar()->value(), lastTop() - 1, verticalScrollBar()->maximum());
    viewport()->update();
}

void FlexGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void FlexGrid::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBars();
}

bool FlexGrid::cellAt(QPoint pos, qint64 *row, int *col) const
{
    const int line = pos.y() / rowHeight();
    if (pos.y() < 0 || line == 0 || m_top + line - 1 >= Rows())
        return false;
    const int x = pos.x() + horizontalScrollBar()->value();
    for (int c = 0, left = 0; c < m_widths.size(); left += m_widths[c], ++c) {
        if (x >= left && x < left + m_widths[c]) {
            *row = m_top + line - 1;
            *col = c;
            return true;
        }
    }
    return false;
}

void FlexGrid::moveSelectionEnd(qint64 row, int col, bool withCurrent)
{
    m_rowSel = std::clamp<qint64>(row, std::min<qint64>(1, Rows() - 1), Rows() - 1);
    m_colSel = std::clamp(col, 0, std::max(0, Cols() - 1));
    if (withCurrent) {
        m_row = m_rowSel;
        m_col = m_colSel;
    }
    showCell(m_rowSel, m_colSel);
    selectionMoved();
}

// The grid paints its own cells, so a screen reader hears the row where the
// selection ends through the description.
void FlexGrid::selectionMoved()
{
    QStringList cells;
    for (int col = 0; col < Cols(); ++col)
        cells += m_source->text(m_rowSel, col).trimmed();
    setAccessibleDescription(tr("Row %1 of %2: %3").arg(m_rowSel).arg(Rows() - 1).arg(cells.join(u", ")));
    viewport()->update();
}

void FlexGrid::mousePressEvent(QMouseEvent *event)
{
    qint64 row;
    int col;
    if (event->button() == Qt::LeftButton && cellAt(event->position().toPoint(), &row, &col))
        moveSelectionEnd(row, col, !(event->modifiers() & Qt::ShiftModifier));
}

void FlexGrid::mouseMoveEvent(QMouseEvent *event)
{
    qint64 row;
    int col;
    if ((event->buttons() & Qt::LeftButton) && cellAt(event->position().toPoint(), &row, &col))
        moveSelectionEnd(row, col, false);
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    qint64 row = m_rowSel;
    int col = m_colSel;
    switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= visibleRows(); break;
    case Qt::Key_PageDown: row += visibleRows(); break;
    case Qt::Key_Home: control ? row = 1 : col = 0; break;
    case Qt::Key_End: control ? row = Rows() - 1 : col = Cols() - 1; break;
    default:
        event->ignore(); // Enter, Escape and the rest belong to the window
        return;
    }
    moveSelectionEnd(row, col, !(event->modifiers() & Qt::ShiftModifier));
}

void FlexGrid::wheelEvent(QWheelEvent *event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    setTop(m_top - qint64(notches) * WheelRows);
    event->accept();
}

void FlexGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const int height = rowHeight();
    const int left = -horizontalScrollBar()->value();
    const int lines = viewport()->height() / height + 1;
    for (int line = 0; line <= lines; ++line) {
        const qint64 row = line == 0 ? 0 : m_top + line - 1;
        if (row >= Rows())
            break;
        for (int c = 0, x = left; c < m_widths.size(); x += m_widths[c], ++c)
            paintCell(painter, row, c, QRect(x, line * height, m_widths[c], height));
    }
}

void FlexGrid::paintCell(QPainter &painter, qint64 row, int col, QRect rect)
{
    if (rect.right() < 0 || rect.left() > viewport()->width())
        return;
    QFont font = this->font();
    font.setBold(m_source->bold(row, col));
    if (row == 0) {
        QStyleOptionHeader option;
        option.initFrom(this);
        option.rect = rect;
        option.section = col;
        option.text = m_source->text(row, col);
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        // The style may leave its own clip and pen behind.
        painter.save();
        painter.setFont(font);
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
        painter.restore();
        return;
    }
    const bool selected = row >= std::min(m_row, m_rowSel) && row <= std::max(m_row, m_rowSel) &&
                          col >= std::min(m_col, m_colSel) && col <= std::max(m_col, m_colSel);
    if (selected)
        painter.fillRect(rect, palette().brush(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.setFont(font);
    painter.drawText(rect.adjusted(TextMargin, 0, -TextMargin, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     m_source->text(row, col));
}
