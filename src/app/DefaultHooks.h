#pragma once
// The program's own start-up hooks: what TfrmMain's start and shut-down hand over to by default.
// Kept apart from StartupHooks.h, which the main window includes, because these call the main
// window.
#include "app/StartupHooks.h"

#include <QString>

class TfrmMain;

// Routes a file from the command line or the shell by its type: a GIF opens as a document, an
// unrecognised type gets the load error. Other pictures and AVI files go to the frame import
// and the AVI import, which hook in here when they exist.
void openByType(TfrmMain& main, const QString& path);

// The program's own hooks. A hook whose subsystem is not built in does nothing visible.
TStartupHooks defaultStartupHooks();
