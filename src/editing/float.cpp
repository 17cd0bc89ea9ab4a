#include "editing/float.h"

#include "editing/FrameInsertion.h"
#include "editing/Palette.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "platform/MessageService.h"
#include "platform/Settings.h"
#include "platform/UserTexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace {

// Grid row of each value the frame strip fills; the group headings 0, 5 and 9 sit between them.
constexpr int kGridRows[IFrameInspectorView::vrCount] = {1, 2, 3, 4, 6, 7, 8, 10, 11};

constexpr const char* kRowHints[irRowCount] = {
    "Group lists general frame settings",
    "Displays the frame image height. (Read-only)",
    "Displays the frame image width. (Read-only)",
    "Sets left position of the image from the left of the frame.",
    "Sets top of the image from the top of the frame.",
    "Group lists the frame display options",
    "Sets the interlacing of the frame image.",
    "Displays the transparent color of the frame image.",
    "Indicates whether the frame uses a local palette.",
    "Group lists the animation options",
    "Sets the frame delay time in milliseconds (1/100th sec).",
    "Sets the frame drawing method in relation to the other frames.",
};

constexpr const char* kTabNames[3] = {"Properties", "Palettes", "Comments"};
constexpr const char* kTabHints[3] = {
    "Displays the current frames properties",
    "Displays the current frame palette. Double-click a color swatch to edit.",
    "Displays the current animation comments",
};

constexpr const char* kInspectorTitle = "Frame Inspector";
constexpr const char* kAcceptedPrefix = "Accepted values for this field are: ";
constexpr const char* kNumberMessage = "This field requires a number value.";
constexpr const char* kNoLocalMapQuestion =
    "Currently there is no local color map. Would you like to add one?";
constexpr const char* kGlobalMapRequired =
    "Could not to create local color map. A global color map is required.";
constexpr const char* kAlreadyOptimized =
    "The palette is already optimized to the minimum number of colors used. "
    "Use the optimization wizard to remove the local palette.";
constexpr const char* kColorRequired = "This color is required by the image and cannot be removed.";

// The frame timing a frame gets when an edit finds it without a graphic control extension.
constexpr int kEditTimingDelay = 100;

bool isGroupRow(int row)
{
    return row == irDimensions || row == irDisplay || row == irPlaying;
}
bool hasDropDown(int row)
{
    return row == irInterlaced || row == irTransparent || row == irLocalPalette || row == irDisposal;
}
// The list rows open their list on a click; typing into them is accepted too, so the keyboard
// reaches every value (the commit checks the words).
bool acceptsTyping(int row)
{
    return row == irLeft || row == irTop || row == irDelay || hasDropDown(row);
}
bool opensEditor(int row)
{
    return row == irLeft || row == irTop || row == irDelay;
}

QString rowLabel(int row)
{
    return QString::fromLatin1(kInspectorRowLabels[row]);
}

// Offsets and delays are 16-bit fields: digits only, surrounding blanks ignored, 0–65535. A
// blank between digits is refused rather than read as one number or as a cut-off one.
bool parseNumber(const QString& text, int& value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 18)
        return false;
    for (QChar c : trimmed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    bool ok = false;
    const qlonglong number = trimmed.toLongLong(&ok);
    if (!ok || number > 65535)
        return false;
    value = int(number);
    return true;
}

bool parseYesNo(const QString& text, bool& yes)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("yes") || word == QLatin1String("true"))
        yes = true;
    else if (word == QLatin1String("no") || word == QLatin1String("false"))
        yes = false;
    else
        return false;
    return true;
}

bool parseDisposal(const QString& text, TGIFDisposal& disposal)
{
    const QString word = text.trimmed();
    for (int i = 0; i < disposalCount; ++i)
        if (word.compare(QLatin1String(kDisposalNames[i]), Qt::CaseInsensitive) == 0) {
            disposal = disposalFromValue(i);
            return true;
        }
    return false;
}

QString yesNoText(bool yes)
{
    return QString::fromLatin1(kBooleanNames[yes ? 1 : 0]);
}

QColor qColor(TColor color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// Deleting an entry moves every later entry down one place and pixels are not renumbered, so
// only an entry that no pixel of the frame reaches (none at or above it) may go.
bool localEntryRemovable(const TGIFSubImage& frame, int entry)
{
    const uint8_t* pixels = frame.data();
    const int64_t size = frame.dataSize();
    return !pixels || std::none_of(pixels, pixels + size, [entry](uint8_t p) { return p >= entry; });
}

} // namespace

// ---- TInspectorSwatches ------------------------------------------------------------------

TInspectorSwatches::TInspectorSwatches(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
}

void TInspectorSwatches::setColors(std::vector<TColor> colors)
{
    m_colors = std::move(colors);
    if (m_selected >= int(m_colors.size()))
        m_selected = -1;
    update();
}

int TInspectorSwatches::rows() const
{
    const int n = int(m_colors.size());
    return n == 0 ? 0 : std::max(1, int(std::sqrt(double(n))));
}

int TInspectorSwatches::columns() const
{
    const int n = int(m_colors.size());
    const int r = rows();
    return r == 0 ? 0 : (n + r - 1) / r;
}

void TInspectorSwatches::setSelected(int index)
{
    m_selected = index >= 0 && index < int(m_colors.size()) ? index : -1;
    update();
}

QRect TInspectorSwatches::cellRect(int index) const
{
    const int cols = columns();
    if (index < 0 || index >= int(m_colors.size()) || cols == 0)
        return {};
    const int r = index / cols;
    const int c = index % cols;
    const int x0 = c * width() / cols;
    const int x1 = (c + 1) * width() / cols;
    const int y0 = r * height() / rows();
    const int y1 = (r + 1) * height() / rows();
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

int TInspectorSwatches::indexAt(QPoint point) const
{
    const int cols = columns();
    if (cols == 0 || !rect().contains(point))
        return -1;
    const int c = std::min(point.x() * cols / std::max(width(), 1), cols - 1);
    const int r = std::min(point.y() * rows() / std::max(height(), 1), rows() - 1);
    const int index = r * cols + c;
    // The last row may have cells past the last entry: they select nothing.
    return index < int(m_colors.size()) ? index : -1;
}

void TInspectorSwatches::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_colors.empty()) {
        painter.fillRect(rect(), QColor(0x80, 0x80, 0x80));
        QIcon icon = QApplication::windowIcon();
        if (icon.isNull())
            icon = QIcon(QStringLiteral(":/icons/palette.svg"));
        const QPixmap logo = icon.pixmap(48, 48);
        const QString text = QStringLiteral("No Local Palette");
        const int textHeight = painter.fontMetrics().height();
        const int top = (height() - logo.height() - textHeight - 4) / 2;
        if (!logo.isNull())
            painter.drawPixmap((width() - logo.width()) / 2, top, logo);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, top + logo.height() + 4, width(), textHeight), Qt::AlignHCenter, text);
        return;
    }
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < int(m_colors.size()); ++i) {
        const QRect cell = cellRect(i);
        painter.fillRect(cell, qColor(m_colors[size_t(i)]));
        qDrawShadePanel(&painter, cell, palette(), false, 1);
    }
    if (m_selected >= 0) {
        const QRect cell = cellRect(m_selected);
        painter.setPen(QPen(Qt::red, 2));
        painter.drawRect(cell.adjusted(1, 1, -1, -1));
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = cell.adjusted(3, 3, -3, -3);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
}

void TInspectorSwatches::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const int index = indexAt(event->position().toPoint());
    if (index < 0)
        return;
    setSelected(index);
    emit swatchSelected(index);
}

void TInspectorSwatches::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int index = indexAt(event->position().toPoint());
    if (index < 0)
        return;
    setSelected(index);
    emit swatchSelected(index);
    emit swatchActivated(index);
}

void TInspectorSwatches::keyPressEvent(QKeyEvent* event)
{
    const int n = int(m_colors.size());
    if (n == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    int index = m_selected < 0 ? 0 : m_selected;
    switch (event->key()) {
    case Qt::Key_Left:
        index = std::max(index - 1, 0);
        break;
    case Qt::Key_Right:
        index = std::min(index + 1, n - 1);
        break;
    case Qt::Key_Up:
        index = index - columns() >= 0 ? index - columns() : index;
        break;
    case Qt::Key_Down:
        index = index + columns() < n ? index + columns() : index;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_selected >= 0)
            emit swatchActivated(m_selected);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    setSelected(index);
    emit swatchSelected(index);
}

// ---- TfrmFloat: construction and life cycle ------------------------------------------------

TfrmFloat::TfrmFloat(QWidget* mainWindow) : QWidget(mainWindow, Qt::Tool)
{
    setObjectName(QStringLiteral("frmFloat"));
    setWindowTitle(QString::fromLatin1(kInspectorTitle));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    cbFrames = new QComboBox(this);
    cbFrames->setObjectName(QStringLiteral("cbFrames"));
    cbFrames->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbFrames->setMinimumContentsLength(8);
    layout->addWidget(cbFrames);
    connect(cbFrames, &QComboBox::activated, this, [this](int index) {
        if (IUndoHost* doc = document(); doc && index >= 0)
            doc->selectFrame(index);
    });

    pgcInspector = new QTabWidget(this);
    pgcInspector->setObjectName(QStringLiteral("pgcInspector"));
    // All three tabs in view in a narrow window: plain tabs, shortened when they must be.
    pgcInspector->setDocumentMode(true);
    pgcInspector->setUsesScrollButtons(false);
    pgcInspector->setElideMode(Qt::ElideRight);
    pgcInspector->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));
    buildPropertiesPage();
    buildPalettePage();
    buildCommentsPage();
    for (int i = 0; i < 3; ++i)
        pgcInspector->setTabToolTip(i, QString::fromLatin1(kTabHints[i]));
    pgcInspector->tabBar()->setMouseTracking(true);
    pgcInspector->tabBar()->installEventFilter(this);
    connect(pgcInspector, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < 3)
            showHint(QString::fromLatin1(kTabNames[index]), QString::fromLatin1(kTabHints[index]));
        if (index == 1)
            loadPalette();
    });
    layout->addWidget(pgcInspector, 1);

    auto* hint = new QFrame(this);
    hint->setObjectName(QStringLiteral("pnlHint"));
    hint->setFrameShape(QFrame::StyledPanel);
    auto* hintLayout = new QVBoxLayout(hint);
    hintLayout->setContentsMargins(4, 2, 4, 2);
    lblHintTitle = new QLabel(hint);
    lblHintTitle->setObjectName(QStringLiteral("lblHintTitle"));
    lblHintTitle->setTextFormat(Qt::PlainText);
    QFont bold = lblHintTitle->font();
    bold.setBold(true);
    lblHintTitle->setFont(bold);
    lblHintText = new QLabel(hint);
    lblHintText->setObjectName(QStringLiteral("lblHintText"));
    lblHintText->setTextFormat(Qt::PlainText);
    lblHintText->setWordWrap(true);
    lblHintText->setMinimumHeight(lblHintText->fontMetrics().height() * 3);
    lblHintText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hintLayout->addWidget(lblHintTitle);
    hintLayout->addWidget(lblHintText);
    layout->addWidget(hint);
    showHint(QString::fromLatin1(kInspectorTitle),
             QStringLiteral("Displays all the frame properties in a convenient window."));

    setTabOrder(cbFrames, pgcInspector);
    setTabOrder(pgcInspector, grdProperties);

    const QRect main = mainWindow ? QRect(mainWindow->pos(), mainWindow->size()) : QRect(0, 0, 800, 600);
    TSettingsBatch settings;
    const int width = settings.readInteger(SettingKeys::InspectorWidth);
    const int height = settings.readInteger(SettingKeys::InspectorHeight);
    const int top = settings.readInteger(SettingKeys::InspectorTop, main.top() + 50);
    const int left =
        settings.readInteger(SettingKeys::InspectorLeft, main.left() + main.width() - width + 10);
    move(left, top);
    resize(width, height);

    clearInspector();
}

TfrmFloat::~TfrmFloat()
{
    TSettingsBatch settings;
    settings.writeInteger(SettingKeys::InspectorTop, y());
    settings.writeInteger(SettingKeys::InspectorLeft, x());
    settings.writeInteger(SettingKeys::InspectorHeight, height());
    settings.writeInteger(SettingKeys::InspectorWidth, width());
    if (m_visibleSource)
        settings.writeInteger(SettingKeys::InspectorVisible, m_visibleSource() ? 1 : 0);
}

void TfrmFloat::buildPropertiesPage()
{
    grdProperties = new QTableWidget(irRowCount, 2, pgcInspector);
    grdProperties->setObjectName(QStringLiteral("grdProperties"));
    grdProperties->horizontalHeader()->hide();
    grdProperties->verticalHeader()->hide();
    grdProperties->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdProperties->verticalHeader()->setDefaultSectionSize(grdProperties->fontMetrics().height() + 6);
    grdProperties->horizontalHeader()->setStretchLastSection(true);
    // Label and value share the narrow window without a horizontal scroll bar; the headings
    // span both columns.
    grdProperties->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdProperties->horizontalHeader()->setMinimumSectionSize(24);
    grdProperties->setColumnWidth(
        0, grdProperties->fontMetrics().horizontalAdvance(rowLabel(irLocalPalette)) + 12);
    grdProperties->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdProperties->setSelectionMode(QAbstractItemView::SingleSelection);
    grdProperties->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab leaves the grid; arrows move between rows.
    grdProperties->setTabKeyNavigation(false);
    QFont bold = grdProperties->font();
    bold.setBold(true);
    for (int row = 0; row < irRowCount; ++row) {
        auto* label = new QTableWidgetItem(rowLabel(row));
        auto* value = new QTableWidgetItem;
        if (isGroupRow(row)) {
            label->setFlags(Qt::ItemIsEnabled);
            label->setFont(bold);
            label->setBackground(grdProperties->palette().button());
            value->setFlags(Qt::ItemIsEnabled);
        } else {
            label->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
        grdProperties->setItem(row, 0, label);
        grdProperties->setItem(row, 1, value);
        if (isGroupRow(row))
            grdProperties->setSpan(row, 0, 1, 2);
    }
    connect(grdProperties, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int previousRow, int) {
                if (m_selecting || row < 0)
                    return;
                if (row == m_selectedRow) {
                    if (column != 1) {
                        const QSignalBlocker blocker(grdProperties);
                        grdProperties->setCurrentCell(row, 1);
                    }
                    return;
                }
                // Keys moving up over a heading go on to the row above it; everything else
                // that lands on a heading takes the row after it.
                if (isGroupRow(row) && previousRow > row && row > 0)
                    row -= 1;
                selectRow(row);
            });
    grdProperties->installEventFilter(this);
    grdProperties->viewport()->installEventFilter(this);
    // A short window scrolls the rows: the editor and the list go with their cell.
    connect(grdProperties->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (txtInplace->isVisible())
            txtInplace->setGeometry(grdProperties->visualItemRect(grdProperties->item(m_selectedRow, 1)));
        hideDropDown();
    });

    txtInplace = new QLineEdit(grdProperties->viewport());
    txtInplace->setObjectName(QStringLiteral("txtInplace"));
    txtInplace->setFrame(false);
    txtInplace->hide();
    txtInplace->installEventFilter(this);

    lstDropDown = new QListWidget(grdProperties);
    lstDropDown->setObjectName(QStringLiteral("lstDropDown"));
    lstDropDown->setFrameShape(QFrame::Box);
    lstDropDown->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstDropDown->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstDropDown->hide();
    lstDropDown->installEventFilter(this);
    connect(lstDropDown, &QListWidget::itemClicked, this, [this] { chooseDropDownEntry(); });

    pgcInspector->addTab(grdProperties, QString::fromLatin1(kTabNames[0]));
}

void TfrmFloat::buildPalettePage()
{
    auto* page = new QWidget(pgcInspector);
    page->setObjectName(QStringLiteral("tabPalette"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    grdPalette = new TInspectorSwatches(page);
    grdPalette->setObjectName(QStringLiteral("grdPalette"));
    grdPalette->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(grdPalette, 1);
    lblPaletteInfo = new QLabel(page);
    lblPaletteInfo->setObjectName(QStringLiteral("lblPaletteInfo"));
    lblPaletteInfo->setTextFormat(Qt::PlainText);
    layout->addWidget(lblPaletteInfo);
    auto* buttons = new QGridLayout;
    btnAddColor = new QPushButton(QStringLiteral("&Add Color"), page);
    btnAddColor->setObjectName(QStringLiteral("btnAddColor"));
    btnEditColor = new QPushButton(QStringLiteral("&Edit Color"), page);
    btnEditColor->setObjectName(QStringLiteral("btnEditColor"));
    btnDeleteColor = new QPushButton(QStringLiteral("&Delete Color"), page);
    btnDeleteColor->setObjectName(QStringLiteral("btnDeleteColor"));
    // The window is narrow (220 pixels by default): two buttons a row.
    buttons->addWidget(btnAddColor, 0, 0);
    buttons->addWidget(btnEditColor, 0, 1);
    buttons->addWidget(btnDeleteColor, 1, 0);
    for (QPushButton* button : {btnAddColor, btnEditColor, btnDeleteColor})
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addLayout(buttons);

    pmnPalette = new QMenu(this);
    pmnPalette->setObjectName(QStringLiteral("pmnPalette"));
    QAction* add = pmnPalette->addAction(QStringLiteral("Add Color"), this, &TfrmFloat::addColor);
    QAction* edit = pmnPalette->addAction(QStringLiteral("Edit Color"), this, &TfrmFloat::editColor);
    QAction* remove = pmnPalette->addAction(QStringLiteral("Delete Color"), this, &TfrmFloat::deleteColor);
    connect(pmnPalette, &QMenu::aboutToShow, this, [this, add, edit, remove] {
        add->setEnabled(btnAddColor->isEnabled());
        edit->setEnabled(btnEditColor->isEnabled());
        remove->setEnabled(btnDeleteColor->isEnabled());
    });
    connect(grdPalette, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        if (const int index = grdPalette->indexAt(pos); index >= 0) {
            grdPalette->setSelected(index);
            showSwatch(index);
            updatePaletteButtons();
        }
        pmnPalette->popup(grdPalette->mapToGlobal(pos));
    });
    connect(btnAddColor, &QPushButton::clicked, this, &TfrmFloat::addColor);
    connect(btnEditColor, &QPushButton::clicked, this, &TfrmFloat::editColor);
    connect(btnDeleteColor, &QPushButton::clicked, this, &TfrmFloat::deleteColor);
    connect(grdPalette, &TInspectorSwatches::swatchSelected, this, [this](int index) {
        showSwatch(index);
        updatePaletteButtons();
    });
    connect(grdPalette, &TInspectorSwatches::swatchActivated, this, [this] { editColor(); });

    pgcInspector->addTab(page, QString::fromLatin1(kTabNames[1]));
}

void TfrmFloat::buildCommentsPage()
{
    auto* page = new QWidget(pgcInspector);
    page->setObjectName(QStringLiteral("tabComments"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    lstComments = new QListWidget(page);
    lstComments->setObjectName(QStringLiteral("lstComments"));
    layout->addWidget(lstComments, 1);
    memComment = new QPlainTextEdit(page);
    memComment->setObjectName(QStringLiteral("memComment"));
    // Comments are text from the file: shown as they are, never as markup.
    memComment->setTabChangesFocus(true);
    memComment->installEventFilter(this);
    layout->addWidget(memComment, 1);
    auto* buttons = new QVBoxLayout;
    btnAddComment = new QPushButton(QStringLiteral("Add &New Comments"), page);
    btnAddComment->setObjectName(QStringLiteral("btnAddComment"));
    btnAddComment->setToolTip(QStringLiteral("Add New Comments"));
    btnAddComment->setStatusTip(QStringLiteral("Adds new comments to the animation"));
    btnRemoveComment = new QPushButton(QStringLiteral("&Remove Comments"), page);
    btnRemoveComment->setObjectName(QStringLiteral("btnRemoveComment"));
    btnRemoveComment->setToolTip(QStringLiteral("Remove Comments"));
    btnRemoveComment->setStatusTip(QStringLiteral("Removes selected comments from the animation"));
    for (QPushButton* button : {btnAddComment, btnRemoveComment}) {
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(lstComments, &QListWidget::currentRowChanged, this, [this] { commentSelected(); });
    connect(btnAddComment, &QPushButton::clicked, this, &TfrmFloat::addComment);
    connect(btnRemoveComment, &QPushButton::clicked, this, &TfrmFloat::removeComment);

    pgcInspector->addTab(page, QString::fromLatin1(kTabNames[2]));
}

void TfrmFloat::setHost(std::unique_ptr<IInspectorHost> host)
{
    m_host = std::move(host);
}

void TfrmFloat::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    emit closedByUser();
}

void TfrmFloat::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            activated();
        else
            deactivated();
    }
}

void TfrmFloat::activated()
{
    if (!m_host)
        return;
    m_host->pausePlayback();
    m_documentTab = m_host->documentTab();
    if (IUndoHost* doc = document())
        setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromLatin1(kInspectorTitle),
                                                     QFileInfo(doc->fileName()).fileName()));
}

void TfrmFloat::deactivated()
{
    hideDropDown();
    commit();
    if (memComment->hasFocus())
        commentLeft();
    if (m_host && m_documentTab >= 0 && m_host->handBackDocument(m_documentTab))
        m_paletteChanged = false;
}

bool TfrmFloat::showsComments() const
{
    return isVisible() && lstComments->isVisible();
}

void TfrmFloat::showHint(const QString& title, const QString& text)
{
    lblHintTitle->setText(title);
    lblHintText->setText(text);
}

IUndoHost* TfrmFloat::document() const
{
    return m_host ? m_host->activeDocument() : nullptr;
}

TGIFSubImage* TfrmFloat::frame() const
{
    IUndoHost* doc = document();
    if (!doc)
        return nullptr;
    TGIFImage& image = doc->workingImage();
    const int index = currentFrame();
    return index < image.images().count() ? image.images().subImage(index) : nullptr;
}

int TfrmFloat::currentFrame() const
{
    return std::max(cbFrames->currentIndex(), 0);
}

// ---- fill and clear --------------------------------------------------------------------------

void TfrmFloat::setInspectorCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TfrmFloat::setFrameValues(const QStringList& values)
{
    for (int row = 0; row < vrCount; ++row)
        setCellText(kGridRows[row], row < values.size() ? values[row] : QString());
}

void TfrmFloat::setCommentList(const QStringList& comments)
{
    if (document()) {
        rebuildComments();
        return;
    }
    // Without a document to read positions from, the captions are all there is.
    const QSignalBlocker blocker(lstComments);
    lstComments->clear();
    lstComments->addItems(comments);
    m_commentEntries.clear();
}

void TfrmFloat::setFrameList(const QStringList& items, int selected)
{
    {
        const QSignalBlocker blocker(cbFrames);
        cbFrames->clear();
        cbFrames->addItems(items);
        cbFrames->setCurrentIndex(selected < items.size() ? selected : -1);
    }
    // The rest of the fill: the grid takes edits again, the transparent swatch and the palette
    // follow the frame, and the value cells are what an edit starts from.
    m_gridEnabled = true;
    grdProperties->setEnabled(true);
    m_transparent = false;
    m_transparentColor = 0;
    if (TGIFSubImage* shown = frame()) {
        m_transparent = shown->transparent();
        if (TGIFGraphicControlExtension* gce = shown->graphicControlExtension()) {
            try {
                m_transparentColor = gce->transparentColor();
            } catch (const std::exception&) {
                m_transparentColor = 0; // no colour map to look the index up in
            }
        }
    }
    setTransparentSwatch(m_transparent);
    if (m_selectedRow < 0) {
        showRow(irHeight);
    } else {
        m_editStart = grdProperties->item(m_selectedRow, 1)->text();
        if (txtInplace->isVisible()) {
            txtInplace->setText(m_editStart);
            txtInplace->selectAll();
        }
    }
    if (pgcInspector->currentIndex() == 1)
        loadPalette();
    else
        updatePaletteButtons();
    btnAddComment->setEnabled(document() != nullptr);
}

void TfrmFloat::clearInspector()
{
    hideEditor();
    hideDropDown();
    m_selectedRow = -1;
    m_editStart.clear();
    for (int row = 0; row < irRowCount; ++row)
        if (!isGroupRow(row))
            setCellText(row, QString());
    setTransparentSwatch(false);
    grdProperties->clearSelection();
    m_gridEnabled = false;
    grdProperties->setEnabled(false);
    setWindowTitle(QString::fromLatin1(kInspectorTitle));
    {
        const QSignalBlocker frames(cbFrames);
        cbFrames->clear();
        const QSignalBlocker comments(lstComments);
        lstComments->clear();
    }
    m_commentEntries.clear();
    m_commentEntry = -1;
    memComment->clear();
    memComment->setReadOnly(true);
    btnRemoveComment->setEnabled(false);
    btnAddComment->setEnabled(false);
    grdPalette->setColors({});
    lblPaletteInfo->clear();
    m_paletteChanged = false;
    updatePaletteButtons();
}

void TfrmFloat::setCellText(int row, const QString& text)
{
    grdProperties->item(row, 1)->setText(text);
    if (row == irTransparent)
        setTransparentSwatch(m_transparent && text == yesNoText(true));
}

void TfrmFloat::setTransparentSwatch(bool shown)
{
    QTableWidgetItem* item = grdProperties->item(irTransparent, 1);
    if (!shown) {
        item->setIcon(QIcon());
        return;
    }
    const int side = std::max(grdProperties->fontMetrics().height() - 4, 8);
    QPixmap swatch(side, side);
    swatch.fill(qColor(m_transparentColor));
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, side - 1, side - 1);
    item->setIcon(QIcon(swatch));
}

QString TfrmFloat::cellText(int row) const
{
    if (row < 0 || row >= irRowCount)
        return {};
    if (txtInplace->isVisible() && txtInplace->property("row").toInt() == row)
        return txtInplace->text();
    return grdProperties->item(row, 1)->text();
}

bool TfrmFloat::dropDownVisible() const
{
    return lstDropDown->isVisible();
}

// ---- row selection -----------------------------------------------------------------------------

void TfrmFloat::selectRow(int row)
{
    if (!m_gridEnabled || row < 0 || row >= irRowCount || m_selecting)
        return;
    m_selecting = true;
    if (m_selectedRow > 0 && cellText(m_selectedRow) != m_editStart)
        commit();
    m_selecting = false;
    if (!m_gridEnabled)
        return; // the commit ended in the no-document state
    showRow(row);
    if (hasDropDown(m_selectedRow))
        openDropDown(m_selectedRow);
    else if (opensEditor(m_selectedRow))
        showEditor(m_selectedRow);
}

void TfrmFloat::showRow(int row)
{
    if (row < 0 || row >= irRowCount)
        return;
    if (row == irDimensions || row == irDisplay || row == irPlaying)
        row += 1;
    hideEditor();
    hideDropDown();
    m_selectedRow = row;
    m_rememberedRow = row;
    {
        const QSignalBlocker blocker(grdProperties);
        grdProperties->selectRow(row);
        grdProperties->setCurrentCell(row, 1);
    }
    m_editStart = grdProperties->item(row, 1)->text();
    showHint(rowLabel(row), QString::fromLatin1(kRowHints[row]));
}

void TfrmFloat::moveRow(int delta)
{
    int row = m_selectedRow + delta;
    if (isGroupRow(row))
        row = delta < 0 && row > 0 ? row - 1 : row + 1;
    if (row >= 1 && row < irRowCount)
        selectRow(row);
}

void TfrmFloat::restoreEditStart()
{
    if (m_selectedRow < 0)
        return;
    setCellText(m_selectedRow, m_editStart);
    if (txtInplace->isVisible()) {
        txtInplace->setText(m_editStart);
        txtInplace->selectAll();
    }
}

void TfrmFloat::showEditor(int row, bool selectAll)
{
    if (!m_gridEnabled || !acceptsTyping(row))
        return;
    hideDropDown();
    txtInplace->setProperty("row", row);
    txtInplace->setGeometry(grdProperties->visualItemRect(grdProperties->item(row, 1)));
    txtInplace->setText(grdProperties->item(row, 1)->text());
    txtInplace->show();
    txtInplace->raise();
    if (isVisible())
        txtInplace->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        txtInplace->selectAll();
}

void TfrmFloat::hideEditor()
{
    if (!txtInplace->isVisible())
        return;
    // What the editor holds stays in the cell until the row is committed or restored.
    const int row = txtInplace->property("row").toInt();
    if (row >= 0 && row < irRowCount)
        grdProperties->item(row, 1)->setText(txtInplace->text());
    const bool hadFocus = txtInplace->hasFocus();
    txtInplace->hide();
    if (hadFocus)
        grdProperties->setFocus(Qt::OtherFocusReason);
}

void TfrmFloat::openDropDown(int row)
{
    if (!m_gridEnabled || !hasDropDown(row))
        return;
    hideEditor();
    lstDropDown->clear();
    if (row == irDisposal) {
        for (const char* name : kDisposalNames)
            lstDropDown->addItem(QString::fromLatin1(name));
    } else {
        lstDropDown->addItem(yesNoText(true));
        lstDropDown->addItem(yesNoText(false));
    }
    const QString current = cellText(row);
    int chosen = 0;
    for (int i = 0; i < lstDropDown->count(); ++i)
        if (lstDropDown->item(i)->text() == current)
            chosen = i;
    lstDropDown->setCurrentRow(chosen);
    lstDropDown->setProperty("row", row);

    // Below the value cell, or above it when the grid has no room below.
    const QRect cell = grdProperties->visualItemRect(grdProperties->item(row, 1))
                           .translated(grdProperties->viewport()->pos());
    const int height = lstDropDown->sizeHintForRow(0) * lstDropDown->count() + 2 * lstDropDown->frameWidth();
    int top = cell.bottom() + 1;
    if (top + height > grdProperties->height())
        top = cell.top() - height;
    lstDropDown->setGeometry(cell.left(), top, cell.width(), height);
    lstDropDown->show();
    lstDropDown->raise();
}

void TfrmFloat::hideDropDown()
{
    if (!lstDropDown->isVisible())
        return;
    const bool hadFocus = lstDropDown->hasFocus();
    lstDropDown->hide();
    if (hadFocus)
        grdProperties->setFocus(Qt::OtherFocusReason);
}

void TfrmFloat::chooseDropDownEntry()
{
    QListWidgetItem* item = lstDropDown->currentItem();
    const int row = lstDropDown->property("row").toInt();
    if (!item || row != m_selectedRow)
        return;
    const QString text = item->text();
    hideDropDown();
    setCellText(row, text);
    commit();
}

bool TfrmFloat::focusInsideGrid(const QWidget* widget) const
{
    return widget && (widget == grdProperties || widget == txtInplace || widget == lstDropDown ||
                      grdProperties->isAncestorOf(widget));
}

bool TfrmFloat::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == pgcInspector->tabBar() && type == QEvent::MouseMove) {
        const int tab = pgcInspector->tabBar()->tabAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (tab >= 0 && tab < 3)
            showHint(QString::fromLatin1(kTabNames[tab]), QString::fromLatin1(kTabHints[tab]));
        return false;
    }
    if (watched == memComment && type == QEvent::FocusOut) {
        commentLeft();
        return false;
    }
    if (watched == grdProperties->viewport() && type == QEvent::MouseButtonRelease) {
        // A click on the selected row's value opens its list or editor again.
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (grdProperties->rowAt(pos.y()) == m_selectedRow && grdProperties->columnAt(pos.x()) == 1) {
            if (hasDropDown(m_selectedRow) && !lstDropDown->isVisible())
                openDropDown(m_selectedRow);
            else if (opensEditor(m_selectedRow) && !txtInplace->isVisible())
                showEditor(m_selectedRow);
        }
        return false;
    }
    if (type == QEvent::FocusOut &&
        (watched == grdProperties || watched == txtInplace || watched == lstDropDown)) {
        // Focus leaving the grid (not only moving between the grid, its editor and its list)
        // commits; leaving the list hides it.
        QWidget* next = QApplication::focusWidget();
        if (watched == lstDropDown && next != lstDropDown)
            lstDropDown->hide();
        if (!focusInsideGrid(next) || !isActiveWindow())
            commit();
        return false;
    }
    if (type != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);

    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == lstDropDown) {
        if (enter || key->key() == Qt::Key_Space) {
            chooseDropDownEntry();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hideDropDown();
            return true;
        }
        return false;
    }
    if (watched == txtInplace) {
        if (enter) {
            commit();
            if (txtInplace->isVisible())
                txtInplace->selectAll();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            restoreEditStart();
            return true;
        }
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            moveRow(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
        return false;
    }
    if (watched == grdProperties) {
        if (!m_gridEnabled)
            return false;
        if (enter) {
            if (lstDropDown->isVisible() && lstDropDown->hasFocus())
                chooseDropDownEntry();
            else
                commit();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hideDropDown();
            restoreEditStart();
            return true;
        }
        const bool openKey =
            key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier));
        if (openKey && hasDropDown(m_selectedRow)) {
            openDropDown(m_selectedRow);
            lstDropDown->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            moveRow(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() && acceptsTyping(m_selectedRow) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // Typing starts the in-place editor with what was typed.
            showEditor(m_selectedRow, false);
            txtInplace->setText(text);
            return true;
        }
        if (key->key() == Qt::Key_F2 && acceptsTyping(m_selectedRow)) {
            showEditor(m_selectedRow);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- commit ------------------------------------------------------------------------------------

void TfrmFloat::commit()
{
    const int row = m_selectedRow;
    IUndoHost* doc = document();
    if (m_committing || !doc || row <= irWidth || isGroupRow(row) || row >= irRowCount)
        return;
    const QString text = cellText(row);
    if (text == m_editStart)
        return;
    TGIFImage& image = doc->workingImage();
    const int index = currentFrame();
    if (index >= image.images().count())
        return;
    m_committing = true;
    struct TDone
    {
        bool& flag;
        ~TDone() { flag = false; }
    } done{m_committing};

    // 1. Validate; a refused text puts the old value back before the box shows.
    int number = 0;
    bool yes = false;
    TGIFDisposal disposal = TGIFDisposal::dmNone;
    QString shown;
    QString refusal;
    switch (row) {
    case irLeft:
    case irTop:
    case irDelay:
        if (parseNumber(text, number))
            shown = QString::number(number);
        else
            refusal = QString::fromLatin1(kNumberMessage);
        break;
    case irInterlaced:
    case irTransparent:
    case irLocalPalette:
        if (parseYesNo(text, yes))
            shown = yesNoText(yes);
        else
            refusal = QStringLiteral("%1Yes, No or True or False.").arg(QString::fromLatin1(kAcceptedPrefix));
        break;
    case irDisposal:
        if (parseDisposal(text, disposal))
            shown = QString::fromLatin1(kDisposalNames[disposalValue(disposal)]);
        else
            refusal = QStringLiteral("%1%2, %3, %4, %5")
                          .arg(QString::fromLatin1(kAcceptedPrefix), QString::fromLatin1(kDisposalNames[0]),
                               QString::fromLatin1(kDisposalNames[1]), QString::fromLatin1(kDisposalNames[2]),
                               QString::fromLatin1(kDisposalNames[3]));
        break;
    default:
        return;
    }
    if (!refusal.isEmpty()) {
        restoreEditStart();
        messageDlg(refusal, TMsgType::Information, TMsgButtons::Ok);
        return;
    }

    // 2. The undo command and its caption.
    const QString label = rowLabel(row);
    QString caption = QStringLiteral("Change %1").arg(label);
    TCommandKind kind = ckFrame;
    TUndoAction action = uaChanged;
    switch (row) {
    case irInterlaced:
        caption = yes ? label : QStringLiteral("Non-%1").arg(label);
        break;
    case irTransparent:
        caption = yes ? QStringLiteral("Make %1").arg(label) : QStringLiteral("Remove Transparency");
        kind = ckGCExt;
        break;
    case irLocalPalette:
        caption = (yes ? QStringLiteral("Add %1") : QStringLiteral("Remove %1")).arg(label);
        kind = ckPalette;
        action = yes ? uaAdded : uaRemoved;
        break;
    case irDelay:
    case irDisposal:
        kind = ckGCExt;
        break;
    default:
        break;
    }

    // 3. Nothing to do when the frame already has the value.
    TGIFSubImage& target = *image.images().subImage(index);
    TGIFGraphicControlExtension* gce = target.graphicControlExtension();
    bool same = false;
    switch (row) {
    case irLeft:
        same = number == target.left();
        break;
    case irTop:
        same = number == target.top();
        break;
    case irInterlaced:
        same = yes == target.interlaced();
        break;
    case irTransparent:
        same = yes == target.transparent();
        break;
    case irDelay:
        same = gce && number == gce->delay();
        break;
    case irDisposal:
        same = gce && disposal == gce->disposal();
        break;
    case irLocalPalette:
        // Recording "Add Local Palette" for a frame that has its own map already would make Undo
        // clear that map; every other case is applied, also when it changes nothing.
        same = yes && target.colorMap().count() > 0;
        break;
    default:
        break;
    }
    if (same) {
        setCellText(row, shown);
        if (txtInplace->isVisible())
            txtInplace->setText(shown);
        m_editStart = shown;
        return;
    }

    // 4. Record, then give the frame timing when it has none. A timing edit on a frame without
    // an extension records the extension as added, so Undo takes it away again rather than
    // leaving one with zero values.
    if (kind == ckGCExt && !gce)
        action = uaAdded;
    try {
        recordInspectorEdit(*doc, kind, action, index, caption);
    } catch (const std::exception& error) {
        restoreEditStart();
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    if (!gce) {
        ensureFrameTiming(target, kEditTimingDelay);
        gce = target.graphicControlExtension();
    }

    // 5. Apply.
    try {
        switch (row) {
        case irLeft:
            target.setLeft(number);
            break;
        case irTop:
            target.setTop(number);
            break;
        case irInterlaced:
            target.setInterlaced(yes);
            break;
        case irTransparent:
            gce->setTransparent(yes);
            break;
        case irLocalPalette: {
            TGIFColorMap& local = target.colorMap();
            if (yes) {
                if (local.count() == 0 && image.globalColorMap().count() > 0) {
                    local.assign(&image.globalColorMap());
                    local.optimize();
                    local.changed();
                    m_paletteChanged = true;
                }
            } else {
                local.clear();
                local.changed();
            }
            break;
        }
        case irDelay:
            gce->setDelay(uint16_t(number));
            break;
        case irDisposal:
            gce->setDisposal(disposal);
            break;
        default:
            break;
        }
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
    }

    // 6. Modified, the new value as the one edits start from, and the frame shown again (which
    // fills the strip's panels and this window from the frame).
    setCellText(row, shown);
    if (txtInplace->isVisible())
        txtInplace->setText(shown);
    m_editStart = shown;
    doc->setModified(true);
    reselectFrame(*doc, index);
}

void TfrmFloat::reselectFrame(IUndoHost& doc, int index)
{
    // Every row's change shows elsewhere too (the strip's delay footer, the panels' fields), so
    // each applied edit has the frame selected again, not only offsets, transparency and palette.
    doc.selectFrame(index);
}

// ---- palette page ------------------------------------------------------------------------------

void TfrmFloat::loadPalette()
{
    std::vector<TColor> colors;
    if (TGIFSubImage* shown = frame()) {
        TGIFColorMap& map = shown->colorMap();
        colors.reserve(size_t(map.count()));
        for (int i = 0; i < map.count(); ++i)
            colors.push_back(map.entry(i).value());
    }
    const int keep = grdPalette->selected();
    grdPalette->setColors(std::move(colors));
    grdPalette->setSelected(keep);
    showSwatch(grdPalette->selected());
    updatePaletteButtons();
}

void TfrmFloat::showSwatch(int index)
{
    const std::vector<TColor>& colors = grdPalette->colors();
    if (index < 0 || index >= int(colors.size())) {
        lblPaletteInfo->setText(colors.empty() ? QString() : QStringLiteral("%1 Colors").arg(colors.size()));
        return;
    }
    const TColor color = colors[size_t(index)];
    lblPaletteInfo->setText(QStringLiteral("%1 Colors - R: %2, G: %3, B: %4")
                                .arg(int(colors.size()))
                                .arg(int(color & 0xFF))
                                .arg(int((color >> 8) & 0xFF))
                                .arg(int((color >> 16) & 0xFF)));
}

void TfrmFloat::updatePaletteButtons()
{
    const bool editable = frame() != nullptr;
    const int count = int(grdPalette->colors().size());
    const bool selected = grdPalette->selected() >= 0 && grdPalette->selected() < count;
    if (count == 0) {
        btnAddColor->setEnabled(editable);
        btnEditColor->setEnabled(false);
        btnDeleteColor->setEnabled(false);
        return;
    }
    btnAddColor->setEnabled(editable && count < 256);
    btnEditColor->setEnabled(editable && selected);
    btnDeleteColor->setEnabled(editable && selected && count > 2);
}

bool TfrmFloat::chooseColor(TColor& color)
{
    IUndoHost* doc = document();
    if (!doc)
        return false;
    std::unique_ptr<TfrmPalette> dialog;
    {
        TWaitCursor wait;
        dialog = std::make_unique<TfrmPalette>(doc->workingImage(), TPaletteMode::ChangeColor, currentFrame(),
                                               this);
        dialog->setColor(color);
    }
    if (!::execDialog(*dialog) || !dialog->chosen())
        return false;
    color = dialog->previewColor();
    return true;
}

void TfrmFloat::addColor()
{
    IUndoHost* doc = document();
    TGIFSubImage* shown = frame();
    if (!doc || !shown)
        return;
    TGIFColorMap& map = shown->colorMap();
    if (map.count() == 0) {
        addLocalPalette();
        return;
    }
    if (map.count() >= 256)
        return;
    TColor color = clWhite;
    if (!chooseColor(color))
        return;
    const int index = map.count();
    try {
        recordPaletteColorAdded(*doc, index, color, currentFrame(), QStringLiteral("Add Color Palette Entry"));
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    map.add(color);
    map.changed();
    grdPalette->setSelected(-1);
    loadPalette();
    grdPalette->setSelected(index);
    showSwatch(index);
    updatePaletteButtons();
    doc->setModified(true);
    finishPaletteEdit(*doc);
}

void TfrmFloat::editColor()
{
    IUndoHost* doc = document();
    TGIFSubImage* shown = frame();
    if (!doc || !shown)
        return;
    TGIFColorMap& map = shown->colorMap();
    const int index = grdPalette->selected();
    if (index < 0 || index >= map.count())
        return;
    const TColor old = map.entry(index).value();
    TColor color = old;
    if (!chooseColor(color))
        return;
    try {
        recordPaletteColorChanged(*doc, index, old, currentFrame(), QStringLiteral("Change Color Palette Entry"));
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    map.setColor(index, color);
    map.changed();
    loadPalette();
    doc->setModified(true);
    finishPaletteEdit(*doc);
}

void TfrmFloat::deleteColor()
{
    IUndoHost* doc = document();
    TGIFSubImage* shown = frame();
    if (!doc || !shown)
        return;
    TGIFColorMap& map = shown->colorMap();
    if (map.optimized()) {
        messageDlg(QString::fromLatin1(kAlreadyOptimized), TMsgType::Information, TMsgButtons::Ok);
        return;
    }
    const int index = grdPalette->selected();
    if (index < 0 || index >= map.count() || map.count() <= 2)
        return;
    if (!localEntryRemovable(*shown, index)) {
        messageDlg(QString::fromLatin1(kColorRequired), TMsgType::Information, TMsgButtons::Ok);
        return;
    }
    try {
        recordPaletteColorRemoved(*doc, index, currentFrame(), QStringLiteral("Delete Color Palette Entry"));
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    map.deleteAt(index);
    map.changed();
    grdPalette->setSelected(-1);
    loadPalette();
    grdPalette->setSelected(std::min(index, map.count() - 1));
    showSwatch(grdPalette->selected());
    updatePaletteButtons();
    doc->setModified(true);
    doc->selectFrame(currentFrame());
}

void TfrmFloat::addLocalPalette()
{
    IUndoHost* doc = document();
    TGIFSubImage* shown = frame();
    if (!doc || !shown)
        return;
    if (messageDlg(QString::fromLatin1(kNoLocalMapQuestion), TMsgType::Confirmation,
                   TMsgButtons::YesNoCancel) != TMsgResult::Yes)
        return;
    TGIFImage& image = doc->workingImage();
    if (image.globalColorMap().count() == 0) {
        messageDlg(QString::fromLatin1(kGlobalMapRequired), TMsgType::Warning, TMsgButtons::Ok);
        return;
    }
    const int index = currentFrame();
    try {
        recordLocalPaletteAdded(*doc, index);
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    TGIFColorMap& local = shown->colorMap();
    local.assign(&image.globalColorMap());
    local.optimize();
    local.changed();
    loadPalette();
    doc->setModified(true);
    m_paletteChanged = true;
    doc->selectFrame(index);
}

void TfrmFloat::finishPaletteEdit(IUndoHost& doc)
{
    // A local palette made from the global one shows its colours everywhere only once the
    // animation is read back.
    if (m_paletteChanged) {
        m_paletteChanged = false;
        const QString copy = doc.workingCopy();
        if (!copy.isEmpty() && QFileInfo::exists(copy)) {
            const int index = currentFrame();
            doc.setRememberedFrame(index);
            doc.reloadDocument(copy); // may remove the document: doc is not used afterwards
            return;
        }
    }
    doc.selectFrame(currentFrame());
    doc.repaintFrameStrip();
}

// ---- comments page -----------------------------------------------------------------------------

void TfrmFloat::rebuildComments()
{
    const int keep = lstComments->currentRow();
    m_commentEntries.clear();
    QStringList captions;
    if (IUndoHost* doc = document()) {
        TGIFImage& image = doc->workingImage();
        for (int i = 0; i < image.images().count(); ++i) {
            TGIFSubImage& each = *image.images().subImage(i);
            for (int e = 0; e < each.extensions().count(); ++e)
                if (dynamic_cast<TGIFCommentExtension*>(each.extensions().extension(e))) {
                    m_commentEntries.push_back({i, e});
                    captions << QStringLiteral("Comment %1").arg(captions.size() + 1);
                }
        }
    }
    {
        const QSignalBlocker blocker(lstComments);
        lstComments->clear();
        lstComments->addItems(captions);
        lstComments->setCurrentRow(keep < captions.size() ? keep : -1);
    }
    commentSelected();
}

void TfrmFloat::commentSelected()
{
    const int entry = lstComments->currentRow();
    m_commentEntry = entry;
    const QSignalBlocker blocker(memComment);
    if (entry < 0 || entry >= int(m_commentEntries.size())) {
        m_commentEntry = -1;
        memComment->clear();
        memComment->setReadOnly(true);
        m_commentAtEntry.clear();
        btnRemoveComment->setEnabled(false);
        return;
    }
    QString text;
    if (IUndoHost* doc = document()) {
        const TCommentEntry& at = m_commentEntries[size_t(entry)];
        TGIFSubImage& owner = *doc->workingImage().images().subImage(at.frame);
        if (auto* comment = dynamic_cast<TGIFCommentExtension*>(owner.extensions().extension(at.position)))
            text = comment->text().join(QLatin1Char('\n'));
    }
    memComment->setPlainText(text);
    memComment->setReadOnly(false);
    m_commentAtEntry = text;
    btnRemoveComment->setEnabled(true);
}

void TfrmFloat::commentLeft()
{
    IUndoHost* doc = document();
    const int entry = m_commentEntry;
    if (!doc || entry < 0 || entry >= int(m_commentEntries.size()))
        return;
    const QString text = memComment->toPlainText();
    const TCommentEntry at = m_commentEntries[size_t(entry)];
    TGIFImage& image = doc->workingImage();
    if (at.frame >= image.images().count())
        return;
    TGIFSubImage& owner = *image.images().subImage(at.frame);
    auto* comment = dynamic_cast<TGIFCommentExtension*>(owner.extensions().extension(at.position));
    if (!comment || comment->text().join(QLatin1Char('\n')) == text)
        return;
    try {
        recordCommentChanged(*doc, at.frame, at.position);
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    // The whole text: the writer splits long comments into sub-blocks.
    comment->text() = text.split(QLatin1Char('\n'));
    m_commentAtEntry = text;
    doc->setModified(true);
}

void TfrmFloat::addComment()
{
    IUndoHost* doc = document();
    if (!doc)
        return;
    TGIFImage& image = doc->workingImage();
    if (image.images().count() == 0)
        return;
    if (memComment->hasFocus())
        commentLeft();
    TGIFSubImage& first = *image.images().subImage(0);
    auto* comment = new TGIFCommentExtension(&first);
    first.extensions().add(comment);
    const int position = first.extensions().indexOf(comment);
    try {
        recordCommentAdded(*doc, position);
    } catch (const std::exception& error) {
        delete comment; // unlinks itself
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    const QString caption = QStringLiteral("Comment %1").arg(int(m_commentEntries.size()) + 1);
    comment->text() = QStringList{caption};
    doc->setModified(true);
    rebuildComments();
    lstComments->setCurrentRow(lstComments->count() - 1);
    memComment->setFocus(Qt::OtherFocusReason);
}

void TfrmFloat::removeComment()
{
    IUndoHost* doc = document();
    const int entry = lstComments->currentRow();
    if (!doc || entry < 0 || entry >= int(m_commentEntries.size()))
        return;
    const TCommentEntry at = m_commentEntries[size_t(entry)];
    TGIFImage& image = doc->workingImage();
    if (at.frame >= image.images().count())
        return;
    TGIFSubImage& owner = *image.images().subImage(at.frame);
    auto* comment = dynamic_cast<TGIFCommentExtension*>(owner.extensions().extension(at.position));
    if (!comment) {
        rebuildComments(); // the list no longer matches the animation
        return;
    }
    try {
        recordCommentDeleted(*doc, at.frame, at.position);
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    delete comment; // unlinks itself from the frame
    doc->setModified(true);
    // Positions after the removed one have moved down: the list is read again from the frames.
    {
        const QSignalBlocker blocker(lstComments);
        lstComments->setCurrentRow(-1);
    }
    rebuildComments();
    memComment->clear();
}
