#include "widgets/ShellFolderTree.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileSystemModel>
#include <QMenu>
#include <QUrl>

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
    // The model reads folders in the background and sorts them when they arrive, which moves the
    // rows under the selection: bring the held folder back into view as each folder on its path
    // is read.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        const QString loaded = normalizedFolder(path);
        if (m_folder == loaded || m_folder.startsWith(loaded.endsWith(QLatin1Char('/')) ? loaded : loaded + QLatin1Char('/')))
            showHeldFolder();
    });
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
    m_selecting = false;
}

void TShellFolderTree::setFolder(const QString& folder)
{
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
