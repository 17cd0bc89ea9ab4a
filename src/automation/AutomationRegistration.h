#pragma once
// Start switches and registration of the automation server.
//
// Switches: "AUTOMATION" or "EMBEDDING" (started by the bus for a client), "REGSERVER",
// "UNREGSERVER"; any case, after "/" or "-". Registration is the bus's activation file
// $XDG_DATA_HOME/dbus-1/services/Reelwright.GIFApplication.service, which starts the program with
// -AUTOMATION, and the type library: one introspection file per interface in
// $XDG_DATA_HOME/dbus-1/interfaces/. Every start except UNREGSERVER rewrites them (so the files
// follow the program when it moves); UNREGSERVER removes them.
#include "automation/ComServer.h"

#include <QString>
#include <QStringList>

// Whether an argument is one of the four switches.
bool isAutomationSwitch(const QString& argument);
// The start mode the arguments (after the program name) select; REGSERVER wins over
// UNREGSERVER, both over AUTOMATION/EMBEDDING.
TAutomationStartMode automationStartMode(const QStringList& arguments);
// The arguments without the switches, for the rest of the command line's handling.
QStringList withoutAutomationSwitches(const QStringList& arguments);

QString registrationServiceFile();
// Every file registration writes: the service file, then the interface files.
QStringList registrationFiles();
// The text of the activation file for a program.
QString serviceFileText(const QString& programPath);

// Writes the activation file and the type library; false with the reason in error when a file
// cannot be written (each file is replaced whole or not at all).
bool writeRegistration(const QString& programPath, QString* error = nullptr);
// Removes every registration file; false with the reason when one stays.
bool removeRegistration(QString* error = nullptr);
