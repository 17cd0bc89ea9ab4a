#pragma once
// The main window: the multiple-document frame with the menu bar, the three toolbars, the frame
// strip area, the status bar and the start-up logo. It loads the settings it keeps at creation,
// runs the deferred start-up once it is on screen and writes its settings when destroyed.
#include "app/StartupHooks.h"
#include "app/StartupState.h"

#include <QEvent>
#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QMovie;
class QProgressBar;
class QSplitter;
class QTabBar;
class QTabWidget;
class QTableWidget;
class QToolBar;
class TFavorites;
class TRecentFiles;
class TSettingsBatch;
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

    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* menu(const QString& objectName) const;
    QToolBar* toolbar(int tag) const;
    const TStartupState& state() const { return m_state; }
    TStartupState& state() { return m_state; }
    TRecentFiles& recentFiles() { return *m_recentFiles; }
    TFavorites& favorites() { return *m_favorites; }
    QObject* automationApplication() const { return m_automation.get(); }
    QMdiArea* mdiArea() const { return m_mdiArea; }
    QTableWidget* frameStrip() const { return m_frameStrip; }
    QLabel* statusPanel(int index) const;
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* logoPanel() const { return m_logoPanel; }
    QCursor dragCursor() const;   // cursor 5
    QCursor pickerCursor() const; // cursor 10
    bool deferredStartupDone() const { return m_deferredStartupDone; }
    int workingImageFrameCount() const;

    // Switches every document command and the frame and animation panels together.
    void enableDocumentCommands(bool enabled);
    // Frame size of the strip: cell sizes, panel area height, menu check.
    void setFrameSize(int size);
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
    void runDeferredStartup();
    void showLogo();
    void showBrowser();
    void toggleToolbar(QAction* item, QToolBar* toolbar);
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
    QTabBar* m_tabs = nullptr;
    QWidget* m_tabPanel = nullptr;
    QWidget* m_topBevel = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_frameArea = nullptr;
    QTabWidget* m_panels = nullptr;
    QTableWidget* m_frameStrip = nullptr;
    QLabel* m_statusPanels[3] = {};
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_logoPanel = nullptr;
    QMovie* m_logoMovie = nullptr;
    QSize m_logoWindowSize;
    std::unique_ptr<TRecentFiles> m_recentFiles;
    std::unique_ptr<TFavorites> m_favorites;
    std::shared_ptr<QObject> m_automation;
    QPointer<TfrmThumbWin> m_browser;
    QPointer<TfrmFloat> m_inspector;
    QString m_frameClipboardFile;
    int m_frameWindowHeight = 0;
    bool m_deferredStartupDone = false;
};
