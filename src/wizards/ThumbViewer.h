#pragma once
// The image browser ("Image Browser"): a folder tree beside an owner-drawn grid of square
// thumbnails of the pictures of one folder, with the thumbnail commands (insert, open, copy,
// edit in the default program, properties, favourites) and thumbnails as drag sources.
//
// The browser owns its thumbnail records and images. What it needs of the rest of the program
// (status bar, progress, the settings the main window keeps, inserting or opening a picture,
// favourites, the properties page) it asks through IThumbHost, which the program's wiring
// implements (src/app/ThumbWiring.cpp); the browser never reaches into the main window.
//
// The commands act on the folder the thumbnails were loaded from, never on wherever the tree
// has moved since: the tree can move while the window is hidden or be passed over by automation.
#include "wizards/ThumbScan.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QMimeData;
class QSplitter;
class QToolButton;
class TFolderBrowseDialog;
class TSettingsBatch;
class TShellFolderTree;
class TThumbGrid;
class TThumbnailCache;
class TEditSession;

// A thumbnail being dragged: the picture's full path as UTF-8. The format is private to the
// program; the drag also offers text/uri-list so other programs take the file. Drop targets test
// for the thumbnail format first, since a plain uri-list drop means "files from the shell".
inline constexpr const char* kThumbnailMimeType = "application/x-reelwright-thumbnail";
QMimeData* makeThumbnailMimeData(const QString& path);
// The path a drop carries; empty when it is not a thumbnail.
QString thumbnailPathFromMime(const QMimeData* data);

// What the properties page shows for a file.
struct TImagePropertiesRequest
{
    QString path;       // full path of the file
    QString fileName;   // file name without folder
    QString fileSize;   // "%d KB", or "KB" when the picture did not load
    QString dimensions; // "%d x %d" (height, then width), or "Unable to load image"
    QImage picture;     // at its own size; null when it did not load
};

class IThumbHost
{
public:
    virtual ~IThumbHost() = default;

    // The main status bar's text panel, repainted at once (the scan runs without an event loop).
    virtual void setStatusText(const QString& text) = 0;
    virtual void showProgress(int maximum) = 0;
    virtual void setProgress(int value) = 0;
    virtual void hideProgress() = 0;

    // "ThumbailSize" and "FilterType" as the main window keeps them.
    virtual int thumbnailSize() const = 0;
    virtual int filterType() const = 0;
    // The remembered thumbnail folder ("Directory" at shut-down).
    virtual QString rememberedFolder() const = 0;
    virtual void setRememberedFolder(const QString& folder) = 0;

    // "&Insert Thumbnail": the picture as a frame after the current frame; the new index or -1.
    virtual int insertThumbnailFile(const QString& path) = 0;
    // "&Open in Reelwright": a GIF as a document, another picture as a new animation. A picture
    // that does not load leaves every document as it was.
    virtual void openThumbnailFile(const QString& path) = 0;
    // A picture was put on the clipboard ("&Paste" follows it).
    virtual void clipboardChanged() = 0;

    virtual QStringList favoriteFolders() const = 0;
    // False when the folder is already a favourite.
    virtual bool addFavorite(const QString& folder) = 0;
    virtual void removeFavorite(const QString& folder) = 0;
    virtual void organizeFavorites() = 0;

    // The prompt dialogs' properties page.
    virtual void showImageProperties(const TImagePropertiesRequest& request) = 0;

    // A main-window action shown in the thumbnail menu (ThumbsRefresh, ThumbsBrowse); may be null.
    virtual QAction* mainAction(const QString& name) const = 0;
    virtual QCursor dragCursor() const = 0;
};

struct TThumbRecord
{
    QString name; // without folder
    int height = 0;
    int width = 0;
    int kilobytes = 0;
};

class TfrmThumbWin : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDesignLeft = 60;
    static constexpr int kDesignTop = 690;
    static constexpr int kDesignHeight = 240;
    static constexpr int kDesignExplorerWidth = 170;
    static constexpr int kTreeMinimumWidth = 60;

    // The session turns chosen pictures into bitmaps and opens files with the desktop.
    TfrmThumbWin(TEditSession& session, QWidget* mainWindow);
    ~TfrmThumbWin() override;

    void setHost(std::unique_ptr<IThumbHost> host);
    IThumbHost* host() const { return m_host.get(); }
    // The desktop thumbnail cache; null switches it off.
    void setThumbnailCache(std::shared_ptr<const TThumbnailCache> cache) { m_cache = std::move(cache); }

    // Applies Visible, Left, Top, WindowHeight, WindowWidth, ExplorerWidth and ExplorerVisible.
    void applySavedLayout(const TSettingsBatch& settings, int mainWindowWidth);

    // The tree's folder. Setting it selects it in the tree, which loads it when the window is
    // shown and it is not the remembered folder; an empty text leaves the tree where it is.
    void setFolder(const QString& folder);
    QString folder() const;
    void setExplorerVisible(bool visible);
    bool explorerVisible() const { return m_explorerVisible; }

    // The scan: every picture of the folder as a thumbnail, in name order.
    void loadThumbnails(const QString& folder);
    void clearThumbnails();
    // Full path of the thumbnail in the grid's current cell; empty when the cell holds none.
    QString selectedThumbnailPath() const;
    // The folder the thumbnails were loaded from, with a trailing "/"; empty when none are.
    QString loadedFolder() const { return m_loadedFolder; }
    int thumbnailCount() const { return int(m_records.size()); }
    const TThumbRecord& record(int index) const { return m_records[index]; }
    const QImage& thumbnail(int index) const { return m_images[index]; }
    int thumbnailEdge() const { return m_edge; }
    // Selects the cell of a thumbnail (shows its status text).
    void selectThumbnail(int index);

    // The commands of the thumbnail menu, on the selected thumbnail.
    void insertSelected();
    void openSelected();
    void copySelected();
    void editSelected();
    void showSelectedProperties();
    void addCurrentFolderToFavorites();
    void openFavorite(const QString& folder);
    void browse();
    void refresh();

    TShellFolderTree* tree() const { return m_tree; }
    TThumbGrid* grid() const { return m_grid; }
    QLabel* currentFolderLabel() const { return m_currentFolder; }
    QToolButton* explorerButton() const { return m_explorerButton; }
    QMenu* thumbnailMenu() const { return m_menu; }
    TFolderBrowseDialog& browseDialog() { return *m_browseDialog; }
    // The drag a press and a 10-pixel move on a thumbnail starts (the drag itself needs a real
    // pointer, so this is what tests look at).
    QMimeData* dragData(int index) const;

signals:
    void closedByUser();
    void explorerVisibilityChanged(bool visible);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    void rebuildFavoritesMenu();
    void treeFolderChanged(const QString& folder);
    void computeGridGeometry();
    void paintCell(QPainter& painter, int column, int row, const QRect& rect, bool selected);
    int indexOfCell(int column, int row) const;
    int selectedIndex() const;
    QString recordStatusText(int index) const;
    void gridPressed(int column, int row, Qt::MouseButton button);
    void enableThumbCommands(bool enabled);
    void startDrag(int column, int row);
    void setStatus(const QString& text);
    void showThroughViewButton();
    int textHeight() const;

    TEditSession& m_session;
    std::unique_ptr<IThumbHost> m_host;
    std::shared_ptr<const TThumbnailCache> m_cache;
    std::unique_ptr<TFolderBrowseDialog> m_browseDialog;
    QWidget* m_topBar = nullptr;
    QToolButton* m_explorerButton = nullptr;
    QLabel* m_currentFolder = nullptr;
    QSplitter* m_splitter = nullptr;
    TShellFolderTree* m_tree = nullptr;
    TThumbGrid* m_grid = nullptr;
    QMenu* m_menu = nullptr;
    QMenu* m_favoritesMenu = nullptr;
    QAction* m_insert = nullptr;
    QAction* m_open = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_edit = nullptr;
    QAction* m_properties = nullptr;
    QAction* m_clear = nullptr;

    QList<TThumbRecord> m_records;
    QList<QImage> m_images;
    QString m_loadedFolder;
    int m_edge = 75;
    bool m_explorerVisible = true;
    bool m_loading = false;
};
