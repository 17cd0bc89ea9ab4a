#pragma once
// The automation server's hand-over points in the program: the registration switches handled
// before any window exists, the start mode and the application-object hook for the main window.
#include "automation/ComServer.h"

#include <QDBusConnection>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QObject;
class TfrmMain;
struct TProgramOptions;

// REGSERVER and UNREGSERVER: registers or unregisters and answers the exit code, before any
// window system is touched; nothing for the other starts. Creates its own core application.
std::optional<int> runRegistrationSwitches(int argc, char** argv);

// For the command line's handler: refreshes the registration (a failure is reported on stderr
// and the start goes on), takes the switches out of the arguments and installs the hook that
// publishes the server on the session bus in the selected start mode.
void prepareAutomation(TProgramOptions& options);

// Loads the plug-ins of the folders (by default the user's and the system's plug-in folders) with
// the program's own application object; nothing without one.
void loadPlugIns(TfrmMain& main, const QStringList& folders);
void loadPlugIns(TfrmMain& main);

// The hook that makes the program's own application object at the end of main-window creation.
// With a connection the server is published there; without one the objects stay in-process.
std::function<std::shared_ptr<QObject>(TfrmMain&)>
automationApplicationHook(TAutomationStartMode mode, std::optional<QDBusConnection> connection);
