#include "widgets/SwatchGrid.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {

QColor toQColor(TColor color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

} // namespace

TSwatchGrid::TSwatchGrid(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kSide, kSide);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void TSwatchGrid::setColors(const std::vector<TColor>& colors)
{
    m_colors = colors;
    if (m_selected >= int(m_colors.size()))
        m_selected = -1;
    update();
}

void TSwatchGrid::setSelected(int index)
{
    m_selected = index >= 0 && index < int(m_colors.size()) ? index : -1;
    update();
}

int TSwatchGrid::entryAt(QPoint position, int count)
{
    const int x = position.x() - kOrigin;
    const int y = position.y() - kOrigin;
    if (x < 0 || y < 0 || x >= kColumns * kSwatch || y >= kRows * kSwatch)
        return -1;
    const int index = x / kSwatch + kColumns * (y / kSwatch);
    return index < count ? index : -1;
}

QRect TSwatchGrid::swatchRect(int index)
{
    return QRect(kOrigin + (index % kColumns) * kSwatch, kOrigin + (index / kColumns) * kSwatch, kSwatch,
                 kSwatch);
}

void TSwatchGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(event->rect(), pal.window());
    qDrawShadePanel(&painter, rect(), pal, true, 2);
    for (int i = 0; i < int(m_colors.size()); ++i) {
        const QRect cell = swatchRect(i);
        if (!cell.intersects(event->rect()))
            continue;
        painter.fillRect(cell, toQColor(m_colors[size_t(i)]));
        qDrawShadePanel(&painter, cell, pal, false, 1);
    }
    if (m_selected >= 0) {
        painter.setPen(QPen(Qt::red, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(swatchRect(m_selected)).adjusted(1, 1, -1, -1));
    }
}

void TSwatchGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    emit clicked(entryAt(event->position().toPoint(), int(m_colors.size())));
}

void TSwatchGrid::mouseMoveEvent(QMouseEvent* event)
{
    const bool over = entryAt(event->position().toPoint(), int(m_colors.size())) >= 0;
    setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
}
