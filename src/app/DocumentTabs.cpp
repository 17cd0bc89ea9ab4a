#include "app/DocumentTabs.h"

#include "editing/Document.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace {

// The bullet of a modified document: character 0xB7. It is drawn in the tab's own font, which
// has it at that code point; a "Symbol" face is seldom installed on Linux desktops.
constexpr char16_t kBullet = 0x00B7;
constexpr int kSelectedTextLeft = 9;
constexpr int kOtherTextLeft = 5;
constexpr int kOtherTextDrop = 2;
constexpr int kSelectedBulletLeft = 2;
constexpr int kOtherBulletLeft = 0;

} // namespace

TDocumentTabs::TDocumentTabs(QWidget* parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("tabDocuments"));
    setMouseTracking(true);
    setDrawBase(true);
    setExpanding(false);
    setElideMode(Qt::ElideNone);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

int TDocumentTabs::addDocumentTab(TDocument* doc, const QString& text)
{
    const int index = addTab(text);
    setTabData(index, QVariant::fromValue(static_cast<QObject*>(doc)));
    return index;
}

TDocument* TDocumentTabs::document(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return qobject_cast<TDocument*>(tabData(index).value<QObject*>());
}

QSize TDocumentTabs::tabSizeHint(int index) const
{
    // Room for the bullet and the wider left margin of the selected tab.
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(fontMetrics().horizontalAdvance(tabText(index)) + kSelectedTextLeft +
                  fontMetrics().horizontalAdvance(QChar(kBullet)) + 12);
    return size;
}

void TDocumentTabs::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        // The frame of the tab comes from the style; the text and the bullet are ours.
        option.text.clear();
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        const QRect rect = tabRect(i);
        const bool selected = i == currentIndex();
        const TDocument* doc = document(i);
        const bool modified = doc && doc->isModified();
        painter.setFont(font());
        const QFontMetrics metrics(font());
        const int textTop =
            rect.top() + (rect.height() - metrics.height()) / 2 + (selected ? 0 : kOtherTextDrop);
        const QColor textColor =
            modified ? palette().color(QPalette::Highlight) : palette().color(QPalette::WindowText);
        if (modified) {
            painter.setPen(palette().color(QPalette::Highlight));
            const int bulletLeft = rect.left() + (selected ? kSelectedBulletLeft : kOtherBulletLeft);
            painter.drawText(
                QRect(bulletLeft, textTop, metrics.horizontalAdvance(QChar(kBullet)) + 2, metrics.height()),
                Qt::AlignLeft | Qt::AlignTop, QString(QChar(kBullet)));
        }
        painter.setPen(textColor);
        const int textLeft = rect.left() + (selected ? kSelectedTextLeft : kOtherTextLeft);
        painter.drawText(QRect(textLeft, textTop, rect.right() - textLeft, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop, tabText(i));
    }
}

void TDocumentTabs::setHover(int index)
{
    if (index == m_hoverIndex)
        return;
    m_hoverIndex = index;
    emit hoverChanged(index);
}

void TDocumentTabs::mouseMoveEvent(QMouseEvent* event)
{
    setHover(tabAt(event->position().toPoint()));
    QTabBar::mouseMoveEvent(event);
}

void TDocumentTabs::mousePressEvent(QMouseEvent* event)
{
    const int index = tabAt(event->position().toPoint());
    setHover(index);
    if (event->button() == Qt::LeftButton && index >= 0)
        emit tabPressed(index);
    QTabBar::mousePressEvent(event);
}

void TDocumentTabs::leaveEvent(QEvent* event)
{
    setHover(-1);
    QTabBar::leaveEvent(event);
}
