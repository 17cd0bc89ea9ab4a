#pragma once
// The image browser's window ("Image Browser"): a folder tree beside a grid of thumbnails. This
// holds the window's life cycle: created hidden, laid out from the "ThumbNails" settings by the
// deferred start-up, and saving its bounds when destroyed. The scan itself is the main window's
// thumbnail hook.
#include <QWidget>

class QFileSystemModel;
class QListWidget;
class QSplitter;
class QToolButton;
class QTreeView;
class TSettingsBatch;

class TfrmThumbWin : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDesignLeft = 60;
    static constexpr int kDesignTop = 690;
    static constexpr int kDesignHeight = 240;
    static constexpr int kDesignExplorerWidth = 170;

    explicit TfrmThumbWin(QWidget* mainWindow);
    ~TfrmThumbWin() override;

    // Applies Visible, Left, Top, WindowHeight, WindowWidth, ExplorerWidth and ExplorerVisible.
    void applySavedLayout(const TSettingsBatch& settings, int mainWindowWidth);
    void setFolder(const QString& folder);
    QString folder() const { return m_folder; }
    void setExplorerVisible(bool visible);
    bool explorerVisible() const { return m_explorerVisible; }

signals:
    void closedByUser();
    void explorerVisibilityChanged(bool visible);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QSplitter* m_splitter = nullptr;
    QTreeView* m_tree = nullptr;
    QFileSystemModel* m_model = nullptr;
    QListWidget* m_grid = nullptr;
    QToolButton* m_explorerButton = nullptr;
    QString m_folder;
    bool m_explorerVisible = true;
};
