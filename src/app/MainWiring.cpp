// The main window as the edit session, the frame strip and the main command set see it, and the
// connections of every action and menu item to its command. The session, the strip's controller
// and the commands know the window only through IEditView, IFrameStripHost and ICommandHost; the
// adapters here translate those narrow views into the window's own operations. GUI thread only.
#include "app/AnimationCommands.h"
#include "app/Childwin.h"
#include "app/CommandHost.h"
#include "app/DialogWiring.h"
#include "app/Drops.h"
#include "app/EditCommands.h"
#include "app/FileCommands.h"
#include "app/FrameCommands.h"
#include "app/FramePanels.h"
#include "app/FrameStrip.h"
#include "app/FrameStripHost.h"
#include "app/ImportExportWiring.h"
#include "app/InspectorWiring.h"
#include "app/Main.h"
#include "app/Playback.h"
#include "app/PlaybackWiring.h"
#include "app/ThumbWiring.h"
#include "app/ToolWindows.h"
#include "app/Warnings.h"
#include "app/WizardWiring.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/float.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/ProgramData.h"
#include "wizards/ThumbViewer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>

namespace {

// What the strip, the panels and their controller need of the main window.
class TFrameStripHostAdapter : public IFrameStripHost
{
public:
    explicit TFrameStripHostAdapter(TfrmMain& main) : m_main(main) {}

    void showFrame(int index) override
    {
        if (TMDIChild* view = m_main.viewOf(m_main.session().documents().active()))
            view->showFrame(index);
    }
    void setActionEnabled(TActionId id, bool enabled) override { m_main.action(id)->setEnabled(enabled); }
    void enableDocumentCommands(bool enabled) override { m_main.enableDocumentCommands(enabled); }
    bool canPaste() override
    {
        // Selecting a frame offers Paste for text too: it may become a comment.
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return ::canPaste(m_main.commandHost()) || (data && data->hasText());
    }
    void stopPlayback() override { m_main.stopPlayback(); }
    IFrameInspectorView* inspector() override { return m_main.inspector(); }
    void showInspectorIfHiddenAtStartup() override
    {
        if (m_main.state().inspectorRestore == 1 && m_main.inspector())
            m_main.setInspectorChecked(true); // clears the restore flag: once only
    }
    void moveFramesTo(int column) override { dropFramesOnColumn(m_main.commandHost(), column); }
    void insertViewPictureAt(int column) override
    {
        TMDIChild* view = m_main.viewOf(m_main.session().documents().active());
        if (!view || !view->previewBitmap() || view->previewBitmap()->empty())
            return;
        // A copy: inserting converts the bitmap, and the view keeps showing its own.
        TBitmap picture;
        picture.assign(view->previewBitmap());
        addPictureAsFrame(m_main.session(), picture, column, QStringLiteral("Add Frame"));
    }
    TPaletteChoice choosePaletteColor(int frameIndex, int colorIndex, TColor color) override
    {
        return chooseAnimationTransparentColor(m_main.session(), frameIndex, colorIndex, color);
    }

private:
    TfrmMain& m_main;
};

// What the main command set needs of the main window.
class TCommandHostAdapter : public ICommandHost
{
public:
    explicit TCommandHostAdapter(TfrmMain& main) : m_main(main) {}

    TEditSession& session() override { return m_main.session(); }
    int selectionLeft() const override { return m_main.frameStrip()->selectionLeft(); }
    int selectionRight() const override { return m_main.frameStrip()->selectionRight(); }
    void selectAllColumns() override
    {
        m_main.frameStrip()->selectAll();
        QComboBox* list = m_main.framePanels()->cbCurrentFrame;
        const QSignalBlocker blocker(list);
        if (list->count() > 0)
            list->setCurrentIndex(list->count() - 1); // "Select All"
        m_main.updateReverseAction();
    }

    void enableAction(TActionId id, bool enabled) override { m_main.action(id)->setEnabled(enabled); }
    void enableDocumentCommands(bool enabled) override { m_main.enableDocumentCommands(enabled); }
    void beep() override { QApplication::beep(); }

    QString frameClipboardFile() const override { return m_main.frameClipboardFile(); }
    void setFrameClipboardFile(const QString& name) override { m_main.setFrameClipboardFile(name); }
    bool inspectorShowsComments() const override
    {
        return m_main.inspectorWindow() && m_main.inspectorWindow()->showsComments();
    }

    bool isPlaying() const override { return m_main.playback().isPlaying(); }
    void stopPlayback() override { m_main.stopPlayback(); }

    QString initialDir() const override { return m_main.state().initialDir; }
    void setInitialDir(const QString& folder) override { m_main.state().initialDir = folder; }

    ICommandDialogs& dialogs() override { return m_main.commandDialogs(); }
    QMdiArea* mdiArea() override { return m_main.mdiArea(); }

private:
    TfrmMain& m_main;
};

// The frame strip and the status bar as the edit session sees them.
class TEditViewAdapter : public IEditView
{
public:
    explicit TEditViewAdapter(TfrmMain& main) : m_main(main) {}

    void clearFrameStrip() override { m_main.stripController()->clearFrameStrip(); }
    int frameColumnCount() const override { return m_main.stripController()->frameColumnCount(); }
    void setFrameColumns(int count) override { m_main.stripController()->setFrameColumns(std::max(count, 0)); }
    bool selectFrame(int index) override
    {
        // Showing a frame reads it through the engine; a file it read with complaints may still
        // refuse some request. That is said to the user and never ends the program.
        bool shown = false;
        try {
            shown = m_main.stripController()->selectFrame(index);
        } catch (const std::exception& error) {
            messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        }
        m_main.updateReverseAction();
        return shown;
    }
    void repaintFrameStrip() override { m_main.stripController()->repaintFrameStrip(); }
    void setStatusText(int panel, const QString& text) override
    {
        if (QLabel* label = m_main.statusPanel(panel))
            label->setText(text);
    }
    TProgressEvent progressHandler() override { return m_main.progressHandler(); }

private:
    TfrmMain& m_main;
};

} // namespace

std::unique_ptr<IEditView> TfrmMain::makeEditView()
{
    return std::make_unique<TEditViewAdapter>(*this);
}

std::unique_ptr<IFrameStripHost> TfrmMain::makeFrameStripHost()
{
    return std::make_unique<TFrameStripHostAdapter>(*this);
}

IFrameInspectorView* TfrmMain::inspector() const
{
    return m_inspector.data();
}

TfrmFloat* TfrmMain::inspectorWindow() const
{
    return m_inspector.data();
}

void TfrmMain::setCommandDialogs(std::unique_ptr<ICommandDialogs> dialogs)
{
    m_commandDialogs = dialogs ? std::move(dialogs) : makeProgramDialogs(*this);
}

TProgressEvent TfrmMain::progressHandler()
{
    return m_stripController->progressHandler();
}

void TfrmMain::updateReverseAction()
{
    if (QAction* reverse = action(TActionId::FrameReverse); reverse && m_commandHost)
        reverse->setEnabled(reverseEnabled(*m_commandHost));
}

void TfrmMain::dropThumbnailOnStrip(int column, const QMimeData* data)
{
    // A picture goes where the routing puts it (frame 0), not to the drop column.
    (void)column;
    routeThumbnail(*this, thumbnailPathFromMime(data));
    m_stripController->repaintFrameStrip();
}

void TfrmMain::connectSubsystems()
{
    m_playback = createPlayback(*this);
}

void TfrmMain::attachSettingsDependents()
{
    showEngineWarnings(*this, m_state.warnings);
    setAcceptDrops(true);
    installDropTargets(*this);
}

void TfrmMain::attachCompanions(TfrmThumbWin* browser, TfrmFloat* inspector)
{
    m_browser = browser;
    m_inspector = inspector;
    for (QWidget* tool : {static_cast<QWidget*>(m_browser), static_cast<QWidget*>(m_inspector)})
        if (tool)
            attachToolWindow(*tool, *this);
    if (m_inspector) {
        keepOnScreenWhenFramed(*m_inspector);
        wireInspector(*this, *m_inspector);
        // A hide for this start only must not stick: the next start shows the inspector again.
        m_inspector->setVisibleSource([this] {
            return action(TActionId::mniFrameInspector)->isChecked() || m_state.inspectorRestore == 1;
        });
        // Closing down closes every window too; that is not the user hiding the inspector, whose
        // state at the close is what the next start restores.
        connect(m_inspector, &TfrmFloat::closedByUser, this, [this] {
            if (!m_closingDown)
                action(TActionId::mniFrameInspector)->setChecked(false);
        });
        // A file named on the command line was opened before the inspector existed.
        if (m_session.documents().active() && m_session.currentFrame() >= 0)
            m_stripController->updatePanels(m_session.currentFrame());
    }
    if (m_browser) {
        connect(m_browser, &TfrmThumbWin::closedByUser, this, [this] {
            if (!m_closingDown)
                action(TActionId::ThumbView)->setChecked(false);
        });
        connect(m_browser, &TfrmThumbWin::explorerVisibilityChanged, this,
                [this](bool visible) { action(TActionId::mniExplorerTree)->setChecked(visible); });
        wireThumbBrowser(*this, *m_browser);
    }
}

void TfrmMain::connectCommands()
{
    m_commandHost = std::make_unique<TCommandHostAdapter>(*this);
    if (!m_commandDialogs)
        m_commandDialogs = makeProgramDialogs(*this);
    m_session.workingImage().onProgress = progressHandler();

    ICommandHost& host = *m_commandHost;
    auto on = [this](TActionId id, auto handler) {
        connect(action(id), &QAction::triggered, this, handler);
    };
    on(TActionId::FileNew, [&host] { newAnimation(host); });
    on(TActionId::EditCut, [&host] { cutFrames(host); });
    on(TActionId::EditCopy, [&host] { copyFrames(host); });
    on(TActionId::EditPaste, [&host] { pasteFrames(host); });
    on(TActionId::mniPasteComments, [&host] { pasteComments(host); });
    on(TActionId::FrameAdd, [&host] { addFramesFromFiles(host); });
    on(TActionId::FrameDelete, [&host] { deleteFrames(host); });
    on(TActionId::FrameMoveBegin, [&host] { moveFrameToBeginning(host); });
    on(TActionId::FrameMoveEnd, [&host] { moveFrameToEnd(host); });
    on(TActionId::FrameMoveUp, [&host] { moveFrameLeft(host); });
    on(TActionId::FrameMoveDown, [&host] { moveFrameRight(host); });
    on(TActionId::FrameGlobalChange, [&host] { globalFrameProperties(host); });
    on(TActionId::FrameSelectAll, [&host] { selectAllFrames(host); });
    on(TActionId::FrameTransColor, [&host] { frameTransparentColor(host); });
    on(TActionId::FrameReverse, [&host] { reverseFrames(host); });
    on(TActionId::AnimationResize, [&host] { resizeAnimation(host); });
    on(TActionId::AnimationInfo, [&host] { animationInformation(host); });
    on(TActionId::AnimationPalette, [&host] { globalPalette(host); });
    on(TActionId::AnimationOptimize, [&host] { optimizeAnimation(host); });
    on(TActionId::mniHTMLCode, [&host] { htmlCode(host); });
    connectImportExport(*this);
    on(TActionId::mniOptions, [this, &host] {
        const TOptionsChoice choice = programOptions(host);
        if (choice.modalResult == mrOk && choice.thumbnailSizeChanged && m_browser)
            m_hooks.scanThumbnailFolder(*this, m_browser->folder());
    });
    on(TActionId::mniAbout, [&host] { aboutBox(host); });
    on(TActionId::mniTips, [&host] { tipOfTheDay(host); });
    // The welcome page is the start-up hook's, so the menu and the start show the same one.
    on(TActionId::mniWelcome, [this] { m_hooks.showWelcomeDialog(*this); });
    on(TActionId::mniPluginInfo, [&host] { pluginInfo(host); });
    on(TActionId::mniSupport, [this] { supportOnline(m_session); });
    on(TActionId::HelpContents, [this] { helpContents(m_session, programDataFolder()); });
    on(TActionId::WindowCascade, [this] { cascadeWindows(*m_mdiArea); });
    on(TActionId::WindowTileHorizontal, [this] { tileWindowsHorizontally(*m_mdiArea); });
    on(TActionId::WindowTileVertical, [this] { tileWindowsVertically(*m_mdiArea); });
    on(TActionId::WindowMinimizeAll, [this] { minimizeAllWindows(*m_mdiArea); });
    on(TActionId::WindowArrangeAll, [this] { arrangeAllWindows(*m_mdiArea); });

    if (QMenu* tools = menu(QStringLiteral("mnuTools")))
        connect(tools, &QMenu::aboutToShow, this,
                [this, &host] { action(TActionId::mniHTMLCode)->setEnabled(htmlCodeEnabled(host)); });
    if (QMenu* window = menu(QStringLiteral("mnuWindow")))
        connect(window, &QMenu::aboutToShow, this, &TfrmMain::fillWindowList);
    // Selecting in the strip or the list changes what Reverse works on.
    connect(m_frameStrip, &TFrameStrip::cellSelected, this, &TfrmMain::updateReverseAction);
    connect(m_frameStrip, &TFrameStrip::rangeSelected, this, &TfrmMain::updateReverseAction);
}

void TfrmMain::fillWindowList()
{
    QMenu* window = menu(QStringLiteral("mnuWindow"));
    if (!window)
        return;
    for (QAction* entry : window->actions())
        if (entry->property("windowListEntry").toBool())
            delete entry;
    const QList<TDocument*> docs = m_session.documents().documents();
    if (docs.isEmpty())
        return;
    window->addSeparator()->setProperty("windowListEntry", true);
    TDocument* active = m_session.documents().active();
    for (int i = 0; i < docs.size(); ++i) {
        const QPointer<TDocument> doc = docs.at(i);
        const QString caption = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(doc->fileName())
                                      : QStringLiteral("%1 %2").arg(i + 1).arg(doc->fileName());
        QAction* entry = window->addAction(caption);
        entry->setProperty("windowListEntry", true);
        entry->setCheckable(true);
        entry->setChecked(doc == active);
        connect(entry, &QAction::triggered, this, [this, doc] {
            if (!doc || doc->isClosing())
                return;
            if (TMDIChild* view = viewOf(doc); view && view->isMinimized())
                view->showNormal();
            m_session.documents().activate(doc);
        });
    }
}
