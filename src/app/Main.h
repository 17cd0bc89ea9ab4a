#pragma once
// The main window: the multiple-document frame with the menu bar, the three toolbars, the frame
// strip area, the status bar and the start-up logo. It loads the settings it keeps at creation,
// runs the deferred start-up once it is on screen and writes its settings when destroyed.
#include "app/StartupHooks.h"
#include "app/StartupState.h"
#include "editing/RoutinesHost.h"
#include "graphics/Graphic.h"

#include <QEvent>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QMdiSubWindow;
class QTimer;
class TDocumentTabs;
class TMDIChild;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QMovie;
class QProgressBar;
class QSplitter;
class QTabWidget;
class ICommandDialogs;
class IFrameInspectorView;
class ICommandHost;
class IFrameStripHost;
class QMimeData;
class TFramePanels;
class TFrameStrip;
class TFrameStripController;
class QToolBar;
class TFavorites;
class TRecentFiles;
class TSettingsBatch;
class TPlayback;
class TfrmFloat;
class TfrmThumbWin;

// Private messages, posted to the main window.
inline constexpr QEvent::Type kMsgDeferredStartup = QEvent::Type(QEvent::User + 77);     // 1101
inline constexpr QEvent::Type kMsgLoadActiveDocument = QEvent::Type(QEvent::User + 120); // 1144

inline constexpr const char* kApplicationTitle = "Brightwell GIF Reelwright 5.0";
inline constexpr const char* kHelpFile = "Reelwright.hlp";

class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    // Design bounds, used when no bounds are stored.
    static constexpr int kDesignLeft = 60;
    static constexpr int kDesignTop = 40;
    static constexpr int kDesignWidth = 820;
    static constexpr int kDesignHeight = 620;
    static constexpr int kFramePanelExtra = 112; // frame area height = frame size + 112

    // Runs the creation steps: settings load, frame strip set-up, command line, automation object.
    TfrmMain(TStartupHooks hooks, QStringList arguments);
    // Runs the destruction steps, saving the settings.
    ~TfrmMain() override;

    // The companion windows, created after the main window; not owned.
    void attachCompanions(TfrmThumbWin* browser, TfrmFloat* inspector);
    TfrmThumbWin* browser() const;

    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* menu(const QString& objectName) const;
    QToolBar* toolbar(int tag) const;
    const TStartupState& state() const { return m_state; }
    TStartupState& state() { return m_state; }
    TRecentFiles& recentFiles() { return *m_recentFiles; }
    TFavorites& favorites() { return *m_favorites; }
    QObject* automationApplication() const { return m_automation.get(); }
    QMdiArea* mdiArea() const { return m_mdiArea; }
    TFrameStrip* frameStrip() const { return m_frameStrip; }
    TFramePanels* framePanels() const { return m_panels; }
    TFrameStripController* stripController() const { return m_stripController; }
    // The main command set's view of this window.
    ICommandHost& commandHost() { return *m_commandHost; }
    // The dialogs of other units the commands open (the program's own unless a test installs others).
    ICommandDialogs& commandDialogs() { return *m_commandDialogs; }
    void setCommandDialogs(std::unique_ptr<ICommandDialogs> dialogs);
    // The inspector as the strip fills it and as its window; null while it does not exist.
    IFrameInspectorView* inspector() const;
    TfrmFloat* inspectorWindow() const;
    QString frameClipboardFile() const { return m_frameClipboardFile; }
    void setFrameClipboardFile(const QString& name) { m_frameClipboardFile = name; }
    // The status bar's progress display, for the working image and every image read or written
    // for long work.
    TProgressEvent progressHandler();
    QLabel* statusPanel(int index) const;
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* logoPanel() const { return m_logoPanel; }
    QCursor dragCursor() const;   // cursor 5
    QCursor pickerCursor() const; // cursor 10
    bool deferredStartupDone() const { return m_deferredStartupDone; }
    // True once the window has accepted its close: companions closing after it keep their state.
    bool closingDown() const { return m_closingDown; }
    int workingImageFrameCount() const;
    TDocumentTabs* documentTabs() const { return m_tabs; }
    QWidget* tabPanel() const { return m_tabPanel; }

    // ---- documents (DocumentOps.cpp) ----
    // Open documents in creation order; closing ones are already left out.
    QList<TMDIChild*> documents() const;
    int documentCount() const { return int(documents().size()); }
    // The document whose animation the working image holds; null when none.
    TMDIChild* activeDocument() const;
    bool anyModified() const;
    // Opens a GIF file as a document (already open: beep and bring it to the front).
    // True when a document for the file is active afterwards.
    bool openDocument(const QString& path);
    // A new untitled document for what the working image holds now.
    TMDIChild* createNewDocument();
    // Deactivates the active document, brings doc to the front and loads it at once.
    void makeActive(TMDIChild* doc);
    // Closes a document without asking.
    void removeDocument(TMDIChild* doc);
    // Reads a file into the working image for the active document; false when that failed and
    // the document was removed.
    bool reloadActiveDocument(const QString& fileName);
    // Index of the document's tab, -1 when none.
    int tabIndex(const TMDIChild* doc) const;
    // The commands; each returns whether it ran to the end.
    void openFiles();
    // The active document; without one the three save commands are disabled.
    TMDIChild* documentToSave();
    bool saveActiveDocument();
    bool saveActiveDocumentAs();
    void saveAllDocuments();
    void closeActiveDocument();
    // Closes every document from the last to the first, each with its close question; false
    // when one of them refused.
    bool closeAllDocuments();
    void nextDocument();
    void previousDocument();
    void undoActiveDocument();
    void enterNoDocumentState();
    // The save dialog of Save, Save As and the close question; empty when cancelled.
    QString askSaveFileName(const QString& proposedName, bool saveAs = false);
    // Called by a document window that agreed to close or is removed.
    void documentClosing(TMDIChild* doc);
    // Called by a document for its tab text, its bullet and the save commands.
    void documentRenamed(TMDIChild* doc);
    void refreshSaveCommands();
    // "title - [name]" with the modified mark of the active document, or the title alone.
    void refreshWindowTitle();
    void repaintTabs();
    // The strip controller's current frame: -1 when none.
    int mainCurrentFrame() const;
    bool workspaceDropFlag() const { return m_workspaceDropFlag; }
    void setWorkspaceDropFlag(bool value) { m_workspaceDropFlag = value; }
    QString saveDialogFolder() const { return m_saveDialogFolder; }

    // ---- the frame strip, as documents use it; the strip's own unit may replace these ----
    void clearFrameStrip();
    void setFrameColumns(int count);
    int frameColumnCount() const;
    // Shows frame index in the active document; false without an active document, for an index
    // outside the strip or with an empty working image.
    bool selectFrame(int index);
    void repaintFrameStrip();
    void addFrameColumn();
    void setStatusText(int panel, const QString& text);

    // Preview playback (Playback.h); the pause and stop points stop it with release.
    TPlayback& playback() { return *m_playback; }
    void pausePlayback();
    void stopPlayback();
    void refreshPluginMenus();

    // Switches every document command and the frame and animation panels together.
    void enableDocumentCommands(bool enabled);
    // Frame size of the strip: cell sizes, panel area height, menu check (the strip's one path).
    void setFrameSize(int size);
    // The image browser's thumbnails dropped on a strip column. The image routines have no drop
    // path for thumbnails yet; this is where it hooks in.
    void dropThumbnailOnStrip(int column, const QMimeData* data);
    // "&Reverse Frame Order" follows the document and playback state.
    void updateReverseAction();
    // Removes the start-up logo (first document command, resize).
    void removeLogo();
    // The inspector's menu check and its restore flag.
    void setInspectorChecked(bool checked);
    void setToolbarsFlat(bool flat);

signals:
    // The window accepted its close: documents are closed and the program may end.
    void closed();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolbars();
    void createFramePopup();
    void createCentralArea();
    void createStatusBar();
    void loadSettings();
    void loadToolbarSettings(TSettingsBatch& settings);
    void saveSettings();
    void saveToolbarSettings(TSettingsBatch& settings);
    void checkFrameSizeItem(int size);
    void frameSizeChanged(int size);
    void connectCommands();
    std::unique_ptr<IFrameStripHost> makeFrameStripHost();
    void fillWindowList();
    void runDeferredStartup();
    void showLogo();
    void toggleToolbar(QAction* item, QToolBar* toolbar);
    void connectDocumentCommands();
    void onSubWindowActivated(QMdiSubWindow* window);
    void addPlayMenuEntry(TMDIChild* doc);
    void removePlayMenuEntry(TMDIChild* doc);
    // Puts the previous document back into the working image after an open that failed.
    void restoreAfterFailedOpen(TMDIChild* previous);
    void updateWindowMenu();
    // After the active document closed: the workspace's next window takes the working image.
    void activateAfterClose();
    QAction* addMenuItem(QMenu* menu, const QString& objectName, const QString& caption,
                         const QString& hint = {});

    TStartupHooks m_hooks;
    QStringList m_arguments;
    TStartupState m_state;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QToolBar* m_toolbars[3] = {};
    QActionGroup* m_frameSizeGroup = nullptr;
    QMenu* m_framePopup = nullptr;
    QMdiArea* m_mdiArea = nullptr;
    TDocumentTabs* m_tabs = nullptr;
    QWidget* m_tabPanel = nullptr;
    QWidget* m_topBevel = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_frameArea = nullptr;
    TFramePanels* m_panels = nullptr;
    TFrameStrip* m_frameStrip = nullptr;
    TFrameStripController* m_stripController = nullptr;
    std::unique_ptr<IFrameStripHost> m_stripHost;
    std::unique_ptr<ICommandHost> m_commandHost;
    std::unique_ptr<ICommandDialogs> m_commandDialogs;
    QLabel* m_statusPanels[3] = {};
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_logoPanel = nullptr;
    QMovie* m_logoMovie = nullptr;
    QSize m_logoWindowSize;
    std::unique_ptr<TRecentFiles> m_recentFiles;
    std::unique_ptr<TFavorites> m_favorites;
    std::unique_ptr<TPlayback> m_playback;
    std::shared_ptr<QObject> m_automation;
    QPointer<TfrmThumbWin> m_browser;
    QPointer<TfrmFloat> m_inspector;
    QString m_frameClipboardFile;
    int m_frameWindowHeight = 0;
    bool m_closingDown = false;
    bool m_deferredStartupDone = false;

    QList<TMDIChild*> m_documents;
    QPointer<TMDIChild> m_activeDocument;
    bool m_workspaceDropFlag = false;
    bool m_syncingTabs = false;
    QString m_saveDialogFolder;
    QTimer* m_noDocumentTimer = nullptr;
    std::unique_ptr<IRoutinesPrompts> m_routinesPrompts;
    std::unique_ptr<IRoutinesHost> m_routinesHost;
    std::unique_ptr<TScopedRoutinesHost> m_routinesHostScope;
};
