#pragma once
// The wizard dialog inside the main window: the command dialogs that open it, the welcome page
// of the start-up and the Help menu, and the save dialog's "Optimi&ze" button. The wizard hands
// back plain values; these functions apply them to the documents. GUI thread only.
#include <memory>

class ICommandDialogs;
class TfrmMain;
struct TFileDialogRequest;

struct TWelcomeChoice;

// The wizard's four entries of the main window's command dialogs.
int runOptimizationWizardFor(TfrmMain& main);
int runAnimationWizardFor(TfrmMain& main);
TWelcomeChoice runWelcomeFor(TfrmMain& main);
int runTipsFor(TfrmMain& main);
// The welcome page, as the deferred start-up and "&Welcome Dialog..." show it.
void showWelcomePage(TfrmMain& main);
// Gives the save dialog its "Optimi&ze" button: Save replaces, Save As makes a new animation.
void addOptimizeButton(TfrmMain& main, TFileDialogRequest& request, bool saveAs);
