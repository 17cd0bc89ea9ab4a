#include "widgets/ColorComboBox.h"

#include <QPainter>
#include <QPixmap>

namespace {

struct TNamedColor
{
    const char* name;
    TColor color;
};

constexpr TNamedColor kNamedColors[] = {
    {"Aqua", clAqua}, {"Black", clBlack}, {"Blue", clBlue},     {"Fuchsia", clFuchsia},
    {"Gray", clGray}, {"Green", clGreen}, {"Lime", clLime},     {"Maroon", clMaroon},
    {"Navy", clNavy}, {"Olive", clOlive}, {"Purple", clPurple}, {"Silver", clSilver},
    {"Teal", clTeal}, {"White", clWhite}, {"Yellow", clYellow},
};

QIcon swatch(TColor color)
{
    QPixmap picture(16, 12);
    picture.fill(QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)));
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(picture);
}

} // namespace

TColorComboBox::TColorComboBox(TColor defaultColor, QWidget* parent)
    : QComboBox(parent), m_default(defaultColor & 0xFFFFFF)
{
    addColor(QStringLiteral("Default"), m_default);
    for (const TNamedColor& named : kNamedColors)
        addColor(QString::fromLatin1(named.name), named.color);
}

void TColorComboBox::addColor(const QString& name, TColor color)
{
    addItem(swatch(color), name, QVariant::fromValue(uint(color)));
}

TColor TColorComboBox::color() const
{
    return TColor(currentData().toUInt()) & 0xFFFFFF;
}

void TColorComboBox::setColor(TColor color)
{
    color &= 0xFFFFFF;
    // A named colour is preferred over "Default" when both match.
    for (int i = 1; i < count(); ++i) {
        if (TColor(itemData(i).toUInt()) == color) {
            setCurrentIndex(i);
            return;
        }
    }
    if (color == m_default) {
        setCurrentIndex(0);
        return;
    }
    addColor(QStringLiteral("$%1").arg(color, 6, 16, QLatin1Char('0')).toUpper(), color);
    setCurrentIndex(count() - 1);
}
