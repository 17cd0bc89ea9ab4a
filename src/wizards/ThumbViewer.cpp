#include "wizards/ThumbViewer.h"

#include "platform/Settings.h"

#include <QCloseEvent>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>

TfrmThumbWin::TfrmThumbWin(QWidget* mainWindow) : QWidget(mainWindow, Qt::Tool)
{
    setObjectName(QStringLiteral("frmThumbWin"));
    setWindowTitle(QStringLiteral("Image Browser"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_explorerButton = new QToolButton(this);
    m_explorerButton->setObjectName(QStringLiteral("btnTVClose"));
    m_explorerButton->setArrowType(Qt::LeftArrow);
    connect(m_explorerButton, &QToolButton::clicked, this,
            [this] { setExplorerVisible(!m_explorerVisible); });
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new QTreeView(m_splitter);
    m_tree->setObjectName(QStringLiteral("tvFolders"));
    m_tree->setHeaderHidden(true);
    m_grid = new QListWidget(m_splitter);
    m_grid->setObjectName(QStringLiteral("grdThumbs"));
    m_grid->setViewMode(QListView::IconMode);
    m_splitter->setStretchFactor(1, 1);
    layout->addWidget(m_explorerButton, 0, Qt::AlignTop);
    layout->addWidget(m_splitter, 1);
    move(kDesignLeft, kDesignTop);
    resize(600, kDesignHeight);
    m_splitter->setSizes({kDesignExplorerWidth, 600 - kDesignExplorerWidth});
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
    m_folder = folder;
    if (!m_model) {
        // The model watches the file system from its own thread; create it only when needed.
        m_model = new QFileSystemModel(this);
        m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
        m_model->setRootPath(QString());
        m_tree->setModel(m_model);
        for (int column = 1; column < m_model->columnCount(); ++column)
            m_tree->hideColumn(column);
    }
    const QModelIndex index = m_model->index(folder);
    if (index.isValid()) {
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            m_tree->expand(parent);
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }
}

void TfrmThumbWin::setExplorerVisible(bool visible)
{
    m_explorerVisible = visible;
    m_tree->setVisible(visible);
    m_explorerButton->setArrowType(visible ? Qt::LeftArrow : Qt::RightArrow);
    emit explorerVisibilityChanged(visible);
}

void TfrmThumbWin::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    emit closedByUser();
}
