#pragma once
// The main window: the multiple-document frame with the menu bar, the three toolbars, the frame
// strip area, the status bar and the start-up logo. It loads the settings it keeps at creation,
// runs the deferred start-up once it is on screen and writes its settings when destroyed.
#include "app/MainActions.h"
#include "app/StartupHooks.h"
#include "app/StartupState.h"
#include "graphics/Graphic.h"
#include "platform/UserTexts.h"

#include <QEvent>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

class QAction;
class QMdiSubWindow;
class QTimer;
class IEditPrompts;
class IEditView;
class TDocument;
class TDocumentTabs;
class TEditSession;
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

// The deferred start-up, posted to the main window when it is first shown.
inline constexpr QEvent::Type kMsgDeferredStartup = QEvent::Type(QEvent::User + 77);

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
    // The session is the program's; the window attaches itself as its view while it exists.
    TfrmMain(TEditSession& session, TStartupHooks hooks, QStringList arguments);
    // Runs the destruction steps, saving the settings.
    ~TfrmMain() override;

    // The companion windows, created after the main window; not owned.
    void attachCompanions(TfrmThumbWin* browser, TfrmFloat* inspector);
    TfrmThumbWin* browser() const;

    TEditSession& session() const { return m_session; }
    // A command of the window; every identifier has one from construction on.
    QAction* action(TActionId id) const;
    // A command by object name, for names from outside (settings, automation, plug-ins, the
    // frame size items); null when there is none.
    QAction* findAction(const QString& name) const { return m_actions.value(name); }
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
    // Shows or hides the plug-in items that need an open document; the add-in manager asks for
    // this after loading plug-ins.
    void refreshPluginMenus();
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* logoPanel() const { return m_logoPanel; }
    // Drawn cursors: an arrow carrying a frame (drags), an eyedropper (colour picking).
    QCursor dragCursor() const;
    QCursor pickerCursor() const;
    bool deferredStartupDone() const { return m_deferredStartupDone; }
    // True once the window has accepted its close: companions closing after it keep their state.
    bool closingDown() const { return m_closingDown; }
    TDocumentTabs* documentTabs() const { return m_tabs; }
    QWidget* tabPanel() const { return m_tabPanel; }
    // The window showing a document; null when it has none.
    TMDIChild* viewOf(const TDocument* doc) const;

    // Switches every document command and the frame and animation panels together.
    void enableDocumentCommands(bool enabled);
    // Frame size of the strip: cell sizes, panel area height, menu check (the strip's one path).
    void setFrameSize(int size);
    // The image browser's thumbnails dropped on a strip column: routed as any thumbnail drop.
    void dropThumbnailOnStrip(int column, const QMimeData* data);
    // "&Reverse Frame Order" follows the document and playback state.
    void updateReverseAction();
    // Preview playback (Playback.h); the pause and stop points stop it with release.
    TPlayback& playback() { return *m_playback; }
    void pausePlayback();
    void stopPlayback();
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
    // The subsystems around the window (MainWiring.cpp): playback, then, once the settings are
    // read, the engine's warnings and the drop targets. Main.cpp itself knows none of them.
    void connectSubsystems();
    void attachSettingsDependents();
    std::unique_ptr<IFrameStripHost> makeFrameStripHost();
    std::unique_ptr<IEditView> makeEditView();
    void fillWindowList();
    void runDeferredStartup();
    void showLogo();
    void toggleToolbar(QAction* item, QToolBar* toolbar);
    // The window's part in the documents (DocumentOps.cpp): it follows the document manager.
    void connectDocumentCommands();
    void onSubWindowActivated(QMdiSubWindow* window);
    void onDocumentAdded(TDocument* doc);
    void onDocumentActivated(TDocument* doc);
    void onDocumentRemoved(TDocument* doc);
    void onDocumentRenamed(TDocument* doc);
    void addPlayMenuEntry(TDocument* doc);
    void removePlayMenuEntry(TDocument* doc);
    void updateWindowMenu();
    void enterNoDocumentState();
    void refreshSaveCommands();
    // "title - [name]" with the modified mark of the active document, or the title alone.
    void refreshWindowTitle();
    void selectTab(const TDocument* doc);
    // Index of the document's tab, -1 when none.
    int tabIndex(const TDocument* doc) const;
    // The active document for the three save commands; without one they are disabled.
    TDocument* documentToSave();
    void undoActiveDocument();
    void setStatusText(int panel, const QString& text);
    QAction* addMenuItem(QMenu* menu, TActionId id, const QString& caption, const QString& hint = {});
    void registerAction(TActionId id, QAction* action);

    TEditSession& m_session;
    TStartupHooks m_hooks;
    QStringList m_arguments;
    TStartupState m_state;
    QHash<QString, QAction*> m_actions;
    std::array<QAction*, actionIdCount> m_actionById{};
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
    std::unique_ptr<IEditView> m_editView;
    std::unique_ptr<ICommandHost> m_commandHost;
    std::unique_ptr<ICommandDialogs> m_commandDialogs;
    std::unique_ptr<IEditPrompts> m_prompts;
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

    bool m_syncingTabs = false;
    QTimer* m_noDocumentTimer = nullptr;
};
