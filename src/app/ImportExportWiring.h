#pragma once
// Hands the import and export commands of the File menu (AVI movies, single images, the HTML
// page) the main window they work with. The commands themselves live in wizards/.
#include <QString>

class TfrmMain;

// Connects "&AVI Animation", "&Single Images...", "As &AVI Animation..." and "As &HTML Page...".
void connectImportExport(TfrmMain& main);
// Opens an AVI file named on the command line or dropped on the window as a new document.
void importAVIFile(TfrmMain& main, const QString& path);
// The automation members ImportFromAVI and ExportToAVI: as the commands after the file dialog,
// raising EAVIError (wizards/AVI.h) with the message instead of showing it.
bool importAVIFileOrThrow(TfrmMain& main, const QString& path);
bool exportAVIFileOrThrow(TfrmMain& main, const QString& path);
// ExportToAVI: the export command with its save dialog; true when a file was written, false when
// cancelled; the export's error is raised.
bool exportAVICommandOrThrow(TfrmMain& main);
