#include "app/Childwin.h"

#include "app/FrameStrip.h"
#include "app/MainActions.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/UIHelpers.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

QColor toQColor(TColor color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

constexpr const char* kEmptyCaption = "  ";
constexpr int kStatusPanelWidths[3] = {20, 75, 50};

} // namespace

// The paint box showing the displayed frame at its offset inside the frame panel.
class TDocumentView : public QWidget
{
public:
    TDocumentView(TMDIChild& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
    {
        setObjectName(QStringLiteral("imgView"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (const TBitmap* bitmap = m_doc.previewBitmap(); bitmap && !bitmap->empty()) {
            QImage picture = bitmap->toImage().convertToFormat(QImage::Format_ARGB32);
            if (m_doc.frameTransparent()) {
                // Transparent pixels show the frame background colour of the settings.
                const QColor background = toQColor(m_doc.frameBackground());
                painter.fillRect(rect(), background);
                const QRgb key = toQColor(m_doc.transparentColor()).rgb() | 0xFF000000u;
                for (int y = 0; y < picture.height(); ++y) {
                    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
                    for (int x = 0; x < picture.width(); ++x)
                        if ((line[x] | 0xFF000000u) == key)
                            line[x] = background.rgb();
                }
            }
            painter.drawImage(0, 0, picture);
        }
        // The frame's bounds inside the animation.
        QPen pen(Qt::black);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }

    // A press and 10 pixels of travel drag the shown frame's picture: dropped on the frame
    // strip it is inserted there.
    void mousePressEvent(QMouseEvent* event) override
    {
        m_dragArmed = event->button() == Qt::LeftButton;
        m_pressPos = event->position().toPoint();
        QWidget::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_dragArmed || !(event->buttons() & Qt::LeftButton) ||
            (event->position().toPoint() - m_pressPos).manhattanLength() < kViewDragDistance)
            return;
        m_dragArmed = false;
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(TFrameStrip::kViewMime), QByteArray());
        QDrag drag(this);
        drag.setMimeData(data);
        drag.exec(Qt::CopyAction);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        m_dragArmed = false;
        QWidget::mouseReleaseEvent(event);
    }

private:
    static constexpr int kViewDragDistance = 10;
    TMDIChild& m_doc;
    QPoint m_pressPos;
    bool m_dragArmed = false;
};

// The document's three-panel status bar; the first panel is drawn here (the modified image).
class TDocumentStatusBar : public QWidget
{
public:
    TDocumentStatusBar(TMDIChild& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
    {
        setObjectName(QStringLiteral("stbDocument"));
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        for (int i = 0; i < 3; ++i) {
            auto* panel = new QLabel(this);
            panel->setObjectName(QStringLiteral("pnlDocStatus%1").arg(i));
            panel->setFrameShape(QFrame::Panel);
            panel->setFrameShadow(QFrame::Sunken);
            if (i < 2)
                panel->setFixedWidth(kStatusPanelWidths[i]);
            else
                panel->setMinimumWidth(kStatusPanelWidths[i]);
            layout->addWidget(panel, i == 2 ? 1 : 0);
            m_panels[i] = panel;
        }
        m_panels[0]->installEventFilter(this);
        setMouseTracking(true);
    }
    QLabel* panel(int index) const { return index >= 0 && index < 3 ? m_panels[index] : nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_panels[0] && event->type() == QEvent::Paint) {
            QPainter painter(m_panels[0]);
            painter.fillRect(m_panels[0]->rect(), palette().color(QPalette::Window));
            if (m_doc.isModified()) {
                const QPixmap image = mainImage(imgModified).pixmap(16, 16);
                const QRect area = m_panels[0]->rect();
                painter.drawPixmap(area.left() + (area.width() - image.width()) / 2,
                                   area.top() + (area.height() - image.height()) / 2, image);
            }
            return true;
        }
        if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            const QPoint at = static_cast<QWidget*>(watched)->mapTo(this, help->pos());
            showHint(at, help->globalPos());
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            showHint(help->pos(), help->globalPos());
            return true;
        }
        return QWidget::event(event);
    }

private:
    void showHint(const QPoint& at, const QPoint& global)
    {
        const QString hint = m_doc.statusHintAt(at.x());
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(global, hint, this);
    }

    TMDIChild& m_doc;
    QLabel* m_panels[3] = {};
};

TMDIChild::TMDIChild(TEditSession& session, TDocument& document, TDocumentViewOptions options)
    : m_session(session), m_document(&document), m_options(std::move(options))
{
    setObjectName(QStringLiteral("MDIChild"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    m_previewBitmap = std::make_unique<TBitmap>();
    setWindowTitle(document.displayName());
    m_view->setCursor(m_options.cursor);
    connect(&document, &TDocument::stateChanged, this, [this] {
        if (m_document)
            setWindowTitle(m_document->displayName());
        repaintStatus();
    });
    TGIFImage& image = m_session.workingImage();
    if (image.width() != 0)
        resize(image.width() + 70, image.height() + 65);
    else
        resize(kInitialClientWidth, kInitialClientHeight + 20);
}

TMDIChild::~TMDIChild() = default;

void TMDIChild::buildLayout()
{
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("pnlDocument"));
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_scrollBox = new QScrollArea(content);
    m_scrollBox->setObjectName(QStringLiteral("sbxView"));
    m_scrollBox->setAcceptDrops(true);
    m_scrollBox->setWidgetResizable(true);
    m_scrollContent = new QWidget;
    m_scrollBox->setWidget(m_scrollContent);
    m_framePanel = new QFrame(m_scrollContent);
    m_framePanel->setObjectName(QStringLiteral("pnlFrame"));
    m_framePanel->setFrameShape(QFrame::Panel);
    m_framePanel->setFrameShadow(QFrame::Sunken);
    m_framePanel->setAutoFillBackground(true);
    m_view = new TDocumentView(*this, m_framePanel);
    m_statusBar = new TDocumentStatusBar(*this, content);
    layout->addWidget(m_scrollBox, 1);
    layout->addWidget(m_statusBar);
    // The frame strip's pop-up menu serves the view and the panel too.
    for (QWidget* target : {static_cast<QWidget*>(m_framePanel), static_cast<QWidget*>(m_view)}) {
        target->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(target, &QWidget::customContextMenuRequested, this, [this, target](const QPoint& pos) {
            if (m_options.framePopup)
                m_options.framePopup->popup(target->mapToGlobal(pos));
        });
    }
    setWidget(content);
}

QString TMDIChild::fileName() const
{
    return m_document ? m_document->fileName() : QString();
}

QString TMDIChild::displayName() const
{
    return m_document ? m_document->displayName() : QString();
}

bool TMDIChild::isModified() const
{
    return m_document && m_document->isModified();
}

bool TMDIChild::isClosing() const
{
    return !m_document || m_document->isClosing();
}

TColor TMDIChild::frameBackground() const
{
    return m_options.frameBackground ? m_options.frameBackground() : TColor(0xFFFFFF);
}

QLabel* TMDIChild::statusPanel(int index) const
{
    return m_statusBar->panel(index);
}

QWidget* TMDIChild::view() const
{
    return m_view;
}

QWidget* TMDIChild::framePanel() const
{
    return m_framePanel;
}

QString TMDIChild::statusHintAt(int x) const
{
    const int limit = kStatusPanelWidths[0] + kStatusPanelWidths[1];
    return isModified() && x <= limit ? QStringLiteral("Animation is modified") : QString();
}

void TMDIChild::repaintStatus()
{
    m_statusBar->panel(1)->setText(isModified() ? QStringLiteral("Modified") : QString());
    m_statusBar->panel(0)->update();
    m_statusBar->update();
}

// ---- view ----

void TMDIChild::showFrame(TGIFSubImage& frame)
{
    TGIFImage& image = m_session.workingImage();
    suspendDrawing(*m_scrollBox, true);
    m_framePanel->resize(image.width(), image.height());
    m_statusBar->panel(2)->setText(QStringLiteral("%1 - [Height: %2 x Width: %3]")
                                       .arg(displayName())
                                       .arg(image.height())
                                       .arg(image.width()));
    recenter();
    if (TGIFGraphicControlExtension* control = frame.graphicControlExtension()) {
        m_frameTransparent = control->transparent();
        m_transparentColor = control->shownTransparentColor();
    }
    try {
        std::unique_ptr<TBitmap> picture = m_session.framePicture(frame);
        m_previewBitmap = picture ? std::move(picture) : std::make_unique<TBitmap>();
    } catch (const std::exception&) {
        // A frame that cannot be drawn shows as its empty bounds.
        m_previewBitmap = std::make_unique<TBitmap>();
    }
    m_view->setGeometry(frame.left(), frame.top(), frame.width(), frame.height());
    QPalette palette = m_framePanel->palette();
    palette.setColor(QPalette::Window, toQColor(frameBackground()));
    m_framePanel->setPalette(palette);
    m_view->update();
    suspendDrawing(*m_scrollBox, false);
}

void TMDIChild::showFrame(int index)
{
    TGIFImage& image = m_session.workingImage();
    if (index >= 0 && index < image.images().count())
        showFrame(*image.images().subImage(index));
}

void TMDIChild::recenter()
{
    const QSize client = m_scrollBox->viewport()->size();
    const QSize panel = m_framePanel->size();
    m_scrollContent->setMinimumSize(panel.width() + 2 * kScrollMargin, panel.height() + 2 * kScrollMargin);
    const int left = panel.width() < client.width() ? (client.width() - panel.width()) / 2 : kScrollMargin;
    const int top = panel.height() < client.height() ? (client.height() - panel.height()) / 2 : kScrollMargin;
    m_framePanel->move(left, top);
    m_scrollBox->horizontalScrollBar()->setValue(0);
    m_scrollBox->verticalScrollBar()->setValue(0);
}

void TMDIChild::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    recenter();
}

void TMDIChild::changeEvent(QEvent* event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        recenter();
}

// ---- closing ----

void TMDIChild::closeEvent(QCloseEvent* event)
{
    // The close button and Close of the system menu ask the document manager, which asks the
    // close question; a document that already went takes the window with it.
    if (m_document && !m_document->isClosing()) {
        m_inCloseEvent = true;
        const bool closed = m_session.documents().close(m_document);
        m_inCloseEvent = false;
        if (!closed) {
            event->ignore();
            return;
        }
    }
    QMdiSubWindow::closeEvent(event);
}

void TMDIChild::closeView()
{
    if (!m_inCloseEvent)
        close();
}
