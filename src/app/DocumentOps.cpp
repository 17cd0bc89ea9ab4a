// The main window's part in the documents: it follows the document manager (one view and one
// tab per document, the workspace's activation, the play and window menus, the save commands,
// the no-document state) and connects the File and Window commands to the manager. The
// documents themselves, opening, activation through working copies, saving and closing are the
// manager's (editing/DocumentManager.h). Everything runs on the GUI thread.
#include "app/Childwin.h"
#include "app/DialogWiring.h"
#include "app/DocumentTabs.h"
#include "app/FileCommands.h"
#include "app/FramePanels.h"
#include "app/Main.h"
#include "app/Playback.h"
#include "app/RecentFiles.h"
#include "app/WizardWiring.h"
#include "automation/IntfMenuItem.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/float.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/UserTexts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSpinBox>
#include <QTimer>

void TfrmMain::connectDocumentCommands()
{
    TDocumentManager& documents = m_session.documents();
    m_prompts = makeRoutinesPrompts(*this);
    m_session.setPrompts(m_prompts.get());
    documents.setSaveDialogExtras(
        [this](TFileDialogRequest& request, bool saveAs) { addOptimizeButton(*this, request, saveAs); });

    m_noDocumentTimer = new QTimer(this);
    m_noDocumentTimer->setSingleShot(true);
    m_noDocumentTimer->setInterval(700);
    connect(m_noDocumentTimer, &QTimer::timeout, this, [this] {
        const bool any = m_session.documents().count() > 0;
        action(TActionId::FileSave)->setEnabled(any);
        action(TActionId::FileSaveAll)->setEnabled(any);
        refreshPluginMenus();
    });

    // The windows follow the documents.
    connect(&documents, &TDocumentManager::aboutToOpen, this, &TfrmMain::removeLogo);
    connect(&documents, &TDocumentManager::documentAdded, this, &TfrmMain::onDocumentAdded);
    connect(&documents, &TDocumentManager::activated, this, &TfrmMain::onDocumentActivated);
    connect(&documents, &TDocumentManager::documentRemoved, this, &TfrmMain::onDocumentRemoved);
    connect(&documents, &TDocumentManager::lastDocumentClosed, this, [this] {
        enterNoDocumentState();
        m_noDocumentTimer->start();
    });
    connect(&documents, &TDocumentManager::documentRenamed, this, &TfrmMain::onDocumentRenamed);
    connect(&documents, &TDocumentManager::documentStateChanged, this, [this] {
        refreshSaveCommands();
        m_tabs->update();
    });
    connect(&documents, &TDocumentManager::undoActionChanged, this,
            [this](bool enabled, const QString& caption) {
                QAction* undo = action(TActionId::EditUndo);
                undo->setEnabled(enabled);
                undo->setText(caption);
            });
    connect(&documents, &TDocumentManager::fileOpened, this, [this](const QString& name) {
        m_recentFiles->add(name);
        updateWindowMenu();
    });
    connect(&documents, &TDocumentManager::fileSaved, this, [this](const QString& name) { m_recentFiles->add(name); });
    connect(&documents, &TDocumentManager::fileUndecodable, this,
            [this](const QString& name) { m_recentFiles->remove(name); });
    connect(&documents, &TDocumentManager::pausePlayback, this, &TfrmMain::pausePlayback);
    connect(&documents, &TDocumentManager::stopPlayback, this, &TfrmMain::stopPlayback);

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TfrmMain::onSubWindowActivated);
    // File › Open is the command set's (FileCommands.h); the rest of the File and Window
    // commands go straight to the manager.
    connect(action(TActionId::FileOpen), &QAction::triggered, this, [this] { openFiles(*m_commandHost); });
    connect(action(TActionId::FileSave), &QAction::triggered, this,
            [this] { m_session.documents().save(documentToSave()); });
    connect(action(TActionId::FileSaveAs), &QAction::triggered, this,
            [this] { m_session.documents().saveAs(documentToSave()); });
    connect(action(TActionId::FileSaveAll), &QAction::triggered, this, [this] {
        if (documentToSave())
            m_session.documents().saveAll();
    });
    connect(action(TActionId::FileClose), &QAction::triggered, this, [this] {
        TDocumentManager& docs = m_session.documents();
        if (TDocument* doc = docs.active(); doc && docs.close(doc))
            docs.activateAfterClose();
    });
    connect(action(TActionId::FileCloseAll), &QAction::triggered, this, [this] {
        if (m_session.documents().closeAll())
            enterNoDocumentState();
    });
    connect(action(TActionId::WindowNextDoc), &QAction::triggered, &documents,
            &TDocumentManager::activateNext);
    connect(action(TActionId::WindowPrevDoc), &QAction::triggered, &documents,
            &TDocumentManager::activatePrevious);
    connect(action(TActionId::EditUndo), &QAction::triggered, this, &TfrmMain::undoActiveDocument);
    connect(m_recentFiles.get(), &TRecentFiles::openRequested, this,
            [this](const QString& path) { m_session.documents().open(path); });
    if (QMenu* window = menu(QStringLiteral("mnuWindow")))
        connect(window, &QMenu::aboutToShow, this, &TfrmMain::updateWindowMenu);

    // The tab strip: selecting a tab brings its document to the front; hovering names it.
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (m_syncingTabs)
            return;
        TDocument* doc = m_tabs->document(index);
        if (doc && doc != m_session.documents().active())
            m_session.documents().activate(doc);
    });
    connect(m_tabs, &TDocumentTabs::hoverChanged, this, [this](int index) {
        if (TDocument* doc = m_tabs->document(index))
            setStatusText(2, doc->fileName());
    });
    connect(m_tabs, &TDocumentTabs::tabPressed, this, [this](int) {
        if (QMdiSubWindow* active = m_mdiArea->activeSubWindow(); active && active->isMinimized())
            active->showNormal();
    });
    auto* tabPopup = new QMenu(this);
    tabPopup->setObjectName(QStringLiteral("pmnTabs"));
    m_menus.insert(tabPopup->objectName(), tabPopup);
    QAction* next = tabPopup->addAction(QStringLiteral("&Next Document"));
    next->setObjectName(QStringLiteral("mniTabNext"));
    connect(next, &QAction::triggered, &documents, &TDocumentManager::activateNext);
    QAction* previous = tabPopup->addAction(QStringLiteral("&Previous Document"));
    previous->setObjectName(QStringLiteral("mniTabPrevious"));
    connect(previous, &QAction::triggered, &documents, &TDocumentManager::activatePrevious);
    QAction* close = tabPopup->addAction(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("mniTabClose"));
    connect(m_tabs, &QWidget::customContextMenuRequested, this, [this, tabPopup, close](const QPoint& pos) {
        // The tab is taken now: the pointer leaves the strip once the menu is up.
        const QPointer<TDocument> doc = m_tabs->document(m_tabs->tabAt(pos));
        close->setEnabled(action(TActionId::FileClose)->isEnabled() && doc);
        close->disconnect();
        connect(close, &QAction::triggered, this, [this, doc] {
            if (!doc)
                return;
            TDocumentManager& docs = m_session.documents();
            docs.activate(doc);
            if (doc && docs.close(doc))
                docs.activateAfterClose();
        });
        tabPopup->popup(m_tabs->mapToGlobal(pos));
    });
}

// ---- following the document manager ----

TMDIChild* TfrmMain::viewOf(const TDocument* doc) const
{
    if (!doc)
        return nullptr;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        auto* view = qobject_cast<TMDIChild*>(window);
        if (view && view->document() == doc)
            return view;
    }
    return nullptr;
}

void TfrmMain::onDocumentAdded(TDocument* doc)
{
    TDocumentViewOptions options;
    options.framePopup = menu(QStringLiteral("pmnFrames"));
    options.cursor = dragCursor();
    options.frameBackground = [this] { return m_state.frameTransparentColor; };
    auto* view = new TMDIChild(m_session, *doc, std::move(options));
    m_tabs->addDocumentTab(doc, doc->displayName());
    m_tabPanel->show();
    m_topBevel->hide();
    m_mdiArea->addSubWindow(view);
    addPlayMenuEntry(doc);
    if (m_session.documents().count() == 1)
        refreshPluginMenus();
    view->show();
    updateWindowMenu();
}

void TfrmMain::onSubWindowActivated(QMdiSubWindow* window)
{
    auto* view = qobject_cast<TMDIChild*>(window);
    // Losing the focus to another program activates nothing: the working image stays.
    TDocument* doc = view ? view->document() : nullptr;
    if (!doc || doc->isClosing() || !m_session.documents().documents().contains(doc))
        return;
    m_session.documents().activateLater(doc);
    selectTab(doc);
}

void TfrmMain::onDocumentActivated(TDocument* doc)
{
    if (TMDIChild* view = viewOf(doc); view && m_mdiArea->activeSubWindow() != view)
        m_mdiArea->setActiveSubWindow(view);
    selectTab(doc);
    refreshWindowTitle();
}

void TfrmMain::onDocumentRemoved(TDocument* doc)
{
    const int tab = tabIndex(doc);
    if (tab >= 0) {
        m_syncingTabs = true;
        m_tabs->removeTab(tab);
        m_syncingTabs = false;
    }
    removePlayMenuEntry(doc);
    if (TMDIChild* view = viewOf(doc))
        view->closeView();
    updateWindowMenu();
}

void TfrmMain::onDocumentRenamed(TDocument* doc)
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->document(i) == doc)
            m_tabs->setTabText(i, doc->displayName());
    if (QMenu* play = menu(QStringLiteral("pmnPlayDocuments")))
        for (QAction* entry : play->actions())
            if (entry->data().value<QObject*>() == doc)
                entry->setText(doc->fileName());
    refreshWindowTitle();
}

int TfrmMain::tabIndex(const TDocument* doc) const
{
    if (!doc)
        return -1;
    const QString text = doc->displayName();
    const QString full = doc->fileName();
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabText(i) != text)
            continue;
        // Two documents may share a name in different folders: the full name decides.
        const TDocument* candidate = m_tabs->document(i);
        if (candidate && candidate->fileName() == full)
            return i;
    }
    return -1;
}

void TfrmMain::selectTab(const TDocument* doc)
{
    const int tab = tabIndex(doc);
    if (tab < 0 || m_tabs->currentIndex() == tab)
        return;
    m_syncingTabs = true;
    m_tabs->setCurrentIndex(tab);
    m_syncingTabs = false;
}

// ---- commands ----

TDocument* TfrmMain::documentToSave()
{
    TDocument* doc = m_session.documents().active();
    if (!doc)
        for (TActionId name : {TActionId::FileSave, TActionId::FileSaveAs, TActionId::FileSaveAll})
            action(name)->setEnabled(false);
    return doc;
}

void TfrmMain::refreshSaveCommands()
{
    TDocument* doc = m_session.documents().active();
    action(TActionId::FileSave)->setEnabled(doc && doc->isModified());
    action(TActionId::FileSaveAll)->setEnabled(m_session.documents().anyModified());
    refreshWindowTitle();
}

void TfrmMain::refreshWindowTitle()
{
    // The program's name first, then the active document the way a maximised document window
    // shows it: "title - [name]", with the modified mark after it.
    const TDocument* doc = m_session.documents().active();
    const QString title = QString::fromLatin1(kApplicationTitle);
    setWindowTitle(doc ? QStringLiteral("%1 - [%2][*]").arg(title, doc->displayName()) : title);
    setWindowModified(doc && doc->isModified());
}

void TfrmMain::enterNoDocumentState()
{
    m_tabPanel->hide();
    m_topBevel->show();
    m_syncingTabs = true;
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    m_syncingTabs = false;
    m_panels->cbCurrentFrame->clear();
    m_stripController->clearFrameStrip();
    m_session.workingImage().clear();
    if (IFrameInspectorView* view = inspector())
        view->clearInspector();
    if (QMenu* play = menu(QStringLiteral("pmnPlayDocuments")))
        play->clear();
    enableDocumentCommands(false);
    for (TActionId name : {TActionId::FrameDelete, TActionId::FrameMoveBegin, TActionId::FrameMoveEnd,
                           TActionId::FrameMoveUp, TActionId::FrameMoveDown, TActionId::FrameTransColor,
                           TActionId::FileSave, TActionId::FileSaveAll, TActionId::EditUndo})
        action(name)->setEnabled(false);
    action(TActionId::EditUndo)->setText(QStringLiteral("&Undo"));
    m_panels->txtLoop->setValue(1);
    setStatusText(2, QString());
    refreshWindowTitle();
}

void TfrmMain::updateWindowMenu()
{
    const bool any = m_session.documents().count() > 0;
    for (TActionId name : {TActionId::WindowCascade, TActionId::WindowTileHorizontal,
                           TActionId::WindowTileVertical, TActionId::WindowMinimizeAll,
                           TActionId::WindowArrangeAll, TActionId::WindowNextDoc, TActionId::WindowPrevDoc})
        action(name)->setEnabled(any);
}

void TfrmMain::undoActiveDocument()
{
    TDocument* doc = m_session.documents().active();
    if (!doc)
        return;
    // The inspector's row is noted before and shown after, as the undo chose it.
    const QPointer<TDocument> guard = doc;
    if (m_inspector && m_inspector->selectedRow() >= 0)
        doc->setInspectorRow(m_inspector->selectedRow());
    try {
        ::undoActiveDocument(*doc);
        if (guard && m_inspector && guard == m_session.documents().active())
            m_inspector->showRow(guard->inspectorRow());
    } catch (const std::exception& error) {
        // The command stays on the history; the user sees why it could not be undone.
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
    }
}

void TfrmMain::setStatusText(int panel, const QString& text)
{
    if (QLabel* label = statusPanel(panel))
        label->setText(text);
}

// ---- play menu entries ----

void TfrmMain::addPlayMenuEntry(TDocument* doc)
{
    if (QMenu* play = menu(QStringLiteral("pmnPlayDocuments"))) {
        QAction* entry = play->addAction(doc->fileName());
        entry->setData(QVariant::fromValue(static_cast<QObject*>(doc)));
    }
}

void TfrmMain::removePlayMenuEntry(TDocument* doc)
{
    if (QMenu* play = menu(QStringLiteral("pmnPlayDocuments")))
        for (QAction* entry : play->actions())
            if (entry->data().value<QObject*>() == doc)
                delete entry;
}

// The documents, the strip and the commands stop the preview at these points (the manager's
// signals and the hosts).
void TfrmMain::pausePlayback()
{
    if (m_playback)
        m_playback->stop(true);
    updateReverseAction();
}
void TfrmMain::stopPlayback()
{
    if (m_playback)
        m_playback->stop(true);
    updateReverseAction();
}
void TfrmMain::refreshPluginMenus()
{
    // Only with the program's own application object, as plug-ins are only loaded then. Any open
    // document counts: the first one calls this before it becomes the active one.
    if (m_automation)
        updateDocumentDependentItems(menuBar(), m_session.documents().count() > 0);
}
