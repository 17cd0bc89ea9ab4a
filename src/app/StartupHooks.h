#pragma once
// The points where start-up and shut-down hand over to parts of the program that live elsewhere:
// documents, file routing, the automation server, the image browser's scan, plug-ins, the welcome
// dialog, help. The main window calls only these; each part installs its own function in
// defaultStartupHooks() (DefaultHooks.h), and tests replace them.
#include "app/StartupState.h"

#include <QString>

#include <functional>
#include <memory>

class QObject;
class TfrmMain;

struct TStartupHooks
{
    // Asks every open document to close; false cancels the shut-down.
    std::function<bool(TfrmMain&)> closeAllDocuments;
    // Opens a file named on the command line by its type.
    std::function<void(TfrmMain&, const QString&)> openByType;
    // Creates the automation application object; may throw.
    std::function<std::shared_ptr<QObject>(TfrmMain&)> createAutomationApplication;
    // Scans a folder into the image browser's thumbnails.
    std::function<void(TfrmMain&, const QString&)> scanThumbnailFolder;
    // Finds and loads the plug-ins (only called with an automation object).
    std::function<void(TfrmMain&)> scanPlugins;
    // Opens the welcome page of the wizard dialog.
    std::function<void(TfrmMain&)> showWelcomeDialog;
    // Applies the palette settings to the working image.
    std::function<void(TfrmMain&, const TStartupState&)> applyPaletteSettings;
    // Tells the help viewer to quit.
    std::function<void()> quitHelp;
};

// Routes a file from the command line or the shell by its type (Drops.h).
void openByType(TfrmMain& main, const QString& path);

// The program's own hooks. Parts not yet in place do nothing visible.
TStartupHooks defaultStartupHooks();
