#include "wizards/ThumbViewer.h"

#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "graphics/Bitmap.h"
#include "platform/ImagingControl.h"
#include "platform/ImagingDib.h"
#include "platform/MessageService.h"
#include "platform/Settings.h"
#include "platform/UserTexts.h"
#include "widgets/FolderBrowseDialog.h"
#include "widgets/ShellFolderTree.h"
#include "wizards/ThumbCache.h"
#include "wizards/ThumbGrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSplitter>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include <new>

QMimeData* makeThumbnailMimeData(const QString& path)
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kThumbnailMimeType), path.toUtf8());
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}

QString thumbnailPathFromMime(const QMimeData* data)
{
    if (!data || !data->hasFormat(QString::fromLatin1(kThumbnailMimeType)))
        return {};
    return QString::fromUtf8(data->data(QString::fromLatin1(kThumbnailMimeType)));
}

namespace {

QString withTrailingSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool sameFolder(const QString& a, const QString& b)
{
    return TShellFolderTree::normalizedFolder(a) == TShellFolderTree::normalizedFolder(b);
}

// The thumbnail edge from the settings; a damaged value must not give empty or enormous cells.
int sanitizedEdge(int edge)
{
    return std::clamp(edge, 16, 512);
}

QAction* menuAction(QMenu* menu, const char* name, const char* caption, const char* hint)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(QString::fromUtf8(hint));
    return action;
}

} // namespace

TfrmThumbWin::TfrmThumbWin(TEditSession& session, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool), m_session(session), m_browseDialog(std::make_unique<TFolderBrowseDialog>())
{
    setObjectName(QStringLiteral("frmThumbWin"));
    setWindowTitle(QStringLiteral("Image Browser"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    m_topBar = new QWidget(this);
    m_topBar->setObjectName(QStringLiteral("pnlTop"));
    auto* top = new QHBoxLayout(m_topBar);
    top->setContentsMargins(0, 0, 0, 0);
    m_explorerButton = new QToolButton(m_topBar);
    m_explorerButton->setObjectName(QStringLiteral("btnTVClose"));
    m_explorerButton->setToolTip(QStringLiteral("Show/Hide Explorer"));
    m_explorerButton->setStatusTip(QStringLiteral("Show or Hide Explorer Window"));
    m_explorerButton->setAutoRaise(true);
    connect(m_explorerButton, &QToolButton::clicked, this,
            [this] { setExplorerVisible(!m_explorerVisible); });
    m_currentFolder = new QLabel(QStringLiteral("Current Folder:"), m_topBar);
    m_currentFolder->setObjectName(QStringLiteral("lblCurrFolder"));
    m_currentFolder->setTextFormat(Qt::PlainText);
    top->addWidget(m_explorerButton);
    top->addWidget(m_currentFolder, 1);
    layout->addWidget(m_topBar);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    m_tree = new TShellFolderTree(m_splitter);
    m_tree->setObjectName(QStringLiteral("tvShell"));
    m_tree->setMinimumWidth(kTreeMinimumWidth);
    m_grid = new TThumbGrid(m_splitter);
    m_grid->setObjectName(QStringLiteral("grdThumbs"));
    m_splitter->setStretchFactor(1, 1);
    layout->addWidget(m_splitter, 1);

    m_grid->setCellPainter([this](QPainter& painter, int column, int row, const QRect& rect, bool selected) {
        paintCell(painter, column, row, rect, selected);
    });
    connect(m_tree, &TShellFolderTree::folderChanged, this, &TfrmThumbWin::treeFolderChanged);
    connect(m_grid, &TThumbGrid::pressed, this, &TfrmThumbWin::gridPressed);
    connect(m_grid, &TThumbGrid::currentCellChanged, this, [this](int column, int row) {
        const int index = indexOfCell(column, row);
        if (index >= 0)
            setStatus(recordStatusText(index));
        // From the keyboard too, so the menu key reaches the commands.
        enableThumbCommands(index >= 0);
    });
    connect(m_grid, &TThumbGrid::doubleClicked, this, [this] {
        if (!m_records.isEmpty())
            openSelected();
    });
    connect(m_grid, &TThumbGrid::activated, this, &TfrmThumbWin::insertSelected);
    connect(m_grid, &TThumbGrid::dragRequested, this, &TfrmThumbWin::startDrag);
    m_grid->installEventFilter(this);

    createMenu();
    m_grid->setContextMenu(m_menu);
    setExplorerVisible(true);

    move(kDesignLeft, kDesignTop);
    resize(600, kDesignHeight);
    m_splitter->setSizes({kDesignExplorerWidth, 600 - kDesignExplorerWidth});
    computeGridGeometry();
}

TfrmThumbWin::~TfrmThumbWin()
{
    TSettingsBatch settings;
    settings.writeInteger(SettingKeys::ThumbLeft, x());
    settings.writeInteger(SettingKeys::ThumbTop, y());
    settings.writeInteger(SettingKeys::ThumbWindowHeight, height());
    settings.writeInteger(SettingKeys::ThumbWindowWidth, width());
    settings.writeInteger(SettingKeys::ThumbVisible, isVisible() ? 1 : 0);
    settings.writeInteger(SettingKeys::ThumbExplorerWidth, m_tree->width());
    settings.writeInteger(SettingKeys::ThumbExplorerVisible, m_explorerVisible ? 1 : 0);
}

void TfrmThumbWin::setHost(std::unique_ptr<IThumbHost> host)
{
    m_host = std::move(host);
    createMenu();
}

void TfrmThumbWin::createMenu()
{
    if (!m_menu) {
        m_menu = new QMenu(this);
        m_menu->setObjectName(QStringLiteral("pmnuThumbs"));
        connect(m_menu, &QMenu::aboutToShow, this, [this] {
            m_clear->setEnabled(!m_records.isEmpty());
            rebuildFavoritesMenu();
        });
    }
    m_menu->clear();
    m_insert = menuAction(m_menu, "mniThumbsInsert", "&Insert Thumbnail",
                          "Inserts the thumbnail file into the animation");
    m_menu->setDefaultAction(m_insert);
    m_open =
        menuAction(m_menu, "mniThumbOpen", "&Open in Reelwright", "Opens the selected file into Reelwright");
    m_copy = menuAction(m_menu, "mniThumbsCopy", "&Copy to Clipboard",
                        "Copies the selected thumbnail to the clipboard");
    m_edit = menuAction(m_menu, "mniThumbsEdit", "&Edit with default program...",
                        "Opens the selected file in the default program");
    m_properties = menuAction(m_menu, "mniThumbsProperties", "&Properties...",
                              "Displays information about the selected file");
    connect(m_insert, &QAction::triggered, this, &TfrmThumbWin::insertSelected);
    connect(m_open, &QAction::triggered, this, &TfrmThumbWin::openSelected);
    connect(m_copy, &QAction::triggered, this, &TfrmThumbWin::copySelected);
    connect(m_edit, &QAction::triggered, this, &TfrmThumbWin::editSelected);
    connect(m_properties, &QAction::triggered, this, &TfrmThumbWin::showSelectedProperties);
    m_menu->addSeparator();
    if (m_host) {
        for (const char* name : {"ThumbsRefresh", "ThumbsBrowse"})
            if (QAction* action = m_host->mainAction(QString::fromLatin1(name)))
                m_menu->addAction(action);
    }
    m_clear = menuAction(m_menu, "mniThumbsClear", "C&lear Window", "Clear the thumbnail window");
    connect(m_clear, &QAction::triggered, this, [this] {
        if (!m_records.isEmpty())
            clearThumbnails();
    });
    m_menu->addSeparator();
    if (!m_favoritesMenu) {
        m_favoritesMenu = new QMenu(QStringLiteral("&Favorites"), m_menu);
        m_favoritesMenu->setObjectName(QStringLiteral("mniThumbsFavorites"));
    }
    m_menu->addMenu(m_favoritesMenu);
    rebuildFavoritesMenu();
    enableThumbCommands(false);
}

void TfrmThumbWin::rebuildFavoritesMenu()
{
    m_favoritesMenu->clear();
    QAction* add = menuAction(m_favoritesMenu, "mniThumbsFavsAdd", "&Add Current Folder",
                              "Add the current folder to the favorites list");
    connect(add, &QAction::triggered, this, &TfrmThumbWin::addCurrentFolderToFavorites);
    QAction* organize = menuAction(m_favoritesMenu, "mniThumbsFavsOrg", "&Organize Favorites...",
                                   "Opens the favorites dialog");
    connect(organize, &QAction::triggered, this, [this] {
        if (m_host)
            m_host->organizeFavorites();
    });
    m_favoritesMenu->addSeparator();
    if (!m_host)
        return;
    for (const QString& folder : m_host->favoriteFolders()) {
        // A folder name is text, not a caption: an "&" in it must stay an "&".
        QAction* entry =
            m_favoritesMenu->addAction(QString(folder).replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setStatusTip(QStringLiteral("Scan this folder for images"));
        connect(entry, &QAction::triggered, this, [this, folder] { openFavorite(folder); });
    }
}

void TfrmThumbWin::applySavedLayout(const TSettingsBatch& settings, int mainWindowWidth)
{
    const int left = settings.readInteger(SettingKeys::ThumbLeft, kDesignLeft);
    const int top = settings.readInteger(SettingKeys::ThumbTop, kDesignTop);
    const int height = settings.readInteger(SettingKeys::ThumbWindowHeight, kDesignHeight);
    const int width = settings.readInteger(SettingKeys::ThumbWindowWidth, mainWindowWidth - 50);
    const int explorerWidth = settings.readInteger(SettingKeys::ThumbExplorerWidth, kDesignExplorerWidth);
    move(left, top);
    resize(width, height);
    m_splitter->setSizes({explorerWidth, qMax(0, width - explorerWidth)});
    setExplorerVisible(settings.readInteger(SettingKeys::ThumbExplorerVisible) != 0);
    setVisible(settings.readInteger(SettingKeys::ThumbVisible) != 0);
}

void TfrmThumbWin::setFolder(const QString& folder)
{
    if (folder.isEmpty())
        return;
    m_browseDialog->setFolder(folder);
    m_tree->setFolder(folder);
}

QString TfrmThumbWin::folder() const
{
    return m_tree->folder();
}

void TfrmThumbWin::setExplorerVisible(bool visible)
{
    m_explorerVisible = visible;
    m_tree->setVisible(visible);
    m_explorerButton->setArrowType(visible ? Qt::RightArrow : Qt::LeftArrow);
    emit explorerVisibilityChanged(visible);
}

void TfrmThumbWin::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    emit closedByUser();
}

bool TfrmThumbWin::eventFilter(QObject* watched, QEvent* event)
{
    // The grid keeps as many columns as its width holds; a thumbnail keeps its index.
    if (watched == m_grid && event->type() == QEvent::Resize && !m_loading) {
        const int columns = m_grid->fittingColumns();
        if (columns != m_grid->columnCount()) {
            const int selected = selectedIndex();
            const int count = std::max<int>(1, int(m_records.size()));
            m_grid->setGridSize(columns, (count + columns - 1) / columns);
            if (selected >= 0)
                m_grid->setCurrentCell(selected % columns, selected / columns);
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the scan ----

int TfrmThumbWin::textHeight() const
{
    return fontMetrics().height();
}

void TfrmThumbWin::computeGridGeometry()
{
    const int cell = 2 * textHeight() + m_edge + 14;
    m_grid->setCellSize(cell, cell);
}

void TfrmThumbWin::setStatus(const QString& text)
{
    if (m_host)
        m_host->setStatusText(text);
}

void TfrmThumbWin::loadThumbnails(const QString& requested)
{
    if (requested.isEmpty() || m_loading)
        return;
    const QString folder = withTrailingSlash(requested);
    if (!QFileInfo(folder).isDir()) {
        messageDlg(QStringLiteral("%1 does not appear to be a valid path.").arg(folder),
                   TMsgType::Information, TMsgButtons::Ok);
        return;
    }
    setStatus(QStringLiteral("Scanning Folder for images..."));
    m_currentFolder->setText(QStringLiteral("Current Folder: %1").arg(folder));
    const int filter = m_host ? m_host->filterType() : kThumbFilterAll;
    const QList<TThumbFile> files = listThumbnailFiles(folder, filter);
    if (files.isEmpty()) {
        clearThumbnails();
        setStatus(QString::fromLatin1(kNoImagesFoundStatus) + folder);
        return;
    }

    clearThumbnails();
    m_edge = sanitizedEdge(m_host ? m_host->thumbnailSize() : 75);
    const int count = int(files.size());
    computeGridGeometry();
    const int columns = m_grid->fittingColumns();
    m_grid->setGridSize(columns, (count + columns - 1) / columns);

    TWaitCursor wait;
    if (m_host)
        m_host->showProgress(count - 1);
    try {
        m_records.reserve(count);
        m_images.reserve(count);
    } catch (const std::bad_alloc&) {
        messageDlg(QString::fromLatin1(kThumbsOutOfMemoryMessage), TMsgType::Warning, TMsgButtons::Ok);
        if (m_host)
            m_host->hideProgress();
        clearThumbnails();
        return;
    }
    m_loading = true;
    m_loadedFolder = folder;
    const QColor background = palette().color(QPalette::Window);
    QStringList paths;
    for (const TThumbFile& file : files)
        paths << folder + file.name;
    {
        TThumbPrefetcher prefetcher(paths, m_edge, m_cache);
        for (int i = 0; i < count; ++i) {
            setStatus(QStringLiteral("Scanning folder for images... %1%2 Complete")
                          .arg((i + 1) * 100 / count)
                          .arg(QLatin1Char('%')));
            if (m_host)
                m_host->setProgress(i);
            const TThumbDecodeResult decoded = prefetcher.take(i);
            if (!decoded.ok)
                continue;
            try {
                m_images.append(composeThumbnail(decoded.image, m_edge, background));
                m_records.append({files[i].name, decoded.picture.height(), decoded.picture.width(),
                                  int(std::min<int64_t>(kilobytes(files[i].size), INT32_MAX))});
            } catch (const std::bad_alloc&) {
                if (m_images.size() > m_records.size())
                    m_images.removeLast();
                break;
            }
            const int index = int(m_records.size()) - 1;
            if (isVisible())
                m_grid->viewport()->repaint(m_grid->cellRect(index % columns, index / columns));
        }
    }
    m_loading = false;
    enableThumbCommands(selectedIndex() >= 0);
    if (m_host)
        m_host->hideProgress();
}

void TfrmThumbWin::clearThumbnails()
{
    m_records.clear();
    m_images.clear();
    m_loadedFolder.clear();
    enableThumbCommands(false);
    if (isVisible()) {
        m_grid->setGridSize(1, 1);
        m_grid->setCurrentCell(0, 0);
        m_grid->viewport()->repaint();
    }
}

int TfrmThumbWin::indexOfCell(int column, int row) const
{
    if (column < 0 || row < 0)
        return -1;
    const qint64 index = qint64(row) * m_grid->columnCount() + column;
    return index < m_records.size() ? int(index) : -1;
}

int TfrmThumbWin::selectedIndex() const
{
    return indexOfCell(m_grid->currentColumn(), m_grid->currentRow());
}

QString TfrmThumbWin::selectedThumbnailPath() const
{
    const int index = selectedIndex();
    return index >= 0 ? m_loadedFolder + m_records[index].name : QString();
}

void TfrmThumbWin::selectThumbnail(int index)
{
    if (index < 0 || index >= m_records.size())
        return;
    const int columns = m_grid->columnCount();
    const int before = selectedIndex();
    m_grid->setCurrentCell(index % columns, index / columns);
    if (before == index) {
        setStatus(recordStatusText(index));
        enableThumbCommands(true);
    }
}

QString TfrmThumbWin::recordStatusText(int index) const
{
    const TThumbRecord& r = m_records[index];
    return QStringLiteral("%1 - (%2 x %3) %4KB").arg(r.name).arg(r.height).arg(r.width).arg(r.kilobytes);
}

// ---- drawing ----

void TfrmThumbWin::paintCell(QPainter& painter, int column, int row, const QRect& rect, bool selected)
{
    const int index = indexOfCell(column, row);
    if (index < 0)
        return;
    const QPalette& pal = palette();
    painter.fillRect(rect, pal.color(QPalette::Window));
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    painter.fillRect(inner, pal.color(selected ? QPalette::Highlight : QPalette::Button));
    qDrawShadePanel(&painter, inner, pal, false, 1);
    painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    painter.setFont(font());

    const QImage& image = m_images[index];
    const QPoint at(inner.left() + (inner.width() - image.width()) / 2,
                    inner.top() + (inner.height() - image.height()) / 2);
    qDrawShadePanel(&painter, QRect(at - QPoint(1, 1), image.size() + QSize(2, 2)), pal, true, 1);
    painter.drawImage(at, image);

    const TThumbRecord& record = m_records[index];
    const QFontMetrics metrics = fontMetrics();
    const int line = textHeight();
    const QString size = QStringLiteral("%1 x %2").arg(record.height).arg(record.width);
    painter.drawText(QRect(inner.left(), inner.top() + 2, inner.width(), line),
                     Qt::AlignHCenter | Qt::AlignTop, size);
    const QRect text = inner.adjusted(4, 2, -4, -2);
    const QString name = metrics.elidedText(record.name, Qt::ElideRight, text.width());
    painter.drawText(QRect(text.left(), text.bottom() - line + 1, text.width(), line),
                     Qt::AlignHCenter | Qt::AlignTop, name);
}

// ---- pointer ----

void TfrmThumbWin::enableThumbCommands(bool enabled)
{
    for (QAction* action : {m_insert, m_edit, m_copy, m_open, m_properties})
        action->setEnabled(enabled);
}

void TfrmThumbWin::gridPressed(int column, int row, Qt::MouseButton button)
{
    (void)button;
    const int index = indexOfCell(column, row);
    if (index >= 0)
        setStatus(recordStatusText(index));
    enableThumbCommands(index >= 0);
}

QMimeData* TfrmThumbWin::dragData(int index) const
{
    if (index < 0 || index >= m_records.size())
        return nullptr;
    return makeThumbnailMimeData(m_loadedFolder + m_records[index].name);
}

void TfrmThumbWin::startDrag(int column, int row)
{
    QMimeData* data = dragData(indexOfCell(column, row));
    if (!data)
        return;
    auto* drag = new QDrag(m_grid);
    drag->setMimeData(data);
    drag->setPixmap(QPixmap::fromImage(m_images[indexOfCell(column, row)]));
    if (m_host)
        drag->setDragCursor(m_host->dragCursor().pixmap(), Qt::CopyAction);
    drag->exec(Qt::CopyAction);
}

// ---- commands ----

void TfrmThumbWin::insertSelected()
{
    const QString path = selectedThumbnailPath();
    if (!path.isEmpty() && m_host)
        m_host->insertThumbnailFile(path);
}

void TfrmThumbWin::openSelected()
{
    const QString path = selectedThumbnailPath();
    if (!path.isEmpty() && m_host && QFileInfo::exists(path))
        m_host->openThumbnailFile(path);
}

void TfrmThumbWin::copySelected()
{
    const QString path = selectedThumbnailPath();
    if (path.isEmpty())
        return;
    TBitmap bitmap;
    int result = liFailed;
    {
        TWaitCursor wait;
        result = loadImageFileIntoBitmap(m_session, path, bitmap, recognizeFileType(path), true);
    }
    if (result != liLoaded) {
        messageDlg(QStringLiteral("Image was not successfully copied to the clipboard."), TMsgType::Warning,
                   TMsgButtons::Ok);
        return;
    }
    QGuiApplication::clipboard()->setImage(bitmap.toImage());
    if (m_host)
        m_host->clipboardChanged();
    QApplication::beep();
    messageDlg(QStringLiteral("Image successfully copied to the clipboard."), TMsgType::Information,
               TMsgButtons::Ok);
}

void TfrmThumbWin::editSelected()
{
    const QString path = selectedThumbnailPath();
    if (!path.isEmpty())
        m_session.openDocumentOrLink(path);
}

void TfrmThumbWin::showSelectedProperties()
{
    const QString path = selectedThumbnailPath();
    if (path.isEmpty() || !m_host)
        return;
    TImagePropertiesRequest request;
    request.path = path;
    request.fileName = QFileInfo(path).fileName();
    {
        TWaitCursor wait;
        TImagingControl control;
        control.setFileName(path);
        if (control.errorCode() == imgOk) {
            const QByteArray file = dibToBitmapFile(control.takeDib());
            request.picture.loadFromData(file, "BMP");
            request.fileSize = QStringLiteral("%1 KB").arg(kilobytes(QFileInfo(path).size()));
            request.dimensions = QStringLiteral("%1 x %2").arg(control.height()).arg(control.width());
        }
        control.release();
    }
    if (request.picture.isNull()) {
        request.fileSize = QStringLiteral("KB");
        request.dimensions = QStringLiteral("Unable to load image");
    }
    m_host->showImageProperties(request);
}

void TfrmThumbWin::addCurrentFolderToFavorites()
{
    if (m_host && !folder().isEmpty())
        m_host->addFavorite(folder());
}

void TfrmThumbWin::openFavorite(const QString& favorite)
{
    if (QFileInfo(favorite).isDir()) {
        setFolder(favorite);
        return;
    }
    messageDlg(QStringLiteral("Could not find %1. Folder may have moved or does not exist.").arg(favorite),
               TMsgType::Information, TMsgButtons::Ok);
    if (m_host)
        m_host->removeFavorite(favorite);
}

void TfrmThumbWin::showThroughViewButton()
{
    // As if the tool button had been pressed down, without its load of the remembered folder:
    // the caller loads a folder of its own.
    if (QAction* view = m_host ? m_host->mainAction(QStringLiteral("ThumbView")) : nullptr)
        view->setChecked(true);
    show();
}

void TfrmThumbWin::browse()
{
    if (!isVisible())
        showThroughViewButton();
    if (m_browseDialog->execute())
        setFolder(m_browseDialog->folder());
    else
        m_browseDialog->setFolder(folder());
}

void TfrmThumbWin::refresh()
{
    if (!isVisible())
        showThroughViewButton();
    loadThumbnails(folder());
}

// ---- the folder tree ----

void TfrmThumbWin::treeFolderChanged(const QString& changed)
{
    if (changed.isEmpty() || !QFileInfo(changed).isDir()) {
        // Home stands in for the drive root of the system the layout comes from.
        const QString home = QDir::homePath();
        const QString fallback = QFileInfo(home).isDir() ? home : QCoreApplication::applicationDirPath();
        if (!sameFolder(fallback, changed))
            m_tree->setFolder(fallback);
        return;
    }
    if (!isVisible() || (m_host && sameFolder(changed, m_host->rememberedFolder())))
        return;
    loadThumbnails(changed);
    m_browseDialog->setFolder(changed);
    if (m_host)
        m_host->setRememberedFolder(changed);
}
