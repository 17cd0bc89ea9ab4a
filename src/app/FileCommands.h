#pragma once
// The File, Window, Tools and Help commands that need more than a signal connection: Open, New,
// the export list, help contents, support online, the window arrangements and the entries that
// hand over to dialogs of other units (welcome, tips, options, about, HTML code, plug-in info).
// GUI thread only.
#include <QString>
#include <QStringList>

class ICommandHost;
class TEditSession;
class QMdiArea;
struct TOptionsChoice;

// The preview open dialog with multiple selection in the host's initial folder; the chosen
// files, empty when cancelled.
QStringList askFilesToOpen(ICommandHost& host, const QString& title, const char* filter);
// FileOpen: the chosen GIF files open as documents in the order given.
void openFiles(ICommandHost& host);
// FileNew: the animation wizard; OK switches the document commands on.
void newAnimation(ICommandHost& host);

// "&Single Images...": one entry per strip column, "Frame - 0", "Frame - 1", ...
QStringList singleImageEntries(const ICommandHost& host);
void exportSingleImages(ICommandHost& host);

// "HTML &Code...": only with a document and no playback running.
void htmlCode(ICommandHost& host);
bool htmlCodeEnabled(ICommandHost& host);
// "Program &Options..." and "&About GIF Reelwright...": the dialog's answer, for the main window
// to rebuild favourites or refresh the image browser.
TOptionsChoice programOptions(ICommandHost& host);
void aboutBox(ICommandHost& host);
void tipOfTheDay(ICommandHost& host);
// "&Welcome Dialog...": choice 1 runs Open, choice 2 opens the chosen file.
void welcomeDialog(ICommandHost& host);
void pluginInfo(ICommandHost& host);

// HelpContents: the help pages' contents in the default browser.
bool helpContents(const TEditSession& session, const QString& programFolder);
// "&Support Online": the maker's help page.
bool supportOnline(const TEditSession& session);
inline constexpr const char* kSupportSite = "https://www.brightwell-software.example/";

// The arrangements of the Window menu; nothing happens without documents.
void cascadeWindows(QMdiArea& area);
void tileWindowsHorizontally(QMdiArea& area);
void tileWindowsVertically(QMdiArea& area);
void minimizeAllWindows(QMdiArea& area);
void arrangeAllWindows(QMdiArea& area);

inline constexpr const char* kGIFFilesFilter = "GIF Images (*.gif)|*.gif";
