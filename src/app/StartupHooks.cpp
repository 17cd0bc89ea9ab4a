#include "app/StartupHooks.h"

#include "app/ImportExportWiring.h"
#include "app/AutomationWiring.h"
#include "app/Main.h"
#include "app/ThumbWiring.h"
#include "app/WizardWiring.h"
#include "editing/Routines.h"
#include "platform/MessageService.h"
#include "platform/VideoFile.h"

#include <QFileInfo>
#include <QObject>

void openByType(TfrmMain& main, const QString& path)
{
    const int type = recognizeFileType(path);
    if (type == kFileTypeGif) {
        main.openDocument(path);
    } else if (type == kFileTypeAvi || isVideoFileName(path)) {
        importAVIFile(main, path);
    } else if (type == kFileTypeUnknown) {
        messageDlg(
            QStringLiteral("Error loading %1! GIF Reelwright does not support the file type or it is a "
                           "corrupted file.")
                .arg(QFileInfo(path).fileName()),
            TMsgType::Warning, TMsgButtons::Ok);
    }
}

TStartupHooks defaultStartupHooks()
{
    TStartupHooks hooks;
    hooks.closeAllDocuments = [](TfrmMain& main) {
        return main.closeAllDocuments();
    };
    hooks.openByType = [](TfrmMain& main, const QString& path) {
        openByType(main, path);
    };
    hooks.createAutomationApplication = automationApplicationHook(TAutomationStartMode::StandAlone, std::nullopt);
    hooks.scanThumbnailFolder = [](TfrmMain& main, const QString& folder) {
        scanThumbnailFolder(main, folder);
    };
    hooks.scanPlugins = [](TfrmMain& main) {
        loadPlugIns(main);
    };
    hooks.showWelcomeDialog = [](TfrmMain& main) {
        showWelcomePage(main);
    };
    hooks.applyPaletteSettings = [](TfrmMain&, const TStartupState&) {
        applyPaletteSettings(*workingImage());
    };
    hooks.quitHelp = [] {
    };
    return hooks;
}
