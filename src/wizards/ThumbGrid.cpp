#include "wizards/ThumbGrid.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

TThumbGrid::TThumbGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Window);
}

void TThumbGrid::setCellSize(int width, int height)
{
    m_columnWidth = std::max(1, width);
    m_rowHeight = std::max(1, height);
    updateScrollBars();
    viewport()->update();
}

void TThumbGrid::setGridSize(int columns, int rows)
{
    m_columns = std::max(1, columns);
    m_rows = std::max(1, rows);
    m_column = std::min(m_column, m_columns - 1);
    m_row = std::min(m_row, m_rows - 1);
    updateScrollBars();
    viewport()->update();
}

int TThumbGrid::fittingColumns() const
{
    return std::max(1, viewport()->width() / m_columnWidth);
}

void TThumbGrid::setCurrentCell(int column, int row)
{
    column = std::clamp(column, 0, m_columns - 1);
    row = std::clamp(row, 0, m_rows - 1);
    const bool changed = column != m_column || row != m_row;
    m_column = column;
    m_row = row;
    // Bring the cell into view.
    const int top = row * m_rowHeight;
    QScrollBar* vertical = verticalScrollBar();
    if (top < vertical->value())
        vertical->setValue(top);
    else if (top + m_rowHeight > vertical->value() + viewport()->height())
        vertical->setValue(top + m_rowHeight - viewport()->height());
    const int left = column * m_columnWidth;
    QScrollBar* horizontal = horizontalScrollBar();
    if (left < horizontal->value())
        horizontal->setValue(left);
    else if (left + m_columnWidth > horizontal->value() + viewport()->width())
        horizontal->setValue(left + m_columnWidth - viewport()->width());
    viewport()->update();
    if (changed)
        emit currentCellChanged(m_column, m_row);
}

bool TThumbGrid::cellAt(const QPoint& pos, int& column, int& row) const
{
    const int x = pos.x() + horizontalScrollBar()->value();
    const int y = pos.y() + verticalScrollBar()->value();
    column = -1;
    row = -1;
    if (x < 0 || y < 0)
        return false;
    const int c = x / m_columnWidth;
    const int r = y / m_rowHeight;
    if (c >= m_columns || r >= m_rows)
        return false;
    column = c;
    row = r;
    return true;
}

QRect TThumbGrid::cellRect(int column, int row) const
{
    return QRect(column * m_columnWidth - horizontalScrollBar()->value(),
                 row * m_rowHeight - verticalScrollBar()->value(), m_columnWidth, m_rowHeight);
}

void TThumbGrid::updateScrollBars()
{
    const int contentHeight = m_rows * m_rowHeight;
    const int contentWidth = m_columns * m_columnWidth;
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(m_rowHeight / 4 + 1);
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(m_columnWidth / 4 + 1);
}

void TThumbGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    if (!m_painter)
        return;
    const QRect dirty = event->rect();
    // Only the cells the dirty area touches are drawn.
    const int firstRow = std::max(0, (dirty.top() + verticalScrollBar()->value()) / m_rowHeight);
    const int lastRow = std::min(m_rows - 1, (dirty.bottom() + verticalScrollBar()->value()) / m_rowHeight);
    const int firstColumn = std::max(0, (dirty.left() + horizontalScrollBar()->value()) / m_columnWidth);
    const int lastColumn =
        std::min(m_columns - 1, (dirty.right() + horizontalScrollBar()->value()) / m_columnWidth);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column)
            m_painter(painter, column, row, cellRect(column, row), column == m_column && row == m_row);
}

void TThumbGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TThumbGrid::mousePressEvent(QMouseEvent* event)
{
    int column = -1;
    int row = -1;
    const bool onCell = cellAt(event->position().toPoint(), column, row);
    m_dragArmed = false;
    if (onCell && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton))
        setCurrentCell(column, row);
    if (event->button() == Qt::LeftButton && onCell) {
        m_dragArmed = true;
        m_pressPos = event->position().toPoint();
        m_pressColumn = column;
        m_pressRow = row;
    }
    emit pressed(column, row, event->button());
}

void TThumbGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragArmed || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < kDragDistance)
        return;
    m_dragArmed = false;
    emit dragRequested(m_pressColumn, m_pressRow);
}

void TThumbGrid::mouseReleaseEvent(QMouseEvent* event)
{
    (void)event;
    m_dragArmed = false;
}

void TThumbGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    int column = -1;
    int row = -1;
    if (event->button() == Qt::LeftButton) {
        cellAt(event->position().toPoint(), column, row);
        emit doubleClicked(column, row);
    }
}

void TThumbGrid::keyPressEvent(QKeyEvent* event)
{
    const int pageRows = std::max(1, viewport()->height() / m_rowHeight);
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrentCell(m_column - 1, m_row);
        break;
    case Qt::Key_Right:
        setCurrentCell(m_column + 1, m_row);
        break;
    case Qt::Key_Up:
        setCurrentCell(m_column, m_row - 1);
        break;
    case Qt::Key_Down:
        setCurrentCell(m_column, m_row + 1);
        break;
    case Qt::Key_PageUp:
        setCurrentCell(m_column, m_row - pageRows);
        break;
    case Qt::Key_PageDown:
        setCurrentCell(m_column, m_row + pageRows);
        break;
    case Qt::Key_Home:
        setCurrentCell(0, event->modifiers() & Qt::ControlModifier ? 0 : m_row);
        break;
    case Qt::Key_End:
        setCurrentCell(m_columns - 1, event->modifiers() & Qt::ControlModifier ? m_rows - 1 : m_row);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit activated();
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TThumbGrid::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_menu)
        return;
    // From the keyboard the menu opens at the current cell.
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
                          ? event->globalPos()
                          : viewport()->mapToGlobal(cellRect(m_column, m_row).center());
    m_menu->popup(at);
}
