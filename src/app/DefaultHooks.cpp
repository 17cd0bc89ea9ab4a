#include "app/DefaultHooks.h"

#include "app/AutomationWiring.h"
#include "app/Drops.h"
#include "app/ImportExportWiring.h"
#include "app/Main.h"
#include "app/Program.h"
#include "app/ThumbWiring.h"
#include "app/WizardWiring.h"
#include "editing/ColorUse.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "platform/MessageService.h"
#include "platform/VideoFile.h"

#include <QFileInfo>
#include <QObject>

TStartupHooks defaultStartupHooks()
{
    TStartupHooks hooks;
    hooks.closeAllDocuments = [](TfrmMain& main) {
        return main.session().documents().closeAll();
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
    hooks.applyPaletteSettings = [](TfrmMain& main, const TStartupState&) {
        applyPaletteSettings(main.session().workingImage());
    };
    hooks.quitHelp = [] {
    };
    return hooks;
}

TProgramOptions::TProgramOptions() : hooks(defaultStartupHooks())
{
}
