#include "app/AutomationWiring.h"

#include "app/Childwin.h"
#include "app/CommandHost.h"
#include "app/DocumentTabs.h"
#include "app/FrameCommands.h"
#include "app/ImportExportWiring.h"
#include "app/Main.h"
#include "app/Program.h"
#include "automation/AutomationRegistration.h"
#include "automation/AutomationSession.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "graphics/Bitmap.h"
#include "wizards/ThumbViewer.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include <cstdio>

namespace {

// The automation objects' view of the main window and its documents.
class TMainAutomationHost : public IAutomationHost
{
public:
    explicit TMainAutomationHost(TfrmMain& main) : m_main(main) {}

    bool hasActiveDocument() const override { return documents().active() != nullptr; }
    QList<TTab> tabs() const override
    {
        QList<TTab> result;
        TDocumentTabs* strip = m_main.documentTabs();
        for (int i = 0; strip && i < strip->count(); ++i) {
            const TDocument* doc = strip->document(i);
            if (doc)
                result.append({QFileInfo(doc->fileName()).fileName(), doc->fileName(), doc->isModified()});
            else
                result.append({strip->tabText(i), QString(), false});
        }
        return result;
    }
    int currentTab() const override
    {
        return m_main.documentTabs() ? m_main.documentTabs()->currentIndex() : -1;
    }
    void selectTab(int index) override { m_main.documentTabs()->setCurrentIndex(index); }
    void bringTabToFront(int index) override
    {
        if (TDocument* doc = m_main.documentTabs()->document(index))
            documents().activate(doc);
    }
    bool openDocument(const QString& fileName) override { return documents().open(fileName); }
    void newDocument() override { m_main.action(TActionId::FileNew)->trigger(); }
    void nextDocument() override { documents().activateNext(); }
    void previousDocument() override { documents().activatePrevious(); }
    bool closeAllDocuments() override { return documents().closeAll(); }
    bool saveAllDocuments() override
    {
        documents().saveAll();
        return !documents().anyModified();
    }
    bool anyDocumentModified() const override { return documents().anyModified(); }
    IUndoHost* activeUndoHost() override { return documents().active(); }
    std::unique_ptr<TBitmap> framePicture(TGIFSubImage& frame) override
    {
        return m_main.session().framePicture(frame);
    }
    TDocument* tabDocument(int index) override
    {
        TDocumentTabs* strip = m_main.documentTabs();
        return strip && index >= 0 && index < strip->count() ? strip->document(index) : nullptr;
    }
    TDocument* activeDocument() override { return documents().active(); }
    void makeDocumentActive(TDocument& doc) override { documents().activate(&doc); }

    int currentFrame() const override { return m_main.session().currentFrame(); }
    bool selectFrame(int index) override { return m_main.session().view().selectFrame(index); }
    bool closeActiveDocument() override
    {
        // As "&Close": the question, then the next document takes the working image.
        TDocument* doc = documents().active();
        if (!doc || !documents().close(doc))
            return false;
        documents().activateAfterClose();
        return true;
    }
    bool saveActiveDocument(bool force) override
    {
        const QPointer<TDocument> doc = documents().active();
        if (!doc)
            return false;
        const bool saved = documents().save(doc, force);
        return saved && doc && !doc->isModified() && QFileInfo::exists(doc->fileName());
    }
    void playAnimation() override { m_main.action(TActionId::AnimationPlay)->trigger(); }
    void pauseAnimation() override { m_main.action(TActionId::AnimationPause)->trigger(); }
    int addFrame(TBitmap& picture) override
    {
        return addPictureAsFrame(m_main.session(), picture, insertionPosition(m_main.commandHost()),
                                 QStringLiteral("Add Frame"));
    }
    int addFrameNoPrompts(TBitmap& picture, int delay) override
    {
        return insertBitmapAtCurrentFrame(m_main.session(), picture, delay);
    }
    bool deleteFrame(int index) override { return deleteFrameAt(m_main.commandHost(), index); }
    bool exportToAVI() override { return exportAVICommandOrThrow(m_main); }
    bool importFromAVI(const QString& fileName) override { return importAVIFileOrThrow(m_main, fileName); }

    void cascade() override { m_main.action(TActionId::WindowCascade)->trigger(); }
    void tileHorizontal() override { m_main.action(TActionId::WindowTileHorizontal)->trigger(); }
    void tileVertical() override { m_main.action(TActionId::WindowTileVertical)->trigger(); }

    QWidget& mainWindow() override { return m_main; }
    QMenuBar* mainMenu() override { return m_main.menuBar(); }
    void closeMainWindow() override { m_main.close(); }
    void showProgress() override
    {
        m_main.progressBar()->show();
        m_main.statusBar()->repaint();
    }
    void hideProgress() override
    {
        m_main.progressBar()->hide();
        m_main.progressBar()->setValue(0);
    }
    void setProgress(int position) override
    {
        m_main.progressBar()->setValue(position);
        m_main.statusBar()->repaint();
    }
    void setStatusText(const QString& text) override
    {
        // Automation text is shown as it is, never as markup.
        m_main.statusPanel(2)->setTextFormat(Qt::PlainText);
        m_main.statusPanel(2)->setText(text);
        m_main.statusBar()->repaint();
    }

    bool thumbnailsShowing() const override { return browser() && browser()->isVisible(); }
    void setThumbnailsShowing(bool showing) override
    {
        QAction* view = m_main.action(TActionId::ThumbView);
        if (view->isChecked() != showing)
            view->trigger();
    }
    bool explorerShowing() const override { return browser() && browser()->explorerVisible(); }
    void setExplorerShowing(bool showing) override
    {
        if (browser())
            browser()->setExplorerVisible(showing);
    }
    void toggleExplorer() override
    {
        if (auto* button =
                browser() ? browser()->findChild<QToolButton*>(QStringLiteral("btnTVClose")) : nullptr)
            button->click();
    }
    QString thumbnailFolder() const override { return browser() ? browser()->folder() : QString(); }
    void setThumbnailFolder(const QString& folder) override
    {
        if (browser())
            browser()->setFolder(folder);
    }
    void loadThumbnails(const QString& folder) override { setThumbnailFolder(folder); }
    QString selectedThumbnail() const override
    {
        const auto* grid = browser() ? browser()->findChild<QListWidget*>() : nullptr;
        const QListWidgetItem* item = grid ? grid->currentItem() : nullptr;
        return item ? item->data(Qt::UserRole).toString() : QString();
    }

private:
    TfrmThumbWin* browser() const { return m_main.browser(); }
    TDocumentManager& documents() const { return m_main.session().documents(); }

    TfrmMain& m_main;
};

} // namespace

std::optional<int> runRegistrationSwitches(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const TAutomationStartMode mode = automationStartMode(arguments);
    if (mode != TAutomationStartMode::Register && mode != TAutomationStartMode::Unregister)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    QString error;
    const bool done = mode == TAutomationStartMode::Register
                          ? writeRegistration(QCoreApplication::applicationFilePath(), &error)
                          : removeRegistration(&error);
    if (!done) {
        std::fprintf(stderr, "reelwright: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

void prepareAutomation(TProgramOptions& options)
{
    const TAutomationStartMode mode = automationStartMode(options.arguments);
    QString error;
    if (!writeRegistration(QCoreApplication::applicationFilePath(), &error))
        std::fprintf(stderr, "reelwright: the automation registration was not refreshed: %s\n",
                     qPrintable(error));
    options.arguments = withoutAutomationSwitches(options.arguments);
    options.hooks.createAutomationApplication =
        automationApplicationHook(mode, QDBusConnection::sessionBus());
}

void loadPlugIns(TfrmMain& main, const QStringList& folders)
{
    auto* session = qobject_cast<TAutomationSession*>(main.automationApplication());
    if (!session)
        return;
    TAddInManager::TContext context;
    context.mainWindow = &main;
    context.plugInsMenu = main.findChild<QMenu*>(QStringLiteral("mnuPlugins"));
    context.plugInInfo = main.action(TActionId::mniPluginInfo);
    context.updateDocumentDependentItems = [&main] { main.refreshPluginMenus(); };
    session->loadPlugIns(context, folders);
}

void loadPlugIns(TfrmMain& main)
{
    loadPlugIns(main, plugInFolders());
}

std::function<std::shared_ptr<QObject>(TfrmMain&)>
automationApplicationHook(TAutomationStartMode mode, std::optional<QDBusConnection> connection)
{
    return [mode, connection](TfrmMain& main) -> std::shared_ptr<QObject> {
        auto session = std::make_shared<TAutomationSession>(std::make_unique<TMainAutomationHost>(main), mode,
                                                            connection);
        session->setObjectName(QStringLiteral("GIFApplication"));
        return session;
    };
}
