#pragma once
// A grid of colour swatches, 16 to a row, each 15 x 15 pixels with a raised edge, inside a
// 2-pixel sunken border; the selected swatch carries a red frame 2 pixels wide. Used by the
// palette dialog and the inspector's palette page. GUI thread only.
#include "graphics/Colors.h"

#include <QWidget>

#include <vector>

class TSwatchGrid : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kColumns = 16;
    static constexpr int kRows = 16;
    static constexpr int kSwatch = 15;
    // The first swatch's top-left corner in widget coordinates (border 2 + 1).
    static constexpr int kOrigin = 3;
    static constexpr int kSide = kOrigin + kColumns * kSwatch + kOrigin;

    explicit TSwatchGrid(QWidget* parent = nullptr);

    void setColors(const std::vector<TColor>& colors);
    const std::vector<TColor>& colors() const { return m_colors; }
    // -1 shows no selection frame.
    void setSelected(int index);
    int selected() const { return m_selected; }

    // The entry under a widget position, or -1. Positions on the right-hand edge of a row
    // (X = 243) would fall on the next row's first swatch: they select nothing.
    static int entryAt(QPoint position, int count);
    // The swatch rectangle of an entry, in widget coordinates.
    static QRect swatchRect(int index);

    QSize sizeHint() const override { return {kSide, kSide}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // A left click: the entry under the pointer, or -1 when there is none.
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::vector<TColor> m_colors;
    int m_selected = -1;
};
