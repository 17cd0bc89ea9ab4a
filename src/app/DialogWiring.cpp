// The palette dialog, the prompt pages and the options dialog installed for the main window, its
// commands and the image routines. Thin: each answer is built from the form's results; the
// callers (AnimationCommands, FrameCommands, FramePanels, the routines) record and apply.
#include "app/DialogWiring.h"
#include "app/WizardWiring.h"

#include "app/Main.h"
#include "app/RecentFiles.h"
#include "app/Warnings.h"
#include "automation/AutomationSession.h"
#include "automation/PlugInExplorerfrm.h"
#include "editing/ColorUse.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/GIFFiles.h"
#include "editing/LoopExtension.h"
#include "editing/Options.h"
#include "editing/Palette.h"
#include "editing/Prompts.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"

#include <QApplication>

namespace {

TTransparentColorChoice transparentColorFor(TfrmMain& main, int frameIndex)
{
    QWidget* parent = &main;
    TfrmPalette dialog(main.session().workingImage(), TPaletteMode::TransparentColor, frameIndex, parent);
    TTransparentColorChoice choice;
    choice.frameIndex = frameIndex;
    // A picked colour that is not in the frame's map names no index: nothing to apply.
    if (execDialog(dialog) && dialog.selectionInMap()) {
        choice.modalResult = mrOk;
        choice.colorIndex = dialog.selectedIndex();
    }
    return choice;
}

TOptionsValues valuesInUse(TfrmMain& main)
{
    const TStartupState& state = main.state();
    TOptionsValues values;
    values.toolbarsFlat = !state.normalStyle;
    values.syncOpenDialog = state.syncOpenDialog;
    values.noOpenDlgPreview = state.noOpenDlgPreview;
    values.frameTransparentColor = state.frameTransparentColor;
    values.defaultDelay = state.defaultDelay;
    values.defaultNSLoop = state.defaultNSLoop;
    values.thumbnailSize = state.thumbnailSize;
    values.filterType = state.filterType;
    values.favorites = main.favorites().folders();
    return values;
}

void applyOptions(TfrmMain& main, const TfrmOptions& dialog)
{
    TStartupState& state = main.state();
    const TOptionsValues& values = dialog.values();
    if (dialog.mode() == TOptionsMode::ProgramOptions) {
        state.syncOpenDialog = values.syncOpenDialog;
        state.noOpenDlgPreview = values.noOpenDlgPreview;
        state.frameTransparentColor = values.frameTransparentColor;
        state.defaultDelay = values.defaultDelay;
        state.defaultNSLoop = values.defaultNSLoop;
        state.filterType = values.filterType;
        state.thumbnailSize = values.thumbnailSize;
        if (dialog.outcome().toolbarStyleChanged) {
            state.normalStyle = !values.toolbarsFlat;
            main.setToolbarsFlat(values.toolbarsFlat);
        }
        applyPaletteSettings(main.session().workingImage());
    }
    if (dialog.outcome().favoritesEdited)
        main.favorites().setFolders(values.favorites);
}

TOptionsChoice runOptions(TfrmMain& main, TOptionsMode mode)
{
    TfrmOptions dialog(mode, valuesInUse(main), &main);
    QObject::connect(&dialog, &TfrmOptions::linkRequested, &dialog,
                     [&main](const QString& address) { main.session().openDocumentOrLink(address); });
    dialog.onWarningsToggled = [&main](bool on) { showEngineWarnings(main, on); };
    TOptionsChoice choice;
    if (!execDialog(dialog))
        return choice;
    applyOptions(main, dialog);
    choice.modalResult = mrOk;
    choice.favoritesEdited = dialog.outcome().favoritesEdited;
    choice.thumbnailSizeChanged = dialog.outcome().thumbnailSizeChanged;
    return choice;
}

class TProgramDialogs : public ICommandDialogs
{
public:
    explicit TProgramDialogs(TfrmMain& main) : m_main(main) {}

    int optimizationWizard() override { return runOptimizationWizardFor(m_main); }
    int animationWizard() override { return runAnimationWizardFor(m_main); }
    TWelcomeChoice welcome() override { return runWelcomeFor(m_main); }
    int tips() override { return runTipsFor(m_main); }
    TTransparentColorChoice transparentColor(int frameIndex) override
    {
        return transparentColorFor(m_main, frameIndex);
    }

    TGlobalPaletteChoice globalPalette() override
    {
        TfrmPalette dialog(m_main.session().workingImage(), TPaletteMode::GlobalPalette, m_main.session().currentFrame(),
                           &m_main);
        TGlobalPaletteChoice choice;
        if (execDialog(dialog)) {
            choice.modalResult = mrOk;
            choice.changed = dialog.chosen();
            choice.colors = dialog.colors();
        }
        return choice;
    }

    TGlobalChangeChoice globalChange(const TGlobalChangeRequest& request) override
    {
        TfrmPrompts dialog(TPromptPage::GlobalChange, &m_main);
        dialog.setGlobalChange(request.transparentCaption, request.interlacedCaption,
                               request.localPaletteCaption, &m_main.session().workingImage(),
                               m_main.session().currentFrame());
        TGlobalChangeChoice choice;
        if (!execDialog(dialog))
            return choice;
        const TGlobalChangeAnswer answer = dialog.globalChangeAnswer();
        choice.modalResult = mrOk;
        choice.somethingToApply = answer.somethingToApply;
        choice.delayText = answer.delayText;
        choice.transparent = {answer.transparent, answer.transparent};
        choice.transparentColor = answer.transparentColor;
        choice.interlaced = {answer.interlaced, answer.interlaced};
        choice.localPalette = {answer.localPalette, answer.localPalette};
        choice.disposal = answer.disposal;
        return choice;
    }

    TResizeChoice resize(int width, int height) override
    {
        TfrmPrompts dialog(TPromptPage::Resize, &m_main);
        dialog.setCurrentSize(width, height);
        TResizeChoice choice;
        if (execDialog(dialog))
            choice = {mrOk, dialog.newWidth(), dialog.newHeight()};
        return choice;
    }

    TInformationChoice information() override
    {
        TGIFImage& image = m_main.session().workingImage();
        TfrmPrompts dialog(TPromptPage::Information, &m_main);
        dialog.setInformation(image.nonEmptyFrameCount(), gifByteSize(image), totalRunningTime(image),
                              getUserLoopCount(image));
        TInformationChoice choice;
        if (execDialog(dialog))
            choice = {mrOk, dialog.playForever(), dialog.playCount()};
        return choice;
    }

    TOptionsChoice options(bool about) override
    {
        return runOptions(m_main, about ? TOptionsMode::About : TOptionsMode::ProgramOptions);
    }

    int htmlCode(const QString& fileName) override
    {
        TGIFImage& image = m_main.session().workingImage();
        TfrmPrompts dialog(TPromptPage::HtmlCode, &m_main);
        dialog.setHtmlSource(fileName, image.width(), image.height());
        return execDialog(dialog) ? mrOk : mrCancel;
    }

    int pluginExplorer() override
    {
        const auto* session = qobject_cast<const TAutomationSession*>(m_main.automationApplication());
        TfrmPlugInExplorer dialog(session ? session->addIns().records() : QList<TAddInRecord>(), &m_main);
        return execDialog(dialog) ? mrOk : mrCancel;
    }

private:
    TfrmMain& m_main;
};

} // namespace

std::unique_ptr<ICommandDialogs> makeProgramDialogs(TfrmMain& main)
{
    return std::make_unique<TProgramDialogs>(main);
}

std::unique_ptr<IEditPrompts> makeRoutinesPrompts(TfrmMain& main)
{
    return std::make_unique<TDialogPrompts>(&main);
}

TPaletteChoice chooseAnimationTransparentColor(TEditSession& session, int frameIndex, int colorIndex, TColor color)
{
    TfrmPalette dialog(session.workingImage(), TPaletteMode::TransparentColor, frameIndex,
                       QApplication::activeWindow());
    dialog.presetSelection(colorIndex, color);
    TPaletteChoice choice;
    if (execDialog(dialog) && dialog.selectionInMap()) {
        choice.accepted = true;
        choice.colorIndex = dialog.selectedIndex();
        choice.color = dialog.selectedColor();
    }
    return choice;
}

TOptionsChoice organizeFavorites(TfrmMain& main)
{
    return runOptions(main, TOptionsMode::Favorites);
}
