#pragma once
// The frame strip: one row of owner-drawn cells, one per non-empty frame of the working image,
// with a header (index and size), the thumbnail and a footer (delay). Only the cells inside the
// viewport are drawn, on demand, through one scratch image reused for every cell; nothing is
// cached, so a strip over thousands of frames costs what the visible cells cost.
//
// The strip keeps the column range selection and the current frame it is told about; what a
// selection means (panels, document view) is the controller's business (FramePanels.h).
// UI thread only.
#include <QAbstractScrollArea>
#include <QColor>
#include <QIcon>
#include <QImage>

#include <memory>

class QMenu;
class QMimeData;
class TBitmap;
class TGIFImage;
class TGIFSubImage;

// The picture a strip cell shows for a frame. The one place thumbnails get their bitmap from.
std::shared_ptr<TBitmap> stripFrameBitmap(TGIFSubImage& frame);

class TFrameStrip : public QAbstractScrollArea
{
    Q_OBJECT
public:
    // Drag formats: a frame of this strip, the active document's view, the image browser's grid.
    static constexpr const char* kFrameMime = "application/x-reelwright-strip-frame";
    static constexpr const char* kViewMime = "application/x-reelwright-view-frame";
    static constexpr const char* kThumbnailMime = "application/x-reelwright-thumbnail";
    static constexpr int kDragDistance = 15;

    explicit TFrameStrip(QWidget* parent = nullptr);

    // The image whose frames the cells show; not owned, may be null.
    void setImage(TGIFImage* image);
    TGIFImage* image() const { return m_image; }

    int columnCount() const { return m_columnCount; }
    // At least one column: an empty strip shows one blank cell.
    void setColumnCount(int count);
    int frameSize() const { return m_frameSize; }
    void setFrameSize(int size);
    int columnWidth() const { return m_frameSize + 38; }
    int rowHeight() const { return m_frameSize + 62; }

    int selectionLeft() const { return m_selLeft; }
    int selectionRight() const { return m_selRight; }
    bool singleSelection() const { return m_selLeft == m_selRight; }
    bool allSelected() const { return m_selLeft == 0 && m_selRight == m_columnCount - 1; }
    // These change the selection without announcing it.
    void setSelection(int left, int right);
    void selectColumn(int column);
    void selectAll();

    // The frame the controller made current (-1 for none): the anchor of Ctrl ranges and the
    // condition for dragging.
    void setCurrentFrame(int index) { m_currentFrame = index; }
    int currentFrame() const { return m_currentFrame; }

    // One blank column, nothing current, selection handling detached until the next press.
    void clearStrip();
    bool selectionAttached() const { return m_attached; }

    void setContextMenu(QMenu* menu) { m_contextMenu = menu; }
    // Shown in every footer before the delay (the main window's frame-delay icon, imgFrameDelay).
    void setFooterIcon(const QIcon& icon) { m_footerIcon = icon; }
    // Transparent pixels of a thumbnail show this colour, as the document view shows them.
    void setTransparentBackground(const QColor& colour);

    // Cell rectangle of a column in viewport coordinates; the column under a viewport point or -1.
    QRect cellRect(int column) const;
    int columnAt(const QPoint& viewportPos) const;
    void scrollToColumn(int column);
    // Columns whose cells intersect the viewport: [first, last], last < first when none.
    std::pair<int, int> visibleColumns() const;

    // Size a frame bitmap is drawn at in cells of frameSize.
    static QSize thumbnailSize(const QSize& bitmap, int frameSize);

    // Cells drawn since the last reset (the benchmark's measure of on-demand drawing).
    int paintedCells() const { return m_paintedCells; }
    int lastPaintedColumn() const { return m_lastPainted; }
    void resetPaintCounters();

signals:
    // A cell was chosen by mouse or keyboard while the selection handling is attached.
    void cellSelected(int column);
    // A Ctrl press changed the selection to a range anchored at the current frame.
    void rangeSelected();
    // Drops accepted over a valid column.
    void frameDropped(int column);
    void viewDropped(int column);
    void thumbnailDropped(int column, const QMimeData* data);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void drawCell(QPainter& painter, int column, const QRect& cell);
    void drawThumbnail(TGIFSubImage& frame, TBitmap& bitmap, const QSize& size);
    void updateScrollBar();
    bool dropAcceptable(const QMimeData* data, const QPoint& pos) const;
    void chooseColumn(int column);

    TGIFImage* m_image = nullptr;
    int m_columnCount = 1;
    int m_frameSize = 160;
    int m_selLeft = 0;
    int m_selRight = 0;
    int m_currentFrame = -1;
    bool m_attached = true;
    QPoint m_pressPos;
    bool m_dragArmed = false;
    QMenu* m_contextMenu = nullptr;
    QIcon m_footerIcon;
    QImage m_scratch; // reused by every cell
    int m_paintedCells = 0;
    int m_lastPainted = -1;
    QColor m_transparentBackground = Qt::white;
};
