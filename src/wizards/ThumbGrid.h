#pragma once
// The image browser's owner-drawn grid: equal square cells in rows and columns, one current cell,
// vertical scrolling. It knows nothing of thumbnails; the window paints each cell through the
// cell painter and decides what a press, a drag or a double-click means.
#include <QAbstractScrollArea>
#include <QPoint>

#include <functional>

class QMenu;

class TThumbGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    using TCellPainter =
        std::function<void(QPainter& painter, int column, int row, const QRect& rect, bool selected)>;

    static constexpr int kDragDistance = 10;

    explicit TThumbGrid(QWidget* parent = nullptr);

    void setCellSize(int width, int height);
    int columnWidth() const { return m_columnWidth; }
    int rowHeight() const { return m_rowHeight; }
    void setGridSize(int columns, int rows);
    int columnCount() const { return m_columns; }
    int rowCount() const { return m_rows; }
    // Columns that fit the client width, at least 1.
    int fittingColumns() const;

    int currentColumn() const { return m_column; }
    int currentRow() const { return m_row; }
    // Makes a cell current (clamped into the grid) and scrolls it into view.
    void setCurrentCell(int column, int row);
    // The cell under a viewport position; false outside every cell.
    bool cellAt(const QPoint& pos, int& column, int& row) const;
    QRect cellRect(int column, int row) const;

    void setCellPainter(TCellPainter painter) { m_painter = std::move(painter); }
    void setContextMenu(QMenu* menu) { m_menu = menu; }

signals:
    void currentCellChanged(int column, int row);
    // Every press: the cell under the pointer, -1/-1 outside the cells.
    void pressed(int column, int row, Qt::MouseButton button);
    void dragRequested(int column, int row);
    void doubleClicked(int column, int row);
    // Enter on the current cell.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateScrollBars();

    int m_columnWidth = 100;
    int m_rowHeight = 100;
    int m_columns = 1;
    int m_rows = 1;
    int m_column = 0;
    int m_row = 0;
    TCellPainter m_painter;
    QMenu* m_menu = nullptr;
    QPoint m_pressPos;
    bool m_dragArmed = false;
    int m_pressColumn = -1;
    int m_pressRow = -1;
};
