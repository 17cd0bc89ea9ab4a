#include "app/WizardWiring.h"

#include "app/Childwin.h"
#include "app/CommandHost.h"
#include "app/FileCommands.h"
#include "app/Main.h"
#include "app/RecentFiles.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "wizards/Wizards.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include <algorithm>

namespace {

// The working image takes over another animation; its handlers stay the main window's.
void replaceWorkingImage(TEditSession& session, TGIFImage& source)
{
    TGIFImage& working = session.workingImage();
    const TProgressEvent progress = working.onProgress;
    const TGIFWarning warning = working.onWarning;
    working.clear();
    working.assign(&source);
    working.onProgress = progress;
    working.onWarning = warning;
}

// The strip shows the working image's frames again, the current frame kept where it still exists.
void resetDisplay(TEditSession& session, int frame)
{
    const int columns = session.workingImage().nonEmptyFrameCount();
    IEditView& view = session.view();
    view.clearFrameStrip();
    view.setFrameColumns(columns);
    if (columns > 0)
        view.selectFrame(std::clamp(frame, 0, columns - 1));
    view.repaintFrameStrip();
}

// A new document window for the animation, as the first document of a new animation is made.
void openAsNewDocument(TfrmMain& main, TGIFImage& image)
{
    TWaitCursor wait;
    // The active document is put away first, so the working image is free for the new one.
    TEditSession& session = main.session();
    TDocument* doc = session.documents().create();
    session.view().clearFrameStrip();
    replaceWorkingImage(session, image);
    doc->setModified(true);
    TGIFImage& working = session.workingImage();
    if (TMDIChild* view = main.viewOf(doc); view && working.width() != 0)
        view->resize(working.width() + 70, working.height() + 65);
    resetDisplay(session, 0);
}

// The optimised copy becomes the active document's animation, with one undo record.
bool replaceActiveAnimation(TfrmMain& main, TGIFImage& image)
{
    TEditSession& session = main.session();
    TDocument* doc = session.documents().active();
    if (!doc)
        return false;
    try {
        recordSnapshot(*doc, QStringLiteral("GIF Optimization"), 0);
    } catch (const std::exception& error) {
        // Without its undo record the change is not made.
        messageDlg(QString::fromLocal8Bit(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return false;
    }
    const int frame = session.currentFrame();
    replaceWorkingImage(session, image);
    doc->setModified(true);
    resetDisplay(session, frame);
    return true;
}

TWizardSetup setupFor(TfrmMain& main, TWizardMode mode)
{
    TWizardSetup setup;
    setup.mode = mode;
    setup.initialDir = main.state().initialDir;
    if (QMenu* recent = main.recentFiles().menu()) {
        for (QAction* entry : recent->actions())
            setup.recentCaptions.append(entry->text());
        setup.recentVisible = recent->menuAction()->isVisible();
    }
    return setup;
}

// Applies an animation wizard that finished: the new animation opens as a document.
bool applyAnimation(TfrmMain& main, TWizardResult& result)
{
    main.state().initialDir = result.initialDir;
    if (result.modalResult != mrOk || !result.image)
        return false;
    openAsNewDocument(main, *result.image);
    return true;
}

int runOptimizationWizard(TfrmMain& main, TOptimizeOffer offer)
{
    if (!main.session().documents().active())
        return mrCancel;
    TWizardSetup setup = setupFor(main, TWizardMode::Optimization);
    setup.animation = &main.session().workingImage();
    setup.offer = offer;
    TWizardResult result = runWizard(main.session(), std::move(setup), &main);
    if (result.modalResult != mrOk || !result.image)
        return mrCancel;
    if (result.finish == TOptimizeFinish::Replace)
        return replaceActiveAnimation(main, *result.image) ? mrOk : mrCancel;
    openAsNewDocument(main, *result.image);
    return mrOk;
}

} // namespace

int runOptimizationWizardFor(TfrmMain& main)
{
    return runOptimizationWizard(main, TOptimizeOffer::Both);
}

int runAnimationWizardFor(TfrmMain& main)
{
    TWizardResult result = runWizard(main.session(), setupFor(main, TWizardMode::Animation), &main);
    return applyAnimation(main, result) ? mrOk : mrCancel;
}

TWelcomeChoice runWelcomeFor(TfrmMain& main)
{
    TWizardResult result = runWizard(main.session(), setupFor(main, TWizardMode::Welcome), &main);
    TWelcomeChoice choice;
    if (result.mode == TWizardMode::Animation) {
        // "New" turned the page into the animation wizard, which has done its work.
        if (applyAnimation(main, result))
            main.enableDocumentCommands(true);
        return choice;
    }
    choice.modalResult = result.modalResult;
    choice.choice = result.welcomeChoice;
    choice.file = result.reopenFile;
    return choice;
}

int runTipsFor(TfrmMain& main)
{
    return runWizard(main.session(), setupFor(main, TWizardMode::Tips), &main).modalResult;
}

void showWelcomePage(TfrmMain& main)
{
    welcomeDialog(main.commandHost());
}

void addOptimizeButton(TfrmMain& main, TFileDialogRequest& request, bool saveAs)
{
    request.extraButtonCaption = QStringLiteral("Optimi&ze");
    const QPointer<TfrmMain> guard(&main);
    request.onExtraButton = [guard, saveAs] {
        if (!guard || !guard->session().documents().active())
            return false;
        TEditSession& session = guard->session();
        {
            TWaitCursor wait;
            normalizeForWriting(session.workingImage(), TNormalizeMode::WorkingCopy);
        }
        const int answer =
            runOptimizationWizard(*guard, saveAs ? TOptimizeOffer::NewOnly : TOptimizeOffer::ReplaceOnly);
        if (answer != mrOk)
            return false;
        // The tab of the document the wizard left active: the new one, or the one replaced. (Any
        // other tab would put another animation into the working image while it is being saved.)
        if (TDocument* doc = session.documents().active())
            session.documents().activate(doc);
        session.view().repaintFrameStrip();
        session.view().selectFrame(session.currentFrame());
        return true;
    };
}
