#include "widgets/ShellFolderTree.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QMenu>
#include <QUrl>

#include <algorithm>

TShellFolderTree::TShellFolderTree(QWidget* parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDragEnabled(true);
}

QString TShellFolderTree::normalizedFolder(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    return QDir::cleanPath(QDir(folder).absolutePath());
}

void TShellFolderTree::ensureModel()
{
    if (m_model)
        return;
    // The model watches the file system from its own thread; it is made on first use only, so a
    // browser that is never shown costs nothing.
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setReadOnly(true);
    m_model->setRootPath(QString());
    setModel(m_model);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    for (int column = 1; column < m_model->columnCount(); ++column)
        hideColumn(column);
    // Folders lie deep and the tree is narrow: the column is as wide as its names and the view
    // scrolls sideways, so a selected folder's name is never cut off.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The model reads folders in the background and sorts them when they arrive, which moves the
    // rows under the selection: until the user takes the tree in hand, the held folder is brought
    // back into view once the model has settled.
    m_revealTimer = new QTimer(this);
    m_revealTimer->setSingleShot(true);
    m_revealTimer->setInterval(60);
    connect(m_revealTimer, &QTimer::timeout, this, &TShellFolderTree::showHeldFolder);
    auto settle = [this] {
        if (m_revealPending)
            m_revealTimer->start();
    };
    connect(m_model, &QFileSystemModel::directoryLoaded, this, settle);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, settle);
}

void TShellFolderTree::showHeldFolder()
{
    if (m_folder.isEmpty() || !QDir(m_folder).exists())
        return;
    ensureModel();
    const QModelIndex index = m_model->index(m_folder);
    if (!index.isValid())
        return;
    m_selecting = true;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    // Sideways, the folder's own level is shown from its start rather than the tree's root.
    horizontalScrollBar()->setValue(std::max(0, visualRect(index).left() + horizontalOffset() - indentation()));
    m_selecting = false;
}

void TShellFolderTree::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    // Selected while hidden, the folder was scrolled to in a view of no size.
    QTimer::singleShot(0, this, &TShellFolderTree::showHeldFolder);
}

bool TShellFolderTree::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        m_revealPending = false; // the user scrolls or picks: the view is theirs now
        break;
    default:
        break;
    }
    return QTreeView::viewportEvent(event);
}

void TShellFolderTree::keyPressEvent(QKeyEvent* event)
{
    m_revealPending = false;
    QTreeView::keyPressEvent(event);
}

void TShellFolderTree::setFolder(const QString& folder)
{
    m_revealPending = true;
    const QString normalized = normalizedFolder(folder);
    const bool changed = normalized != m_folder;
    m_folder = normalized;
    showHeldFolder();
    if (changed)
        emit folderChanged(m_folder);
}

void TShellFolderTree::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_selecting || !current.isValid() || !m_model)
        return;
    const QString folder = normalizedFolder(m_model->filePath(current));
    if (folder == m_folder)
        return;
    m_folder = folder;
    emit folderChanged(m_folder);
}

void TShellFolderTree::contextMenuEvent(QContextMenuEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid() || !m_model)
        return;
    const QString folder = m_model->filePath(index);
    QMenu menu(this);
    menu.addAction(tr("&Open in File Manager"), this,
                   [folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    menu.addAction(tr("&Select"), this, [this, folder] { setFolder(folder); });
    menu.exec(event->globalPos());
}
