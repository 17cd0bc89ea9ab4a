#include "app/Main.h"

#include "app/Childwin.h"
#include "app/CommandHost.h"
#include "app/DocumentTabs.h"
#include "app/FramePanels.h"
#include "app/FrameStrip.h"
#include "app/FrameStripHost.h"
#include "app/MainActions.h"
#include "app/Playback.h"
#include "app/RecentFiles.h"
#include "app/ToolWindows.h"
#include "editing/ColorUse.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/float.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/ProgramData.h"
#include "platform/ResourceLibrary.h"
#include "platform/Settings.h"
#include "platform/UserTexts.h"
#include "wizards/ThumbViewer.h"

#include <QActionGroup>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QMovie>
#include <QPainter>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kDefaultFrameSize = 160;
constexpr int kFrameWindowDesignHeight = kDefaultFrameSize + TfrmMain::kFramePanelExtra;
constexpr int kStatusBarHeight = 19;

struct TToolbarDesign
{
    const char* section;
    int left;
    int top;
};
// Indexed by the toolbar's tag: 0 standard, 1 frame, 2 animation.
const TToolbarDesign kToolbarDesign[3] = {
    {SettingSection::ToolbarStandard, 0, 0},
    {SettingSection::ToolbarFrame, 290, 0},
    {SettingSection::ToolbarAnimation, 460, 0},
};

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString imagesFolder()
{
    return QDir(programDataFolder()).filePath(QStringLiteral("Images"));
}

QCursor drawnCursor(bool picker)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    if (picker) {
        // An eyedropper: the tip is the hot spot at the lower left.
        painter.setBrush(Qt::white);
        painter.drawLine(1, 30, 12, 19);
        painter.drawRoundedRect(QRectF(12, 8, 8, 14).translated(0, 0), 2, 2);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(21, 10), 6, 6);
        return QCursor(pixmap, 1, 30);
    }
    // An arrow carrying a frame: used while frames and thumbnails are dragged.
    const QPointF arrow[] = {{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10, 19}, {7, 12}, {12, 12}};
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow, 7);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(QRectF(12.5, 16.5, 16, 12));
    painter.drawLine(QPointF(14, 26), QPointF(27, 18));
    return QCursor(pixmap, 1, 1);
}

} // namespace

TfrmMain::TfrmMain(TEditSession& session, TStartupHooks hooks, QStringList arguments)
    : m_session(session), m_hooks(std::move(hooks)), m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("frmMain"));
    move(kDesignLeft, kDesignTop);
    resize(kDesignWidth, kDesignHeight);
    createActions();
    createCentralArea();
    createMenus();
    createToolbars();
    createFramePopup();
    createStatusBar();
    m_editView = makeEditView();
    m_session.setView(m_editView.get());
    m_recentFiles = std::make_unique<TRecentFiles>(m_menus.value(QStringLiteral("mniRecentFiles")));
    m_favorites = std::make_unique<TFavorites>();
    connectDocumentCommands();
    connectCommands();
    connectSubsystems();

    // The image browser brings its own thumbnail data; the filter and the transparent colour of
    // new frames start at their defaults until the settings say otherwise. Hints reach the third
    // status panel through event().
    m_state.filterType = 19;
    m_state.frameTransparentColor = 0xFFFFFF;
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    loadSettings();
    // The engine's warnings and the drop targets follow the settings just read.
    attachSettingsDependents();
    m_session.documents().setUntitledCounter(1);
    checkFrameSizeItem(m_state.frameSize);
    m_frameStrip->setFrameSize(m_state.frameSize);
    // No document yet: an empty strip and the document commands off.
    m_stripController->clearFrameStrip();
    enableDocumentCommands(false);
    // The open dialogs take their folder from the start-up state when they open; with the
    // browser and the open dialog kept in step, that is the browser's folder.
    if (m_state.syncOpenDialog)
        m_state.initialDir = m_state.thumbDirectory;
    if (!QDir(m_state.thumbDirectory).exists())
        m_state.thumbDirectory = imagesFolder();
    // The drag and picker cursors are drawn when first used (dragCursor(), pickerCursor()); the
    // progress bar already sits in the second status panel.
    if (!m_arguments.isEmpty() && !m_arguments.first().isEmpty())
        m_hooks.openByType(*this, m_arguments.first());
    // The automation object last: it may be asked about the document just opened.
    try {
        m_automation = m_hooks.createAutomationApplication(*this);
    } catch (...) {
        m_automation.reset();
        messageDlg(QStringLiteral("GIFReelwrightApplication automation object could not be created!"),
                   TMsgType::Warning, TMsgButtons::Ok);
    }
}

TfrmMain::~TfrmMain()
{
    // The workspace and the tab strip outlive this object's members while the base classes
    // destroy the children: nothing they signal may reach the document handling any more.
    disconnect(m_mdiArea, nullptr, this, nullptr);
    disconnect(m_tabs, nullptr, this, nullptr);
    // The preview's painter stops (and is waited for) while the windows it shows in still exist.
    m_playback.reset();
    // The controller and the commands reach the working image and this window through the
    // hosts: they go first, before the members they use.
    m_session.documents().disconnect(this);
    m_session.setView(nullptr);
    m_session.workingImage().onProgress = nullptr;
    delete m_stripController;
    m_stripController = nullptr;
    m_hooks.quitHelp();
    removeLogo();
    if (!m_frameClipboardFile.isEmpty())
        QFile::remove(m_frameClipboardFile);
    saveSettings();
    m_automation.reset();
}

TfrmThumbWin* TfrmMain::browser() const
{
    return m_browser;
}

QMenu* TfrmMain::menu(const QString& objectName) const
{
    return m_menus.value(objectName);
}

QToolBar* TfrmMain::toolbar(int tag) const
{
    return tag >= 0 && tag < 3 ? m_toolbars[tag] : nullptr;
}

QLabel* TfrmMain::statusPanel(int index) const
{
    return index >= 0 && index < 3 ? m_statusPanels[index] : nullptr;
}

QCursor TfrmMain::dragCursor() const
{
    return drawnCursor(false);
}

QCursor TfrmMain::pickerCursor() const
{
    return drawnCursor(true);
}

// ---- creation of the window's parts ----

void TfrmMain::createActions()
{
    for (const TActionSpec& spec : mainActionTable()) {
        auto* act = new QAction(this);
        act->setObjectName(QString::fromLatin1(actionName(spec.id)));
        act->setText(QString::fromUtf8(spec.caption));
        if (*spec.shortcut)
            act->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
        const QString hint = QString::fromUtf8(spec.hint);
        act->setToolTip(shortHint(hint));
        act->setStatusTip(longHint(hint));
        act->setIcon(mainImage(spec.imageIndex));
        act->setProperty("tag", spec.documentCommand ? 1 : 0);
        act->setCheckable(spec.checkable);
        act->setEnabled(spec.enabledAtStart);
        addAction(act);
        registerAction(spec.id, act);
    }
    connect(action(TActionId::FileExit), &QAction::triggered, this, &QWidget::close);
    // The image browser's actions are connected by its wiring (ThumbWiring.cpp).
}

QAction* TfrmMain::addMenuItem(QMenu* menu, TActionId id, const QString& caption, const QString& hint)
{
    auto* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(actionName(id)));
    if (!hint.isEmpty()) {
        item->setToolTip(shortHint(hint));
        item->setStatusTip(longHint(hint));
    }
    registerAction(id, item);
    return item;
}

void TfrmMain::registerAction(TActionId id, QAction* item)
{
    m_actionById[size_t(id)] = item;
    m_actions.insert(item->objectName(), item);
}

QAction* TfrmMain::action(TActionId id) const
{
    QAction* found = m_actionById[size_t(id)];
    // Every identifier is created with the window; a missing one is a programming error that
    // must not turn into a null dereference somewhere else.
    if (!found)
        qFatal("TfrmMain: no action %s", actionName(id));
    return found;
}

void TfrmMain::createMenus()
{
    auto addMenu = [this](QMenu* parent, const QString& objectName, const QString& caption) {
        QMenu* created = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
        created->setObjectName(objectName);
        m_menus.insert(objectName, created);
        return created;
    };
    auto hidden = [](QAction* item) {
        item->setVisible(false);
        return item;
    };
    auto add = [this](QMenu* menu, TActionId id) {
        menu->addAction(action(id));
    };

    QMenu* file = addMenu(nullptr, QStringLiteral("mnuFile"), QStringLiteral("&File"));
    // The menu shows "&New..." for the action whose own caption is "&New".
    QAction* newItem = addMenuItem(file, TActionId::mniNew, QStringLiteral("&New..."));
    QAction* fileNew = action(TActionId::FileNew);
    // Ctrl+N belongs to the action alone: a second action with the same key in this window
    // makes Qt refuse the key as ambiguous.
    newItem->setStatusTip(fileNew->statusTip());
    newItem->setIcon(fileNew->icon());
    connect(newItem, &QAction::triggered, fileNew, &QAction::trigger);
    connect(fileNew, &QAction::changed, newItem,
            [newItem, fileNew] { newItem->setEnabled(fileNew->isEnabled()); });
    hidden(addMenuItem(file, TActionId::mniAnimationWizards, QStringLiteral("Animation &Wizards")));
    add(file, TActionId::FileOpen);
    addMenu(file, QStringLiteral("mniRecentFiles"), QStringLiteral("&Recent Files"));
    add(file, TActionId::FileSave);
    add(file, TActionId::FileSaveAs);
    add(file, TActionId::FileSaveAll);
    add(file, TActionId::FileClose);
    add(file, TActionId::FileCloseAll);
    file->addSeparator();
    QMenu* import = addMenu(file, QStringLiteral("mniImport"), QStringLiteral("&Import"));
    addMenuItem(import, TActionId::mniImportAVI, QStringLiteral("&AVI Animation"));
    QMenu* exportMenu = addMenu(file, QStringLiteral("mniExport"), QStringLiteral("&Export"));
    addMenuItem(exportMenu, TActionId::mniExportSingle, QStringLiteral("&Single Images..."),
                QStringLiteral("Export frame images to individual files"));
    addMenuItem(exportMenu, TActionId::mniExportAVI, QStringLiteral("As &AVI Animation..."),
                QStringLiteral("Exports the current animation to an AVI movie file"));
    addMenuItem(exportMenu, TActionId::mniExportHTML, QStringLiteral("As &HTML Page..."));
    // The export entries need an active document with frames; checked each time the menu opens.
    connect(file, &QMenu::aboutToShow, this, [this] {
        const bool hasFrames =
            m_session.documents().active() && m_session.workingImage().images().count() > 0;
        for (TActionId name : {TActionId::mniExportSingle, TActionId::mniExportAVI, TActionId::mniExportHTML})
            action(name)->setEnabled(hasFrames);
    });
    hidden(addMenuItem(file, TActionId::mniPrint, QStringLiteral("&Print...")));
    file->addSeparator();
    add(file, TActionId::FileExit);

    QMenu* edit = addMenu(nullptr, QStringLiteral("mnuEdit"), QStringLiteral("&Edit"));
    add(edit, TActionId::EditUndo);
    edit->addSeparator();
    add(edit, TActionId::EditCut);
    add(edit, TActionId::EditCopy);
    add(edit, TActionId::EditPaste);
    QAction* pasteComments =
        addMenuItem(edit, TActionId::mniPasteComments, QStringLiteral("Paste Comme&nts"),
                    QStringLiteral("Paste Comments|Adds a new GIF comment from clipboard text"));
    connect(edit, &QMenu::aboutToShow, this, [this, pasteComments] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        pasteComments->setEnabled(data && data->hasText() && m_session.documents().active());
    });
    edit->addSeparator();
    add(edit, TActionId::FrameDelete);
    add(edit, TActionId::FrameAdd);
    add(edit, TActionId::AnimationResize);
    hidden(addMenuItem(edit, TActionId::mniRotate, QStringLiteral("R&otate")));
    add(edit, TActionId::FrameGlobalChange);
    add(edit, TActionId::FrameTransColor);
    edit->addSeparator();
    add(edit, TActionId::FrameMoveBegin);
    add(edit, TActionId::FrameMoveEnd);
    add(edit, TActionId::FrameMoveUp);
    add(edit, TActionId::FrameMoveDown);

    QMenu* view = addMenu(nullptr, QStringLiteral("mnuView"), QStringLiteral("&View"));
    add(view, TActionId::AnimationPlay);
    add(view, TActionId::AnimationPause);
    hidden(addMenuItem(view, TActionId::mniPlayInBrowser, QStringLiteral("Play in Web &Browser")));
    view->addSeparator();
    add(view, TActionId::AnimationInfo);
    add(view, TActionId::AnimationPalette);
    view->addSeparator();
    QMenu* thumbs = addMenu(view, QStringLiteral("mniThumbnailWindow"), QStringLiteral("Thu&mbnail Window"));
    add(thumbs, TActionId::ThumbView);
    add(thumbs, TActionId::ThumbsRefresh);
    add(thumbs, TActionId::ThumbsClear);
    QAction* explorer =
        addMenuItem(thumbs, TActionId::mniExplorerTree, QStringLiteral("Show/Hide &Explorer Tree"),
                    QStringLiteral("Show/Hide Explorer Tree window"));
    explorer->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    explorer->setCheckable(true);
    explorer->setChecked(true);
    connect(explorer, &QAction::triggered, this, [this](bool checked) {
        if (m_browser)
            m_browser->setExplorerVisible(checked);
    });
    QMenu* bars = addMenu(view, QStringLiteral("mniToolbars"), QStringLiteral("&Toolbars"));
    for (const auto& [name, caption] : {std::pair{TActionId::mniToolbarStandard, "&Standard"},
                                        std::pair{TActionId::mniToolbarAnimation, "&Animation"},
                                        std::pair{TActionId::mniToolbarFrame, "&Frame"}}) {
        QAction* item = addMenuItem(bars, name, QString::fromLatin1(caption));
        item->setCheckable(true);
        item->setChecked(true);
    }

    QMenu* tools = addMenu(nullptr, QStringLiteral("mnuTools"), QStringLiteral("&Tools"));
    add(tools, TActionId::AnimationOptimize);
    add(tools, TActionId::FrameReverse);
    QAction* htmlCode = addMenuItem(tools, TActionId::mniHTMLCode, QStringLiteral("HTML &Code..."),
                                    QStringLiteral("Creates HTML code for the current animation"));
    htmlCode->setEnabled(false);
    tools->addSeparator();
    QAction* inspector = addMenuItem(tools, TActionId::mniFrameInspector, QStringLiteral("&Frame Inspector"),
                                     QStringLiteral("Show or Hide the frame inspector"));
    inspector->setCheckable(true);
    inspector->setChecked(true);
    connect(inspector, &QAction::triggered, this, [this](bool checked) { setInspectorChecked(checked); });
    addMenuItem(tools, TActionId::mniOptions, QStringLiteral("Program &Options..."),
                QStringLiteral("Opens the program options dialog"));

    QMenu* plugins = addMenu(nullptr, QStringLiteral("mnuPlugins"), QStringLiteral("&Plug-ins"));
    plugins->menuAction()->setVisible(false);

    QMenu* window = addMenu(nullptr, QStringLiteral("mnuWindow"), QStringLiteral("&Window"));
    for (TActionId name : {TActionId::WindowCascade, TActionId::WindowTileHorizontal,
                           TActionId::WindowTileVertical, TActionId::WindowMinimizeAll,
                           TActionId::WindowArrangeAll, TActionId::WindowNextDoc, TActionId::WindowPrevDoc})
        add(window, name);

    QMenu* help = addMenu(nullptr, QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    add(help, TActionId::HelpContents);
    hidden(addMenuItem(help, TActionId::mniPluginInfo, QStringLiteral("&Plugin Info..."),
                       QStringLiteral("Displays information about installed plugin")));
    help->addSeparator();
    addMenuItem(help, TActionId::mniTips, QStringLiteral("&Tip of the Day..."),
                QStringLiteral("Displays the Tip of the Day dialog"));
    addMenuItem(help, TActionId::mniWelcome, QStringLiteral("&Welcome Dialog..."),
                QStringLiteral("Displays the Welcome dialog"));
    addMenuItem(help, TActionId::mniSupport, QStringLiteral("&Support Online"));
    help->addSeparator();
    addMenuItem(help, TActionId::mniAbout, QStringLiteral("&About GIF Reelwright..."),
                QStringLiteral("About|Displays program information, version number and copyright"));
}

void TfrmMain::createToolbars()
{
    auto makeBar = [this](int tag, const QString& objectName, const QString& title,
                          std::initializer_list<std::optional<TActionId>> names) {
        auto* bar = new QToolBar(title, this);
        bar->setObjectName(objectName);
        bar->setProperty("tag", tag);
        bar->setIconSize(QSize(16, 16));
        for (const std::optional<TActionId>& name : names) {
            if (name)
                bar->addAction(action(*name));
            else
                bar->addSeparator(); // an empty entry
        }
        addToolBar(Qt::TopToolBarArea, bar);
        m_toolbars[tag] = bar;
        return bar;
    };
    QToolBar* standard =
        makeBar(0, QStringLiteral("tbStandard"), QStringLiteral("Standard"),
                {TActionId::FileNew, TActionId::FileOpen, TActionId::FileSaveAs, TActionId::FileSaveAll,
                 std::nullopt, TActionId::EditCut, TActionId::EditCopy, TActionId::EditPaste, std::nullopt,
                 TActionId::EditUndo, std::nullopt, TActionId::ThumbView});
    makeBar(1, QStringLiteral("tbFrame"), QStringLiteral("Frame Toolbar"),
            {TActionId::FrameAdd, TActionId::FrameDelete, std::nullopt, TActionId::FrameMoveUp,
             TActionId::FrameMoveDown, std::nullopt, TActionId::FrameReverse});
    QToolBar* animation = makeBar(2, QStringLiteral("tbAnimation"), QStringLiteral("Animation"),
                                  {TActionId::AnimationPalette, std::nullopt, TActionId::AnimationOptimize,
                                   std::nullopt, TActionId::AnimationPlay, TActionId::AnimationPause});

    // The open button's drop-down mirrors the recent-files submenu each time it opens.
    auto* recentPopup = new QMenu(this);
    recentPopup->setObjectName(QStringLiteral("pmnRecentFiles"));
    connect(recentPopup, &QMenu::aboutToShow, this, [this, recentPopup] {
        recentPopup->clear();
        for (QAction* entry : m_menus.value(QStringLiteral("mniRecentFiles"))->actions())
            recentPopup->addAction(entry);
    });
    if (auto* open = qobject_cast<QToolButton*>(standard->widgetForAction(action(TActionId::FileOpen)))) {
        open->setMenu(recentPopup);
        open->setPopupMode(QToolButton::MenuButtonPopup);
    }
    // The play button's drop-down lists the documents to play; it fills as documents open.
    auto* playPopup = new QMenu(this);
    playPopup->setObjectName(QStringLiteral("pmnPlayDocuments"));
    m_menus.insert(playPopup->objectName(), playPopup);
    if (auto* play =
            qobject_cast<QToolButton*>(animation->widgetForAction(action(TActionId::AnimationPlay)))) {
        play->setMenu(playPopup);
        play->setPopupMode(QToolButton::MenuButtonPopup);
    }

    // "&Animation" toggles the animation toolbar and "&Frame" the frame toolbar.
    const std::pair<TActionId, int> toggles[] = {{TActionId::mniToolbarStandard, 0},
                                                 {TActionId::mniToolbarFrame, 1},
                                                 {TActionId::mniToolbarAnimation, 2}};
    for (const auto& [name, tag] : toggles) {
        QAction* item = action(name);
        QToolBar* bar = m_toolbars[tag];
        connect(item, &QAction::triggered, this, [this, item, bar] { toggleToolbar(item, bar); });
        connect(bar, &QToolBar::visibilityChanged, item, [item, bar] {
            if (!bar->isHidden() != item->isChecked() && bar->parentWidget()->isVisible())
                item->setChecked(!bar->isHidden());
        });
    }
}

void TfrmMain::toggleToolbar(QAction* item, QToolBar* bar)
{
    bar->setVisible(item->isChecked());
}

void TfrmMain::createFramePopup()
{
    m_framePopup = new QMenu(this);
    m_framePopup->setObjectName(QStringLiteral("pmnFrames"));
    m_menus.insert(m_framePopup->objectName(), m_framePopup);
    for (TActionId name : {TActionId::FrameAdd, TActionId::EditCut, TActionId::EditCopy, TActionId::EditPaste,
                           TActionId::FrameDelete, TActionId::FrameSelectAll, TActionId::FrameTransColor,
                           TActionId::FrameMoveUp, TActionId::FrameMoveDown})
        m_framePopup->addAction(action(name));
    m_framePopup->addSeparator();
    QMenu* sizes = m_stripController->createFrameSizeMenu(m_framePopup);
    sizes->setObjectName(QStringLiteral("mniFrameSize"));
    m_framePopup->addMenu(sizes);
    m_menus.insert(sizes->objectName(), sizes);
    const QList<QAction*> items = sizes->actions();
    for (QAction* item : items) {
        item->setObjectName(QStringLiteral("mniFrameSize%1").arg(item->data().toInt()));
        m_actions.insert(item->objectName(), item);
    }
    m_frameSizeGroup = items.isEmpty() ? nullptr : items.first()->actionGroup();
    m_frameStrip->setContextMenu(m_framePopup);
}

void TfrmMain::createCentralArea()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlCentral"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The tab strip is shown only while documents exist; the bevel stands in for it otherwise.
    m_tabPanel = new QWidget(central);
    m_tabPanel->setObjectName(QStringLiteral("pnlTabs"));
    auto* tabLayout = new QHBoxLayout(m_tabPanel);
    tabLayout->setContentsMargins(2, 2, 2, 0);
    m_tabs = new TDocumentTabs(m_tabPanel);
    tabLayout->addWidget(m_tabs);
    m_tabPanel->hide();
    auto* bevel = new QFrame(central);
    bevel->setObjectName(QStringLiteral("bvlTop"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    m_topBevel = bevel;
    layout->addWidget(m_tabPanel);
    layout->addWidget(m_topBevel);

    m_splitter = new QSplitter(Qt::Vertical, central);
    m_splitter->setObjectName(QStringLiteral("splFrames"));
    m_splitter->setChildrenCollapsible(false);
    m_mdiArea = new QMdiArea(m_splitter);
    m_mdiArea->setObjectName(QStringLiteral("mdiWorkspace"));

    m_frameArea = new QWidget(m_splitter);
    m_frameArea->setObjectName(QStringLiteral("pnlFrameArea"));
    auto* frameLayout = new QHBoxLayout(m_frameArea);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    m_panels = new TFramePanels(m_frameArea);
    m_panels->setFixedWidth(200);
    m_frameStrip = new TFrameStrip(m_frameArea);
    m_frameStrip->setObjectName(QStringLiteral("grdFrames"));
    m_frameStrip->setFooterIcon(mainImage(imgFrameDelay));
    m_stripHost = makeFrameStripHost();
    m_stripController = new TFrameStripController(m_session, *m_stripHost, *m_frameStrip, *m_panels, this);
    connect(m_stripController, &TFrameStripController::frameSizeChanged, this, &TfrmMain::frameSizeChanged);
    connect(m_frameStrip, &TFrameStrip::thumbnailDropped, this, &TfrmMain::dropThumbnailOnStrip);
    frameLayout->addWidget(m_panels);
    frameLayout->addWidget(m_frameStrip, 1);

    m_splitter->addWidget(m_mdiArea);
    m_splitter->addWidget(m_frameArea);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    layout->addWidget(m_splitter, 1);
    setCentralWidget(central);

    m_logoPanel = new QLabel(m_mdiArea);
    m_logoPanel->setObjectName(QStringLiteral("pnlLogo"));
    m_logoPanel->setAlignment(Qt::AlignCenter);
    m_logoPanel->setAutoFillBackground(true);
    QPalette logoPalette = m_logoPanel->palette();
    logoPalette.setColor(QPalette::Window, Qt::white);
    m_logoPanel->setPalette(logoPalette);
    m_logoPanel->setCursor(dragCursor());
    m_logoPanel->hide();
}

void TfrmMain::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("stbMain"));
    // 19 pixels fit the classic 8-point font; larger desktop fonts get the room their text needs.
    bar->setFixedHeight(qMax(kStatusBarHeight, bar->fontMetrics().height() + 6));
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSizeGripEnabled(false);
    const int widths[3] = {20, 225, 50};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("pnlStatus%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        if (i < 2)
            panel->setFixedWidth(widths[i]);
        bar->addWidget(panel, i == 2 ? 1 : 0);
        m_statusPanels[i] = panel;
    }
    // The progress bar fills the second panel; the layout keeps it in the panel's rectangle
    // whenever the panel is laid out or drawn.
    auto* progressLayout = new QHBoxLayout(m_statusPanels[1]);
    progressLayout->setContentsMargins(1, 1, 1, 1);
    m_progressBar = m_stripController->progressBar();
    m_progressBar->setParent(m_statusPanels[1]);
    m_progressBar->hide();
    progressLayout->addWidget(m_progressBar);
}

// ---- settings ----

void TfrmMain::loadSettings()
{
    TSettingsBatch s;
    using namespace SettingKeys;
    if (s.readString(MainWindowState) == QLatin1String("Normal")) {
        const int top = s.readInteger(MainTop, kDesignTop);
        const int left = s.readInteger(MainLeft, kDesignLeft);
        const int height = s.readInteger(MainHeight, kDesignHeight);
        const int width = s.readInteger(MainWidth, kDesignWidth);
        move(left, top);
        resize(width, height);
    } else {
        setWindowState(windowState() | Qt::WindowMaximized);
    }

    bool inspectorVisible = s.readInteger(InspectorVisible) != 0;
    if (s.readInteger(InspectorHideOnce) == 1) {
        inspectorVisible = false;
        m_state.inspectorRestore = 1;
        s.writeInteger(InspectorHideOnce, 0);
    }
    action(TActionId::mniFrameInspector)->setChecked(inspectorVisible);

    // The frame size is a byte in the store's readers; a value that cannot be one is not a size.
    const int frameSize = s.readInteger(FrameSize);
    m_state.frameSize = frameSize > 0 && frameSize <= 255 ? frameSize : FrameSize.intDefault;
    m_frameWindowHeight = s.readInteger(FrameWindowHeight, kFrameWindowDesignHeight);
    m_state.initialDir = s.readString(InitialDir, imagesFolder());
    m_state.defaultDelay = s.readInteger(DefaultDelay);
    m_state.defaultNSLoop = s.readInteger(DefaultNSLoop);
    m_state.syncOpenDialog = s.readInteger(SyncOpenDialog) != 0;
    m_state.noOpenDlgPreview = s.readInteger(NoOpenDlgPreview) != 0;
    m_state.frameTransparentColor = std::uint32_t(s.readInteger(FrameTransparentColor)) & 0xFFFFFF;
    if (m_frameStrip) {
        const std::uint32_t rgb = m_state.frameTransparentColor; // red in the low byte
        m_frameStrip->setTransparentBackground(QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
    }
    m_state.displayAnimation = s.readInteger(DisplayAnimation) == 1;
    if (m_state.displayAnimation)
        m_mdiArea->setBackground(Qt::white);
    m_state.warnings = s.readInteger(Warnings) == 1;
    m_state.thumbDirectory = s.readString(ThumbDirectory, imagesFolder());
    m_state.filterType = s.readInteger(ThumbFilterType);
    m_state.thumbnailSize = s.readInteger(ThumbailSize);

    loadToolbarSettings(s);
    m_recentFiles->load(s);
    m_favorites->load(s);

    m_state.paletteType = s.readInteger(PaletteType);
    m_state.maxColorCount = s.readInteger(MaxColorCount);
    m_state.ditherMethod = s.readInteger(DitherMethod);
    m_hooks.applyPaletteSettings(*this, m_state);

    m_splitter->setSizes({qMax(1, height() - m_frameWindowHeight), m_frameWindowHeight});
}

void TfrmMain::loadToolbarSettings(TSettingsBatch& settings)
{
    m_state.normalStyle = settings.readInteger(SettingKeys::NormalStyle) != 0;
    struct Placed
    {
        QToolBar* bar;
        int left;
        int top;
        bool visible;
    };
    std::vector<Placed> placed;
    for (int tag = 0; tag < 3; ++tag) {
        const QString section = QString::fromLatin1(kToolbarDesign[tag].section);
        placed.push_back(
            {m_toolbars[tag],
             settings.readInteger(section, QString::fromLatin1(SettingKeys::ToolbarLeft),
                                  kToolbarDesign[tag].left),
             settings.readInteger(section, QString::fromLatin1(SettingKeys::ToolbarTop),
                                  kToolbarDesign[tag].top),
             settings.readInteger(section, QString::fromLatin1(SettingKeys::ToolbarVisible), 1) != 0});
    }
    // Rows of the control bar come from Top, the order within a row from Left.
    const int rowSize = m_state.normalStyle ? 28 : 26;
    auto row = [rowSize](int top) {
        return (top + rowSize / 2) / rowSize;
    };
    std::stable_sort(placed.begin(), placed.end(), [&](const Placed& a, const Placed& b) {
        return row(a.top) != row(b.top) ? row(a.top) < row(b.top) : a.left < b.left;
    });
    for (const Placed& p : placed)
        removeToolBar(p.bar);
    for (size_t i = 0; i < placed.size(); ++i) {
        if (i > 0 && row(placed[i].top) != row(placed[i - 1].top))
            addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, placed[i].bar);
        placed[i].bar->setVisible(placed[i].visible);
    }
    action(TActionId::mniToolbarStandard)->setChecked(!m_toolbars[0]->isHidden());
    action(TActionId::mniToolbarFrame)->setChecked(!m_toolbars[1]->isHidden());
    action(TActionId::mniToolbarAnimation)->setChecked(!m_toolbars[2]->isHidden());
    setToolbarsFlat(!m_state.normalStyle);
}

void TfrmMain::setToolbarsFlat(bool flat)
{
    const int rowSize = flat ? 26 : 28;
    for (QToolBar* bar : m_toolbars) {
        bar->setFixedHeight(rowSize);
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            button->setAutoRaise(flat);
    }
}

void TfrmMain::saveToolbarSettings(TSettingsBatch& settings)
{
    settings.writeInteger(SettingKeys::NormalStyle, m_state.normalStyle ? 1 : 0);
    // Positions are relative to the top of the control bar, below the menu bar.
    const int barTop = menuBar()->isVisible() ? menuBar()->geometry().bottom() + 1 : 0;
    for (int tag = 0; tag < 3; ++tag) {
        const QString section = QString::fromLatin1(kToolbarDesign[tag].section);
        QToolBar* bar = m_toolbars[tag];
        settings.writeInteger(section, QString::fromLatin1(SettingKeys::ToolbarLeft), bar->x());
        settings.writeInteger(section, QString::fromLatin1(SettingKeys::ToolbarTop),
                              qMax(0, bar->y() - barTop));
        settings.writeInteger(section, QString::fromLatin1(SettingKeys::ToolbarVisible),
                              bar->isHidden() ? 0 : 1);
    }
}

void TfrmMain::saveSettings()
{
    TSettingsBatch s;
    using namespace SettingKeys;
    if (isMinimized()) {
        // A minimised window's bounds are not the ones to come back to: keep the stored ones.
    } else if (isMaximized() || isFullScreen()) {
        s.writeString(MainWindowState, QStringLiteral("Maximized"));
    } else {
        s.writeString(MainWindowState, QStringLiteral("Normal"));
        s.writeInteger(MainTop, y());
        s.writeInteger(MainLeft, x());
        s.writeInteger(MainHeight, height());
        s.writeInteger(MainWidth, width());
    }
    s.writeInteger(FrameSize, m_state.frameSize);
    s.writeString(InitialDir, m_state.initialDir);
    s.writeString(InstallDir, programFolder() + QLatin1Char('/'));
    const int clipDefault = s.readInteger(ClipDefault);
    const int clipFrame = s.readInteger(ClipFrame);
    s.writeInteger(ClipDefault, clipDefault);
    s.writeInteger(ClipFrame, clipFrame);
    s.writeInteger(DefaultDelay, m_state.defaultDelay);
    s.writeInteger(DefaultNSLoop, m_state.defaultNSLoop);
    saveToolbarSettings(s);
    s.writeString(ThumbDirectory, m_state.thumbDirectory);
    s.writeInteger(ThumbFilterType, m_state.filterType);
    s.writeInteger(ThumbailSize, m_state.thumbnailSize);
    // Closing down hides the image browser before it is destroyed; what comes back next time is
    // whether it was showing when the user closed the program, which its menu check still says.
    if (m_deferredStartupDone)
        s.writeInteger(ThumbVisible, action(TActionId::ThumbView)->isChecked() ? 1 : 0);
    m_recentFiles->save(s);
    m_favorites->save(s);
}

// ---- frame strip, commands, inspector ----

void TfrmMain::checkFrameSizeItem(int size)
{
    if (!m_frameSizeGroup)
        return;
    const QList<QAction*> items = m_frameSizeGroup->actions();
    QAction* chosen = items.last(); // "1&60 x 160" for any size that has no entry
    for (QAction* item : items)
        if (item->data().toInt() == size)
            chosen = item;
    chosen->setChecked(true);
}

void TfrmMain::setFrameSize(int size)
{
    m_stripController->setFrameSize(size); // comes back through frameSizeChanged
}

void TfrmMain::frameSizeChanged(int size)
{
    removeLogo();
    m_state.frameSize = size;
    // The panel area takes the new height from the workspace; the status bar stays under it.
    const int areaHeight = m_stripController->frameAreaHeight();
    const QList<int> sizes = m_splitter->sizes();
    m_splitter->setSizes({qMax(1, sizes.value(0) + sizes.value(1) - areaHeight), areaHeight});
    checkFrameSizeItem(size);
}

void TfrmMain::enableDocumentCommands(bool enabled)
{
    for (QAction* act : std::as_const(m_actions))
        if (act->property("tag").toInt() == 1)
            act->setEnabled(enabled);
    m_panels->setControlsEnabled(enabled);
    updateReverseAction();
}

void TfrmMain::setInspectorChecked(bool checked)
{
    action(TActionId::mniFrameInspector)->setChecked(checked);
    m_state.inspectorRestore = 0;
    if (m_inspector)
        m_inspector->setVisible(checked);
}

void TfrmMain::showLogo()
{
    const QByteArray gif = TResourceLibrary().loadGif(QStringLiteral("ANIMATED"));
    if (gif.isEmpty())
        return;
    auto* buffer = new QBuffer(this);
    buffer->setData(gif);
    buffer->open(QIODevice::ReadOnly);
    auto* movie = new QMovie(buffer, "gif", buffer);
    if (!movie->isValid()) {
        delete buffer;
        return;
    }
    m_logoMovie = movie;
    m_logoPanel->setGeometry(m_mdiArea->rect().adjusted(2, 2, -2, -2));
    m_logoPanel->setMovie(movie);
    movie->start();
    m_logoPanel->show();
    m_logoPanel->raise();
    m_logoWindowSize = size();
}

void TfrmMain::removeLogo()
{
    if (!m_logoMovie)
        return;
    m_mdiArea->setBackground(palette().brush(QPalette::Dark));
    m_logoPanel->hide();
    m_logoPanel->setMovie(nullptr);
    QObject* buffer = m_logoMovie->device();
    m_logoMovie->stop();
    m_logoMovie = nullptr;
    delete buffer; // owns the movie
}

// ---- events ----

bool TfrmMain::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        m_statusPanels[2]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    if (event->type() == kMsgDeferredStartup) {
        runDeferredStartup();
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_deferredStartupDone)
        return;
    if (m_inspector && action(TActionId::mniFrameInspector)->isChecked())
        m_inspector->show();
    QCoreApplication::postEvent(this, new QEvent(kMsgDeferredStartup));
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!m_hooks.closeAllDocuments(*this)) {
        event->ignore();
        return;
    }
    event->accept();
    m_closingDown = true;
    emit closed();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_logoMovie && isVisible() && size() != m_logoWindowSize)
        removeLogo();
}

void TfrmMain::runDeferredStartup()
{
    // Showing the window again (after minimising, say) must not rescan, reload plug-ins or
    // reopen the welcome page: the deferred start-up belongs to the first showing only.
    if (m_deferredStartupDone)
        return;
    m_deferredStartupDone = true;
    bool showWelcome = false;
    {
        TSettingsBatch s;
        using namespace SettingKeys;
        if (s.readInteger(AutoLoadStartUp) != 0 && m_browser && m_browser->isVisible()) {
            QCoreApplication::processEvents();
            m_hooks.scanThumbnailFolder(*this, m_state.thumbDirectory);
            m_browser->setFolder(m_state.thumbDirectory);
            m_state.thumbDirectory.clear();
        }
        // The logo stands in for an empty workspace: over a document opened from the command
        // line it would only hide it.
        if (m_session.documents().count() > 0) {
            m_mdiArea->setBackground(palette().brush(QPalette::Dark));
        } else if (s.readInteger(DisplayAnimation) != 0) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            showLogo();
            QGuiApplication::restoreOverrideCursor();
        }
        if (m_browser) {
            m_browser->applySavedLayout(s, width());
            keepOnScreenWhenFramed(*m_browser);
            m_browser->setFolder(m_state.thumbDirectory);
            action(TActionId::ThumbView)->setChecked(m_browser->isVisible());
            action(TActionId::mniExplorerTree)->setChecked(m_browser->explorerVisible());
        }
        showWelcome = s.readInteger(WelcomeDialog) == 0;
    }
    if (m_automation) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_hooks.scanPlugins(*this);
        QGuiApplication::restoreOverrideCursor();
    }
    if (showWelcome)
        m_hooks.showWelcomeDialog(*this);
}
