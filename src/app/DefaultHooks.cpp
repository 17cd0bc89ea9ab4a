#include "app/DefaultHooks.h"
#include "editing/UserTexts.h"

#include "app/Main.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/Routines.h"
#include "platform/MessageService.h"

#include <QFileInfo>
#include <QObject>

void openByType(TfrmMain& main, const QString& path)
{
    const int type = recognizeFileType(path);
    if (type == kFileTypeGif) {
        main.session().documents().open(path);
    } else if (type == kFileTypeUnknown) {
        messageDlg(
            QString::fromUtf8(UserTexts::kLoadError)
                .arg(QFileInfo(path).fileName()),
            TMsgType::Warning, TMsgButtons::Ok);
    }
}

TStartupHooks defaultStartupHooks()
{
    TStartupHooks hooks;
    hooks.closeAllDocuments = [](TfrmMain& main) {
        return main.session().documents().closeAll();
    };
    hooks.openByType = [](TfrmMain& main, const QString& path) {
        openByType(main, path);
    };
    hooks.createAutomationApplication = [](TfrmMain&) {
        auto application = std::make_shared<QObject>();
        application->setObjectName(QStringLiteral("GIFApplication"));
        return application;
    };
    hooks.scanThumbnailFolder = [](TfrmMain&, const QString&) {
    };
    hooks.scanPlugins = [](TfrmMain&) {
    };
    hooks.showWelcomeDialog = [](TfrmMain&) {
    };
    hooks.applyPaletteSettings = [](TfrmMain&, const TStartupState&) {
    };
    hooks.quitHelp = [] {
    };
    return hooks;
}
