// The main window's document operations: opening, creating, activating, reloading, saving and
// closing documents, the tab strip's part in them, the no-document state, and the small frame
// strip operations the documents need. Everything runs on the GUI thread.
//
// The working image holds the active document's animation only. Switching documents goes
// through files: the document left writes its working copy when it changed since the copy was
// last written, the document entered is read back from its working copy or its file.
#include "automation/IntfMenuItem.h"
#include "app/Childwin.h"
#include "app/DialogWiring.h"
#include "app/DocumentTabs.h"
#include "app/FramePanels.h"
#include "app/Main.h"
#include "app/RecentFiles.h"
#include "app/WizardWiring.h"
#include "editing/Routines.h"
#include "editing/UndoHistory.h"
#include "editing/float.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "platform/ProgramData.h"
#include "platform/Settings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

// What the image routines see of the main window. A separate object because the routines'
// select-frame reports nothing while the main window's reports whether the frame was shown.
class TRoutinesHostAdapter : public IRoutinesHost
{
public:
    explicit TRoutinesHostAdapter(TfrmMain& main) : m_main(main) {}

    int documentCount() const override { return m_main.documentCount(); }
    IRoutinesDocument* activeDocument() override { return m_main.activeDocument(); }
    bool workspaceDropFlag() const override { return m_main.workspaceDropFlag(); }
    void openAsNewDocument(const QString& path) override { m_main.openDocument(path); }
    void createDocumentForImage() override { m_main.createNewDocument(); }
    int currentFrame() const override { return m_main.mainCurrentFrame(); }
    int insertPosition() const override
    {
        const int frames = workingImage()->images().count();
        if (frames == 0 || m_main.mainCurrentFrame() < 0)
            return -1;
        return std::min(m_main.mainCurrentFrame() + 1, frames - 1);
    }
    void addFrameColumn() override { m_main.addFrameColumn(); }
    void selectFrame(int index) override { m_main.selectFrame(index); }
    void repaintFrameStrip() override { m_main.repaintFrameStrip(); }
    void setStatusText(int panel, const QString& text) override { m_main.setStatusText(panel, text); }

private:
    TfrmMain& m_main;
};

namespace {

// Shows the main status bar's progress bar for its lifetime.
class TProgressBarScope
{
public:
    TProgressBarScope(QProgressBar& bar, int maximum) : m_bar(bar)
    {
        m_bar.setRange(0, std::max(maximum, 0));
        m_bar.setValue(0);
        m_bar.show();
    }
    // The bar goes back to the percentages the progress handler reports in.
    ~TProgressBarScope()
    {
        m_bar.hide();
        m_bar.setRange(0, 100);
        m_bar.setValue(0);
    }
    TProgressBarScope(const TProgressBarScope&) = delete;
    TProgressBarScope& operator=(const TProgressBarScope&) = delete;

private:
    QProgressBar& m_bar;
};

} // namespace

void TfrmMain::connectDocumentCommands()
{
    m_routinesHost = std::make_unique<TRoutinesHostAdapter>(*this);
    m_routinesPrompts = makeRoutinesPrompts(*this);
    m_routinesHostScope = std::make_unique<TScopedRoutinesHost>(m_routinesHost.get(), m_routinesPrompts.get());

    m_noDocumentTimer = new QTimer(this);
    m_noDocumentTimer->setSingleShot(true);
    m_noDocumentTimer->setInterval(700);
    connect(m_noDocumentTimer, &QTimer::timeout, this, [this] {
        const bool any = documentCount() > 0;
        action(QStringLiteral("FileSave"))->setEnabled(any);
        action(QStringLiteral("FileSaveAll"))->setEnabled(any);
        refreshPluginMenus();
    });

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TfrmMain::onSubWindowActivated);
    connect(action(QStringLiteral("FileOpen")), &QAction::triggered, this, &TfrmMain::openFiles);
    connect(action(QStringLiteral("FileSave")), &QAction::triggered, this, &TfrmMain::saveActiveDocument);
    connect(action(QStringLiteral("FileSaveAs")), &QAction::triggered, this, &TfrmMain::saveActiveDocumentAs);
    connect(action(QStringLiteral("FileSaveAll")), &QAction::triggered, this, &TfrmMain::saveAllDocuments);
    connect(action(QStringLiteral("FileClose")), &QAction::triggered, this, &TfrmMain::closeActiveDocument);
    connect(action(QStringLiteral("FileCloseAll")), &QAction::triggered, this, [this] {
        if (closeAllDocuments())
            enterNoDocumentState();
    });
    connect(action(QStringLiteral("WindowNextDoc")), &QAction::triggered, this, &TfrmMain::nextDocument);
    connect(action(QStringLiteral("WindowPrevDoc")), &QAction::triggered, this, &TfrmMain::previousDocument);
    connect(action(QStringLiteral("EditUndo")), &QAction::triggered, this,
            static_cast<void (TfrmMain::*)()>(&TfrmMain::undoActiveDocument));
    connect(m_recentFiles.get(), &TRecentFiles::openRequested, this,
            [this](const QString& path) { openDocument(path); });
    if (QMenu* window = menu(QStringLiteral("mnuWindow")))
        connect(window, &QMenu::aboutToShow, this, &TfrmMain::updateWindowMenu);

    // The tab strip: selecting a tab brings its document to the front; hovering names it.
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (m_syncingTabs)
            return;
        TMDIChild* doc = m_tabs->document(index);
        if (doc && doc != activeDocument())
            makeActive(doc);
    });
    connect(m_tabs, &TDocumentTabs::hoverChanged, this, [this](int index) {
        if (TMDIChild* doc = m_tabs->document(index))
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
    connect(next, &QAction::triggered, this, &TfrmMain::nextDocument);
    QAction* previous = tabPopup->addAction(QStringLiteral("&Previous Document"));
    previous->setObjectName(QStringLiteral("mniTabPrevious"));
    connect(previous, &QAction::triggered, this, &TfrmMain::previousDocument);
    QAction* close = tabPopup->addAction(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("mniTabClose"));
    connect(m_tabs, &QWidget::customContextMenuRequested, this, [this, tabPopup, close](const QPoint& pos) {
        // The tab is taken now: the pointer leaves the strip once the menu is up.
        const QPointer<TMDIChild> doc = m_tabs->document(m_tabs->tabAt(pos));
        close->setEnabled(action(QStringLiteral("FileClose"))->isEnabled() && doc);
        close->disconnect();
        connect(close, &QAction::triggered, this, [this, doc] {
            if (!doc)
                return;
            makeActive(doc);
            if (doc && doc->close())
                activateAfterClose();
        });
        tabPopup->popup(m_tabs->mapToGlobal(pos));
    });
}

// ---- the document list ----

QList<TMDIChild*> TfrmMain::documents() const
{
    return m_documents;
}

TMDIChild* TfrmMain::activeDocument() const
{
    TMDIChild* doc = m_activeDocument.data();
    return doc && !doc->isClosing() ? doc : nullptr;
}

bool TfrmMain::anyModified() const
{
    return std::any_of(m_documents.begin(), m_documents.end(),
                       [](TMDIChild* doc) { return doc->isModified(); });
}

int TfrmMain::tabIndex(const TMDIChild* doc) const
{
    if (!doc)
        return -1;
    const QString text = doc->displayName();
    const QString full = doc->fileName();
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabText(i) != text)
            continue;
        // Two documents may share a name in different folders: the full name decides.
        const TMDIChild* candidate = m_tabs->document(i);
        if (candidate && candidate->fileName() == full)
            return i;
    }
    return -1;
}

void TfrmMain::onSubWindowActivated(QMdiSubWindow* window)
{
    auto* doc = qobject_cast<TMDIChild*>(window);
    // Losing the focus to another program activates nothing: the working image stays.
    if (!doc || doc->isClosing() || !m_documents.contains(doc))
        return;
    if (TMDIChild* previous = activeDocument(); previous && previous != doc)
        previous->deactivate();
    m_activeDocument = doc;
    doc->activate();
}

void TfrmMain::makeActive(TMDIChild* doc)
{
    if (!doc || doc->isClosing())
        return;
    if (TMDIChild* previous = activeDocument(); previous && previous != doc)
        previous->deactivate();
    m_activeDocument = doc;
    if (m_mdiArea->activeSubWindow() != doc)
        m_mdiArea->setActiveSubWindow(doc);
    // The activation's deferred load is done now, so the working image holds the document when
    // this returns.
    QCoreApplication::removePostedEvents(doc, kMsgLoadActiveDocument);
    if (doc->loadPending() || !doc->isLoaded()) {
        const QPointer<TMDIChild> guard = doc;
        doc->loadNow();
        if (!guard || guard->isClosing())
            return;
    }
    m_syncingTabs = true;
    m_tabs->setCurrentIndex(tabIndex(doc));
    m_syncingTabs = false;
}

// ---- opening and creating ----

void TfrmMain::openFiles()
{
    TFileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = QStringLiteral("GIF Images (*.gif)|*.gif");
    request.filterIndex = 1;
    request.multiSelect = true;
    request.initialDir = m_state.initialDir;
    const TFileDialogResult result = messageService().openFile(request);
    if (!result.accepted || result.files.isEmpty())
        return;
    for (const QString& file : result.files)
        openDocument(file);
    m_state.initialDir = QFileInfo(result.files.first()).absolutePath();
}

bool TfrmMain::openDocument(const QString& path)
{
    // 1.
    removeLogo();
    const QString fullName = QFileInfo(path).absoluteFilePath();
    // 2.
    for (TMDIChild* doc : std::as_const(m_documents)) {
        if (doc->fileName() == fullName) {
            QApplication::beep();
            makeActive(doc);
            return true;
        }
    }
    // 3.
    TMDIChild* previous = activeDocument();
    if (previous)
        previous->deactivate();
    // 4.
    TGIFImage& image = *workingImage();
    if (!loadGIFFile(image, fullName)) {
        restoreAfterFailedOpen(previous);
        return false;
    }
    // 5.
    clearFrameStrip();
    const int frames = image.images().count();
    if (frames < 2) {
        if (frames == 0 || image.images().subImage(0)->empty()) {
            messageDlg(QStringLiteral("Unable to decode %1. The file is could be corrupt.").arg(fullName),
                       TMsgType::Warning, TMsgButtons::Ok);
            m_recentFiles->remove(fullName);
            restoreAfterFailedOpen(previous);
            return false;
        }
        setFrameColumns(1);
    } else {
        TWaitCursor wait;
        TProgressBarScope progress(*m_progressBar, frames - 1);
        // Empty frames cannot be shown or edited; they keep their place at the end of the list
        // so that nothing read from the file is dropped.
        int end = frames - 1;
        for (int i = frames - 1; i >= 0; --i) {
            if (image.images().subImage(i)->empty()) {
                image.images().move(i, end);
                --end;
            }
        }
        int shown = 0;
        for (int i = 0; i < frames; ++i) {
            if (image.images().subImage(i)->empty())
                continue;
            ++shown;
            m_progressBar->setValue(i);
            statusBar()->repaint();
        }
        setFrameColumns(shown);
    }
    // 6.
    auto* doc = new TMDIChild(*this, fullName, false);
    doc->setUndoCapacity(undoCapacitySetting());
    m_documents.append(doc);
    m_mdiArea->addSubWindow(doc);
    addPlayMenuEntry(doc);
    if (m_documents.size() == 1)
        refreshPluginMenus();
    doc->show();
    makeActive(doc);
    // 7.
    selectFrame(0);
    // 8.
    m_recentFiles->add(fullName);
    updateWindowMenu();
    return true;
}

void TfrmMain::restoreAfterFailedOpen(TMDIChild* previous)
{
    // The working image now holds what was read (or nothing). The document that was active
    // still counts as loaded when it is the only one: read it back, or its next edit would be
    // made to the wrong animation and written over its working copy.
    if (!previous || previous->isClosing())
        return;
    previous->setLoaded(false);
    makeActive(previous);
}

TMDIChild* TfrmMain::createNewDocument()
{
    removeLogo();
    const QString name = QStringLiteral("Untitled%1.gif").arg(m_state.untitledCounter);
    ++m_state.untitledCounter;
    if (TMDIChild* previous = activeDocument())
        previous->deactivate();
    auto* doc = new TMDIChild(*this, name, true);
    doc->setUndoCapacity(undoCapacitySetting());
    m_documents.append(doc);
    m_mdiArea->addSubWindow(doc);
    addPlayMenuEntry(doc);
    if (m_documents.size() == 1)
        refreshPluginMenus();
    doc->show();
    makeActive(doc);
    updateWindowMenu();
    return doc;
}

bool TfrmMain::reloadActiveDocument(const QString& fileName)
{
    TMDIChild* doc = activeDocument();
    // 1.
    const int tab = tabIndex(doc);
    if (tab < 0)
        return false;
    m_syncingTabs = true;
    m_tabs->setCurrentIndex(tab);
    m_syncingTabs = false;
    // 2.
    TGIFImage& image = *workingImage();
    bool loaded = false;
    {
        TWaitCursor wait;
        clearFrameStrip();
        image.clear();
        // Copying into the working image leaves it without handlers; reads report here.
        image.onProgress = progressHandler();
        loaded = loadGIFFile(image, fileName);
    }
    // 3.
    if (image.empty() || !loaded) {
        messageDlg(
            QStringLiteral("The file %1 has either moved or cannot be opened. Existing changes will be lost. "
                           "GIF Empty: %2, Load Error: %3.")
                .arg(fileName, image.empty() ? QStringLiteral("Yes") : QStringLiteral("No"),
                     loaded ? QStringLiteral("No") : QStringLiteral("Yes")),
            TMsgType::Warning, TMsgButtons::Ok);
        removeDocument(doc);
        return false;
    }
    // 4.
    setFrameColumns(image.nonEmptyFrameCount());
    selectFrame(doc->rememberedFrame());
    return true;
}

void TfrmMain::removeDocument(TMDIChild* doc)
{
    if (!doc || doc->isClosing())
        return;
    doc->setModified(false);
    doc->close();
    activateAfterClose();
}

void TfrmMain::documentClosing(TMDIChild* doc)
{
    const bool wasActive = m_activeDocument == doc;
    m_documents.removeAll(doc);
    if (wasActive)
        m_activeDocument = nullptr;
    if (m_documents.isEmpty()) {
        enterNoDocumentState();
        m_noDocumentTimer->start();
    } else {
        const int tab = tabIndex(doc);
        if (tab >= 0) {
            m_syncingTabs = true;
            m_tabs->removeTab(tab);
            m_syncingTabs = false;
        }
        removePlayMenuEntry(doc);
        if (wasActive) {
            // The workspace activates another window once this one is gone; the working image
            // must follow it at once, not when the posted load comes round.
            QTimer::singleShot(0, this, &TfrmMain::activateAfterClose);
        }
    }
    updateWindowMenu();
}

void TfrmMain::activateAfterClose()
{
    if (m_documents.isEmpty())
        return;
    // The workspace may already have activated the next window (its load still posted).
    TMDIChild* next = activeDocument();
    if (!next) {
        next = qobject_cast<TMDIChild*>(m_mdiArea->activeSubWindow());
        if (!next || next->isClosing() || !m_documents.contains(next))
            next = m_documents.last();
        // The window closed held the working image: the next one is read back from disk.
        next->setLoaded(false);
    }
    if (next->isLoaded() && !next->loadPending())
        return;
    makeActive(next);
}

void TfrmMain::documentRenamed(TMDIChild* doc)
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

// ---- saving ----

QString TfrmMain::askSaveFileName(const QString& proposedName, bool saveAs)
{
    TFileDialogRequest request;
    request.title = QStringLiteral("Save As");
    request.filter = QStringLiteral("GIF Images|*.gif|All Image Files|*.*");
    request.defaultSuffix = QStringLiteral("gif");
    request.fileName = proposedName;
    // A document that has a file of its own is saved next to it unless the user goes elsewhere;
    // untitled ones start where the last save went.
    const TMDIChild* doc = activeDocument();
    request.initialDir = doc && !doc->isUntitled() ? QFileInfo(doc->fileName()).absolutePath()
                                                   : m_saveDialogFolder;
    addOptimizeButton(*this, request, saveAs);
    const TFileDialogResult result = messageService().saveFile(request);
    if (!result.accepted || result.files.isEmpty())
        return {};
    QString chosen = result.files.first();
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".gif");
    m_saveDialogFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

TMDIChild* TfrmMain::documentToSave()
{
    TMDIChild* doc = activeDocument();
    if (!doc)
        for (const char* name : {"FileSave", "FileSaveAs", "FileSaveAll"})
            action(QString::fromLatin1(name))->setEnabled(false);
    return doc;
}

bool TfrmMain::saveActiveDocument()
{
    TMDIChild* doc = documentToSave();
    // 1.
    if (!doc)
        return false;
    // 2.
    pausePlayback();
    // 3. The sample images beside the program stay as shipped: their edits go to "working".
    const QFileInfo info(doc->fileName());
    const QString images = QDir(programDataFolder()).filePath(QStringLiteral("images"));
    if (!doc->isUntitled() && info.absolutePath().compare(images, Qt::CaseInsensitive) == 0) {
        const QDir working(sampleWorkingFolder());
        working.mkpath(QStringLiteral("."));
        QString target = working.filePath(info.fileName());
        if (QFileInfo::exists(target)) {
            // A number from 0 to 99; taken numbers are skipped so no other file is replaced.
            const QString base = working.filePath(info.completeBaseName());
            QList<int> free;
            for (int n = 0; n < 100; ++n)
                if (!QFileInfo::exists(QStringLiteral("%1%2.gif").arg(base).arg(n)))
                    free.append(n);
            if (!free.isEmpty())
                target = QStringLiteral("%1%2.gif")
                             .arg(base)
                             .arg(free.at(int(QRandomGenerator::global()->bounded(quint32(free.size())))));
        }
        doc->setFileName(target);
    }
    // 4.
    const QPointer<TMDIChild> guard = doc;
    const bool saved = doc->saveQuery(false, true);
    if (saved && guard)
        m_recentFiles->add(guard->fileName());
    repaintTabs();
    return saved;
}

bool TfrmMain::saveActiveDocumentAs()
{
    TMDIChild* doc = documentToSave();
    if (!doc)
        return false;
    pausePlayback();
    bool saved = false;
    const QString chosen = askSaveFileName(QString(), true);
    // "Optimi&ze" in the dialog may have opened the optimised animation as a new document: the
    // name chosen afterwards is for the animation the working image holds now.
    doc = activeDocument();
    if (!chosen.isEmpty() && doc) {
        doc->setFileName(chosen);
        saved = doc->writeToFile();
        if (saved)
            m_recentFiles->add(doc->fileName());
    }
    repaintTabs();
    selectFrame(mainCurrentFrame());
    return saved;
}

void TfrmMain::saveAllDocuments()
{
    TMDIChild* remembered = documentToSave();
    if (!remembered)
        return;
    pausePlayback();
    const QPointer<TMDIChild> rememberedGuard = remembered;
    TWaitCursor wait;
    auto saveOne = [this](TMDIChild* doc) {
        if (!doc->saveQuery(false, QFileInfo::exists(doc->fileName())))
            return;
        doc->statusPanel(0)->update();
        m_recentFiles->add(doc->fileName());
    };
    if (remembered->isModified())
        saveOne(remembered);
    {
        TProgressBarScope progress(*m_progressBar, 100);
        const QList<TMDIChild*> others = m_documents;
        for (TMDIChild* doc : others) {
            const QPointer<TMDIChild> guard = doc;
            if (doc == remembered || !doc->isModified())
                continue;
            makeActive(doc);
            if (guard && !guard->isClosing())
                saveOne(guard);
        }
    }
    if (rememberedGuard && !rememberedGuard->isClosing())
        makeActive(rememberedGuard);
    repaintTabs();
}

void TfrmMain::refreshSaveCommands()
{
    TMDIChild* doc = activeDocument();
    action(QStringLiteral("FileSave"))->setEnabled(doc && doc->isModified());
    action(QStringLiteral("FileSaveAll"))->setEnabled(anyModified());
    refreshWindowTitle();
}

void TfrmMain::refreshWindowTitle()
{
    // The program's name first, then the active document the way a maximised document window
    // shows it: "title - [name]", with the modified mark after it.
    const TMDIChild* doc = activeDocument();
    const QString title = QString::fromLatin1(kApplicationTitle);
    setWindowTitle(doc ? QStringLiteral("%1 - [%2][*]").arg(title, doc->displayName()) : title);
    setWindowModified(doc && doc->isModified());
}

void TfrmMain::repaintTabs()
{
    m_tabs->update();
}

// ---- closing ----

void TfrmMain::closeActiveDocument()
{
    if (TMDIChild* doc = activeDocument(); doc && doc->close())
        activateAfterClose();
}

bool TfrmMain::closeAllDocuments()
{
    const QList<TMDIChild*> all = m_documents;
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        const QPointer<TMDIChild> doc = *it;
        if (!doc || doc->isClosing())
            continue;
        // The close question may save: the document's animation must be the working image.
        if (doc->isModified())
            makeActive(doc);
        if (doc && !doc->close())
            return false;
    }
    return true;
}

void TfrmMain::enterNoDocumentState()
{
    m_tabPanel->hide();
    m_topBevel->show();
    m_syncingTabs = true;
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    m_syncingTabs = false;
    if (QComboBox* frames = findChild<QComboBox*>(QStringLiteral("cbCurrentFrame")))
        frames->clear();
    clearFrameStrip();
    workingImage()->clear();
    m_activeDocument = nullptr;
    if (IFrameInspectorView* view = inspector())
        view->clearInspector();
    if (QMenu* play = menu(QStringLiteral("pmnPlayDocuments")))
        play->clear();
    enableDocumentCommands(false);
    for (const char* name : {"FrameDelete", "FrameMoveBegin", "FrameMoveEnd", "FrameMoveUp", "FrameMoveDown",
                             "FrameTransColor", "FileSave", "FileSaveAll", "EditUndo"})
        action(QString::fromLatin1(name))->setEnabled(false);
    action(QStringLiteral("EditUndo"))->setText(QStringLiteral("&Undo"));
    if (auto* loop = findChild<QSpinBox*>(QStringLiteral("txtLoop")))
        loop->setValue(1);
    setStatusText(2, QString());
    refreshWindowTitle();
}

// ---- window order ----

void TfrmMain::nextDocument()
{
    if (m_documents.size() < 2)
        return;
    const int at = std::max<int>(int(m_documents.indexOf(activeDocument())), 0);
    makeActive(m_documents.at((at + 1) % int(m_documents.size())));
}

void TfrmMain::previousDocument()
{
    if (m_documents.size() < 2)
        return;
    const int at = std::max<int>(int(m_documents.indexOf(activeDocument())), 0);
    makeActive(m_documents.at((at - 1 + int(m_documents.size())) % int(m_documents.size())));
}

void TfrmMain::updateWindowMenu()
{
    const bool any = !m_documents.isEmpty();
    for (const char* name : {"WindowCascade", "WindowTileHorizontal", "WindowTileVertical",
                             "WindowMinimizeAll", "WindowArrangeAll", "WindowNextDoc", "WindowPrevDoc"})
        action(QString::fromLatin1(name))->setEnabled(any);
}

void TfrmMain::undoActiveDocument()
{
    TMDIChild* doc = activeDocument();
    if (!doc)
        return;
    // The inspector's row is noted before and shown after, as the undo chose it.
    const QPointer<TMDIChild> guard = doc;
    if (m_inspector && m_inspector->selectedRow() >= 0)
        doc->setInspectorRow(m_inspector->selectedRow());
    try {
        ::undoActiveDocument(*doc);
        if (guard && m_inspector && guard == activeDocument())
            m_inspector->showRow(guard->inspectorRow());
    } catch (const std::exception& error) {
        // The command stays on the history; the user sees why it could not be undone.
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
    }
}

// ---- play menu entries ----

void TfrmMain::addPlayMenuEntry(TMDIChild* doc)
{
    if (QMenu* play = menu(QStringLiteral("pmnPlayDocuments"))) {
        QAction* entry = play->addAction(doc->fileName());
        entry->setData(QVariant::fromValue(static_cast<QObject*>(doc)));
    }
}

void TfrmMain::removePlayMenuEntry(TMDIChild* doc)
{
    if (QMenu* play = menu(QStringLiteral("pmnPlayDocuments")))
        for (QAction* entry : play->actions())
            if (entry->data().value<QObject*>() == doc)
                delete entry;
}

// Playback is another unit's work; documents call these at the points where it hooks in.
void TfrmMain::pausePlayback()
{
    updateReverseAction();
}
void TfrmMain::stopPlayback()
{
    updateReverseAction();
}
void TfrmMain::refreshPluginMenus()
{
    // Only with the program's own application object, as plug-ins are only loaded then. Any open
    // document counts: the first one calls this before it becomes the active one.
    if (m_automation)
        updateDocumentDependentItems(menuBar(), documentCount() > 0);
}

// ---- the frame strip as documents use it: all of it goes through the strip's controller ----

int TfrmMain::mainCurrentFrame() const
{
    return m_stripController ? m_stripController->currentFrame() : -1;
}

void TfrmMain::clearFrameStrip()
{
    m_stripController->clearFrameStrip();
}

void TfrmMain::setFrameColumns(int count)
{
    m_stripController->setFrameColumns(std::max(count, 0));
}

int TfrmMain::frameColumnCount() const
{
    return m_stripController->frameColumnCount();
}

void TfrmMain::addFrameColumn()
{
    setFrameColumns(frameColumnCount() + 1);
}

void TfrmMain::repaintFrameStrip()
{
    m_stripController->repaintFrameStrip();
}

void TfrmMain::setStatusText(int panel, const QString& text)
{
    if (QLabel* label = statusPanel(panel))
        label->setText(text);
}

bool TfrmMain::selectFrame(int index)
{
    // Showing a frame reads it through the engine; a file it read with complaints may still
    // refuse some request. That is said to the user and never ends the program.
    bool shown = false;
    try {
        shown = m_stripController->selectFrame(index);
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
    }
    updateReverseAction();
    return shown;
}
