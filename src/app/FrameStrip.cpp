#include "app/FrameStrip.h"

#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFRender.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <qdrawutil.h>

#include <algorithm>
#include <utility>

std::shared_ptr<TBitmap> stripFrameBitmap(TGIFSubImage& frame)
{
    // The frame's own cached rendering: nothing is copied per cell.
    return gifFrameBitmap(frame) ? frame.bitmap() : nullptr;
}

namespace {

void sunkenEdge(QPainter& painter, const QRect& rect, const QPalette& palette)
{
    qDrawShadePanel(&painter, rect, palette, true, 1);
}

} // namespace

void TFrameStrip::setTransparentBackground(const QColor& colour)
{
    if (colour == m_transparentBackground)
        return;
    m_transparentBackground = colour;
    viewport()->update();
}

void TFrameStrip::drawThumbnail(TGIFSubImage& frame, TBitmap& bitmap, const QSize& size)
{
    std::shared_ptr<TBitmap> mask;
    try {
        if (frame.transparent() && gifFrameHasMask(frame))
            mask = frame.mask();
    } catch (const std::exception&) {
        mask.reset(); // drawn opaque, as a frame without transparency
    }
    // The mask question may have rendered the frame again; draw what the frame holds now.
    TBitmap* picture = mask && frame.bitmap() ? frame.bitmap().get() : &bitmap;
    if (!mask) {
        QPainter scratch(&m_scratch);
        scratch.setRenderHint(QPainter::SmoothPixmapTransform, false);
        scratch.drawImage(QRect(QPoint(0, 0), size), picture->toImage());
        return;
    }
    m_scratch.fill(m_transparentBackground);
    TCanvas canvas(&m_scratch);
    canvas.drawMasked(QRect(QPoint(0, 0), size), *picture, *mask, QRect());
}

TFrameStrip::TFrameStrip(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("grdFrames"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    horizontalScrollBar()->setTracking(true);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    updateScrollBar();
}

void TFrameStrip::setImage(TGIFImage* image)
{
    m_image = image;
    viewport()->update();
}

void TFrameStrip::setColumnCount(int count)
{
    m_columnCount = std::max(1, count);
    setSelection(m_selLeft, m_selRight);
    updateScrollBar();
    viewport()->update();
}

void TFrameStrip::setFrameSize(int size)
{
    m_frameSize = size;
    setMinimumHeight(rowHeight() + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth());
    updateScrollBar();
    viewport()->update();
}

void TFrameStrip::setSelection(int left, int right)
{
    const int last = m_columnCount - 1;
    left = std::clamp(left, 0, last);
    right = std::clamp(right, 0, last);
    if (left > right)
        std::swap(left, right);
    if (left == m_selLeft && right == m_selRight)
        return;
    m_selLeft = left;
    m_selRight = right;
    viewport()->update();
}

void TFrameStrip::selectColumn(int column)
{
    setSelection(column, column);
}

void TFrameStrip::selectAll()
{
    setSelection(0, m_columnCount - 1);
}

void TFrameStrip::clearStrip()
{
    m_currentFrame = -1;
    m_attached = false;
    m_dragArmed = false;
    m_columnCount = 1;
    m_selLeft = m_selRight = 0;
    horizontalScrollBar()->setValue(0);
    updateScrollBar();
    viewport()->update();
}

QRect TFrameStrip::cellRect(int column) const
{
    return QRect(column * columnWidth() - horizontalScrollBar()->value(), 0, columnWidth(), rowHeight());
}

int TFrameStrip::columnAt(const QPoint& viewportPos) const
{
    if (viewportPos.y() < 0 || viewportPos.y() >= rowHeight())
        return -1;
    const int x = viewportPos.x() + horizontalScrollBar()->value();
    if (x < 0)
        return -1;
    const int column = x / columnWidth();
    return column < m_columnCount ? column : -1;
}

void TFrameStrip::scrollToColumn(int column)
{
    QScrollBar* bar = horizontalScrollBar();
    const int left = column * columnWidth();
    // A cell wider than the viewport (a strip not laid out yet, say) shows from its left edge.
    if (left < bar->value() || columnWidth() > viewport()->width())
        bar->setValue(left);
    else if (left + columnWidth() > bar->value() + viewport()->width())
        bar->setValue(left + columnWidth() - viewport()->width());
}

std::pair<int, int> TFrameStrip::visibleColumns() const
{
    const int offset = horizontalScrollBar()->value();
    const int first = offset / columnWidth();
    const int last = std::min(m_columnCount - 1, (offset + viewport()->width() - 1) / columnWidth());
    return {first, last};
}

QSize TFrameStrip::thumbnailSize(const QSize& bitmap, int frameSize)
{
    const int width = bitmap.width();
    const int height = bitmap.height();
    if (width <= 0 || height <= 0)
        return {0, 0};
    if (width <= frameSize + 1 && height <= frameSize + 1)
        return bitmap;
    // The larger side becomes the frame size; the other is truncated, never below one pixel so
    // a very thin frame still shows.
    if (width > height)
        return {frameSize, std::max(1, int(double(frameSize) / width * height))};
    return {std::max(1, int(double(frameSize) / height * width)), frameSize};
}

void TFrameStrip::resetPaintCounters()
{
    m_paintedCells = 0;
    m_lastPainted = -1;
}

void TFrameStrip::updateScrollBar()
{
    QScrollBar* bar = horizontalScrollBar();
    const int total = m_columnCount * columnWidth();
    bar->setRange(0, std::max(0, total - viewport()->width()));
    bar->setSingleStep(columnWidth());
    bar->setPageStep(std::max(1, viewport()->width()));
}

void TFrameStrip::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void TFrameStrip::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    if (!m_image || m_image->images().count() == 0)
        return;
    const auto [first, last] = visibleColumns();
    for (int column = first; column <= last; ++column) {
        const QRect cell = cellRect(column);
        if (cell.intersects(event->rect()))
            drawCell(painter, column, cell);
    }
}

void TFrameStrip::drawCell(QPainter& painter, int column, const QRect& cellIn)
{
    if (!m_image || column < 0 || column >= m_image->images().count() || column >= m_columnCount)
        return;
    TGIFSubImage& frame = *m_image->images().subImage(column);
    ++m_paintedCells;
    m_lastPainted = std::max(m_lastPainted, column);

    const QPalette& pal = palette();
    const QFontMetrics metrics(font());
    const int lineHeight = metrics.boundingRect(QStringLiteral("Aq")).height() + 3;
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(pal.color(QPalette::ButtonText));

    // Qt rectangles end one pixel before their right/bottom edge; the cell's edges are the
    // exclusive ones of the grid.
    const int cellLeft = cellIn.left();
    const int cellTop = cellIn.top();
    const int cellRight = cellIn.left() + cellIn.width();
    const int cellBottom = cellIn.top() + cellIn.height();

    QRect body = cellIn.adjusted(3, 3, -3, -3);
    painter.fillRect(body, pal.color(QPalette::Button));
    qDrawWinPanel(&painter, body, pal, false);

    std::shared_ptr<TBitmap> bitmap;
    {
        // Rendering reports progress, and the status bar's progress display repaints at once:
        // a repaint of another widget inside this paint event would break this painter.
        struct TMuteProgress
        {
            TGIFImage& image;
            TProgressEvent saved = std::exchange(image.onProgress, TProgressEvent());
            ~TMuteProgress() { image.onProgress = std::move(saved); }
        } mute{*m_image};
        try {
            bitmap = stripFrameBitmap(frame);
        } catch (const std::exception&) {
            bitmap.reset(); // a frame that does not render shows its bars only
        }
    }
    if (bitmap && bitmap->width() > 0 && bitmap->height() > 0) {
        const QSize size = thumbnailSize(QSize(bitmap->width(), bitmap->height()), m_frameSize);
        if (m_scratch.size() != size)
            m_scratch = QImage(size, QImage::Format_RGB32);
        drawThumbnail(frame, *bitmap, size);
        const int left = cellLeft + (cellIn.width() - size.width()) / 2;
        const int top = cellTop + (cellIn.height() - size.height()) / 2;
        const QRect thumb(QPoint(left, top), size);
        sunkenEdge(painter, thumb.adjusted(-1, -1, 1, 1), pal);
        painter.drawImage(thumb.topLeft(), m_scratch);
        if (column >= m_selLeft && column <= m_selRight) {
            painter.setPen(pal.color(QPalette::Highlight));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(thumb.adjusted(-3, -3, 2, 2));
            painter.drawRect(thumb.adjusted(-4, -4, 3, 3));
            painter.setPen(pal.color(QPalette::ButtonText));
        }
    }

    const QRect header(QPoint(cellLeft + 3, cellTop + 3),
                       QPoint(cellRight - 3 - 1, cellTop + 3 + lineHeight - 1));
    sunkenEdge(painter, header, pal);
    painter.drawText(header.left() + 1, header.top() + metrics.ascent() + 1, QString::number(column));
    const QString size = QStringLiteral("%1 x %2").arg(frame.height()).arg(frame.width());
    painter.drawText(header.right() + 1 - 2 - metrics.horizontalAdvance(size),
                     header.top() + metrics.ascent() + 2, size);

    const QRect footer(QPoint(cellLeft + 3, cellBottom - 20), QPoint(cellRight - 3 - 1, cellBottom - 2 - 1));
    sunkenEdge(painter, footer, pal);
    if (!m_footerIcon.isNull())
        m_footerIcon.paint(&painter, QRect(cellLeft + 5, cellBottom - 20, 16, 16));
    const TGIFGraphicControlExtension* control = frame.graphicControlExtension();
    const int delay = control ? control->delay() : Settings::readInteger(SettingKeys::DefaultDelay);
    painter.drawText(footer.left() + 18, footer.top() + 1 + metrics.ascent(), QString::number(delay));
}

void TFrameStrip::chooseColumn(int column)
{
    if (column < 0 || column >= m_columnCount)
        return;
    selectColumn(column);
    scrollToColumn(column);
    if (m_attached)
        emit cellSelected(column);
}

void TFrameStrip::keyPressEvent(QKeyEvent* event)
{
    const int from = m_currentFrame >= 0 ? m_currentFrame : m_selLeft;
    switch (event->key()) {
    case Qt::Key_Left:
        chooseColumn(std::max(0, from - 1));
        break;
    case Qt::Key_Right:
        chooseColumn(std::min(m_columnCount - 1, from + 1));
        break;
    case Qt::Key_Home:
        chooseColumn(0);
        break;
    case Qt::Key_End:
        chooseColumn(m_columnCount - 1);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TFrameStrip::wheelEvent(QWheelEvent* event)
{
    // One row only: the wheel, either way, scrolls along the strip.
    const QPoint delta = event->angleDelta();
    const int steps = (delta.x() != 0 ? delta.x() : delta.y()) / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(bar->value() - steps * bar->singleStep());
    event->accept();
}

void TFrameStrip::mousePressEvent(QMouseEvent* event)
{
    m_dragArmed = false;
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_attached = true;
    const int column = columnAt(event->position().toPoint());
    if (column < 0)
        return;
    if ((event->modifiers() & Qt::ControlModifier) && m_currentFrame >= 0) {
        setSelection(m_currentFrame, column);
        emit rangeSelected();
    } else {
        chooseColumn(column);
    }
    // Only a single frame is dragged; a range stays where it is.
    if (m_currentFrame >= 0 && singleSelection()) {
        m_dragArmed = true;
        m_pressPos = event->position().toPoint();
    }
}

void TFrameStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragArmed || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < kDragDistance)
        return;
    m_dragArmed = false;
    if (m_currentFrame < 0 || !singleSelection())
        return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kFrameMime), QByteArray::number(m_currentFrame));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

void TFrameStrip::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragArmed = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TFrameStrip::contextMenuEvent(QContextMenuEvent* event)
{
    // The pop-up's commands act on the selection, so a right click on a frame outside it makes
    // that frame the selection first; inside a range the range stays.
    if (event->reason() == QContextMenuEvent::Mouse) {
        const int column = columnAt(event->pos());
        const bool insideSelection = column >= m_selLeft && column <= m_selRight;
        if (column >= 0 && !insideSelection) {
            setFocus(Qt::MouseFocusReason);
            m_attached = true;
            chooseColumn(column);
        }
    }
    if (m_contextMenu)
        m_contextMenu->popup(event->globalPos());
}

bool TFrameStrip::dropAcceptable(const QMimeData* data, const QPoint& pos) const
{
    if (!data)
        return false;
    if (data->hasFormat(QString::fromLatin1(kThumbnailMime)))
        return true;
    if (columnAt(pos) < 0)
        return false;
    return data->hasFormat(QString::fromLatin1(kFrameMime)) ||
           data->hasFormat(QString::fromLatin1(kViewMime));
}

void TFrameStrip::dragEnterEvent(QDragEnterEvent* event)
{
    // The column is checked on every move; entering only needs a format the strip takes.
    const QMimeData* data = event->mimeData();
    if (data &&
        (data->hasFormat(QString::fromLatin1(kThumbnailMime)) ||
         data->hasFormat(QString::fromLatin1(kFrameMime)) || data->hasFormat(QString::fromLatin1(kViewMime))))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFrameStrip::dragMoveEvent(QDragMoveEvent* event)
{
    if (dropAcceptable(event->mimeData(), event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFrameStrip::dropEvent(QDropEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QMimeData* data = event->mimeData();
    if (!dropAcceptable(data, pos)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const int column = columnAt(pos);
    if (data->hasFormat(QString::fromLatin1(kThumbnailMime)))
        emit thumbnailDropped(column, data);
    else if (data->hasFormat(QString::fromLatin1(kFrameMime)))
        emit frameDropped(column);
    else
        emit viewDropped(column);
    viewport()->update();
}
