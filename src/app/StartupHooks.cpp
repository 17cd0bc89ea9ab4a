#include "app/StartupHooks.h"

#include <QObject>

TStartupHooks defaultStartupHooks()
{
    TStartupHooks hooks;
    hooks.closeAllDocuments = [](TfrmMain&) {
        return true;
    };
    hooks.openByType = [](TfrmMain&, const QString&) {
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
