#include "app/Childwin.h"

#include "app/DocumentTabs.h"
#include "app/FrameStrip.h"
#include "app/Main.h"
#include "app/MainActions.h"
#include "editing/Routines.h"
#include "editing/UndoHistory.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "platform/TempFiles.h"

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

TMDIChild::TMDIChild(TfrmMain& main, const QString& fileName, bool untitled)
    : m_main(main), m_fileName(fileName), m_untitled(untitled)
{
    setObjectName(QStringLiteral("MDIChild"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kEmptyCaption));
    buildLayout();

    // Creation steps.
    if (TMDIChild* previous = m_main.activeDocument())
        previous->setLoaded(false);
    m_previewBitmap = std::make_unique<TBitmap>();
    m_history = std::make_unique<THistoryList>(kDefaultUndoCapacity);
    m_undoCapacity = kDefaultUndoCapacity;
    m_currentFrame = 0;
    m_loaded = true;
    setWindowTitle(displayName()); // the full path is in the tab's hover text and the status bar
    m_main.documentTabs()->addDocumentTab(this, displayName());
    m_main.tabPanel()->show();
    if (QWidget* bevel = m_main.findChild<QWidget*>(QStringLiteral("bvlTop")))
        bevel->hide();
    m_view->setCursor(m_main.dragCursor());
    TGIFImage& image = *::workingImage();
    if (image.width() != 0)
        resize(image.width() + 70, image.height() + 65);
    else
        resize(kInitialClientWidth, kInitialClientHeight + 20);
}

TMDIChild::~TMDIChild()
{
    // Destruction: the working copy goes with the document; the history's snapshot files go
    // with the history.
    deleteTempFile(m_workingCopy);
    m_workingCopy.clear();
    if (m_history) {
        m_history->clear();
        m_history.reset();
    }
    m_previewBitmap.reset();
}

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
            if (QMenu* popup = m_main.menu(QStringLiteral("pmnFrames")))
                popup->popup(target->mapToGlobal(pos));
        });
    }
    setWidget(content);
}

QString TMDIChild::displayName() const
{
    return QFileInfo(m_fileName).fileName();
}

TColor TMDIChild::frameBackground() const
{
    return m_main.state().frameTransparentColor;
}

void TMDIChild::setUndoCapacity(int value)
{
    if (value < 0 || unsigned(value) == m_undoCapacity)
        return;
    m_undoCapacity = unsigned(value);
    if (m_history)
        m_history->setCapacity(value);
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
    return m_modified && x <= limit ? QStringLiteral("Animation is modified") : QString();
}

void TMDIChild::repaintStatus()
{
    m_statusBar->panel(1)->setText(m_modified ? QStringLiteral("Modified") : QString());
    m_statusBar->panel(0)->update();
    m_statusBar->update();
}

// ---- modified state, working copy, saving ----

void TMDIChild::setModified(bool value)
{
    if (value) {
        if (m_workingCopy.isEmpty()) {
            m_workingCopy = createTempFile(QStringLiteral("~GA"));
            if (m_workingCopy.isEmpty())
                messageDlg(QStringLiteral("Error saving file! Unable to save %1 to disk.")
                               .arg(QDir(QDir::tempPath()).filePath(QStringLiteral("~GA"))),
                           TMsgType::Warning, TMsgButtons::Ok);
        }
        // Every change rewrites the copy, so a document left for another one never loses its
        // latest state. A failed write has been reported; the document stays open with its
        // animation in memory and its history, so the user can still save it elsewhere (the
        // copy is written again on the next change or deactivation).
        if (!m_workingCopy.isEmpty() && !::workingImage()->empty())
            saveGIFFile(*::workingImage(), m_workingCopy, false, true);
    }
    m_modified = value;
    repaintStatus();
    m_main.refreshSaveCommands();
    m_main.repaintTabs();
}

void TMDIChild::deleteWorkingCopy()
{
    deleteTempFile(m_workingCopy);
    m_workingCopy.clear();
    m_undoPosition = 0;
}

bool TMDIChild::saveWorkingCopy()
{
    if (m_workingCopy.isEmpty())
        return false;
    return saveGIFFile(*::workingImage(), m_workingCopy, false, false);
}

bool TMDIChild::saveQuery(bool saveAs, bool force)
{
    if (!force && m_modified) {
        QApplication::beep();
        const TMsgResult answer =
            messageDlg(QStringLiteral("Would you like to save changes to %1?").arg(displayName()),
                       TMsgType::Confirmation, TMsgButtons::YesNoCancel);
        if (answer == TMsgResult::Cancel)
            return false;
        if (answer != TMsgResult::Yes)
            return true;
        force = true;
    }
    if (!force)
        return true;
    if (saveAs || m_untitled) {
        const QString chosen = m_main.askSaveFileName(saveAs ? QString() : displayName());
        if (chosen.isEmpty())
            return false;
        setFileName(chosen);
    }
    return writeToFile();
}

bool TMDIChild::writeToFile()
{
    m_fileName = QFileInfo(m_fileName).absoluteFilePath();
    if (!saveGIFFile(*::workingImage(), m_fileName, true, true)) {
        // The animation exists only in memory now when a new name was set on the way here
        // (which clears the modified flag and the working copy): keep it marked modified, with
        // a working copy, so neither closing nor switching documents can drop it unasked.
        if (!m_modified)
            setModified(true);
        return false;
    }
    m_modified = false;
    m_untitled = false;
    if (m_history)
        m_history->clear();
    deleteWorkingCopy();
    refreshUndoState(*this);
    setWindowTitle(displayName());
    repaintStatus();
    m_main.refreshSaveCommands();
    m_main.repaintTabs();
    return true;
}

void TMDIChild::setFileName(const QString& name)
{
    m_fileName = QFileInfo(name).absoluteFilePath();
    m_untitled = false;
    m_modified = false;
    setWindowTitle(displayName());
    deleteWorkingCopy();
    m_main.documentRenamed(this);
    refreshUndoState(*this);
    repaintStatus();
}

// ---- activation ----

void TMDIChild::activate()
{
    m_main.pausePlayback();
    if (!m_loaded && !m_loadPending) {
        m_loadPending = true;
        QCoreApplication::postEvent(this, new QEvent(kMsgLoadActiveDocument));
    }
    if (windowTitle() != QLatin1String(kEmptyCaption)) {
        const int tab = m_main.tabIndex(this);
        if (tab >= 0 && m_main.documentTabs()->currentIndex() != tab)
            m_main.documentTabs()->setCurrentIndex(tab);
        refreshUndoState(*this);
        m_view->show();
    }
}

void TMDIChild::deactivate()
{
    if (m_loaded) {
        const int count = m_history ? m_history->count() : 0;
        if (count != m_undoPosition && !m_workingCopy.isEmpty() && QFileInfo::exists(m_workingCopy)) {
            if (saveWorkingCopy())
                m_undoPosition = count;
        }
        m_view->show();
        m_main.setStatusText(2, QString());
    }
    if (m_main.documentCount() > 1)
        m_loaded = false;
}

bool TMDIChild::event(QEvent* event)
{
    if (event->type() == kMsgLoadActiveDocument) {
        if (m_loadPending)
            loadNow();
        return true;
    }
    return QMdiSubWindow::event(event);
}

bool TMDIChild::loadNow()
{
    m_loadPending = false;
    if (m_closing)
        return false;
    const QString source = m_workingCopy.isEmpty() ? m_fileName : m_workingCopy;
    if (!m_main.reloadActiveDocument(source))
        return false;
    m_main.refreshSaveCommands();
    m_loaded = true;
    return true;
}

bool TMDIChild::reloadDocument(const QString& fileName)
{
    return m_main.reloadActiveDocument(fileName);
}

void TMDIChild::markForRefresh()
{
    m_loaded = true;
    m_undoPosition = -1;
}

void TMDIChild::bringToFront()
{
    m_main.mdiArea()->setActiveSubWindow(this);
    QCoreApplication::removePostedEvents(this, kMsgLoadActiveDocument);
    m_loadPending = false;
}

// ---- view ----

void TMDIChild::showFrame(TGIFSubImage& frame)
{
    TGIFImage& image = *::workingImage();
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
        std::unique_ptr<TBitmap> picture = framePicture(frame);
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
    TGIFImage& image = *::workingImage();
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
    if (!m_closing && !saveQuery(false, false)) {
        event->ignore();
        return;
    }
    m_main.stopPlayback();
    m_closing = true;
    m_main.documentClosing(this);
    QMdiSubWindow::closeEvent(event);
}

void TMDIChild::closeWithoutQuery()
{
    m_main.removeDocument(this);
}

// ---- the undo host ----

TGIFImage& TMDIChild::workingImage()
{
    return *::workingImage();
}

TProgressEvent TMDIChild::snapshotProgress()
{
    return m_main.progressHandler();
}

void TMDIChild::frameColumnsChanged(int delta)
{
    m_main.setFrameColumns(std::max(1, m_main.frameColumnCount() + delta));
}

int TMDIChild::currentFrame() const
{
    return m_main.mainCurrentFrame();
}

void TMDIChild::selectFrame(int index)
{
    m_main.selectFrame(index);
}

THistoryList& TMDIChild::ensureHistory()
{
    if (!m_history)
        m_history = std::make_unique<THistoryList>(int(m_undoCapacity));
    return *m_history;
}

void TMDIChild::setUndoAction(bool enabled, const QString& caption)
{
    if (QAction* undo = m_main.action(QStringLiteral("EditUndo"))) {
        undo->setEnabled(enabled);
        undo->setText(caption);
    }
}

void TMDIChild::refreshSaveState()
{
    m_main.refreshSaveCommands();
    repaintStatus();
    if (m_modified && m_main.tabPanel()->isVisible())
        m_main.repaintTabs();
}

void TMDIChild::repaintFrameStrip()
{
    m_main.repaintFrameStrip();
}

void TMDIChild::recordFrameUndo(int action, const QString& caption, int frameIndex)
{
    recordUndo(*this, ckFrame, uint8_t(action), 0, 0, frameIndex, caption);
}

void TMDIChild::recordSnapshotUndo(const QString& caption, int frameIndex)
{
    recordUndo(*this, ckActiveAnimation, 8, -1, -1, frameIndex, caption);
}
