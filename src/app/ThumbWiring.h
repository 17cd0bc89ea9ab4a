#pragma once
// The image browser's place in the program: its host (status bar, progress, settings, inserting
// and opening pictures, favourites, properties page), the thumbnail actions of the main window,
// and the scan hook start-up, options and automation use.
#include <QString>

class TfrmMain;
class TfrmThumbWin;

void wireThumbBrowser(TfrmMain& main, TfrmThumbWin& browser);
// Loads the folder's thumbnails into the browser, if there is one.
void scanThumbnailFolder(TfrmMain& main, const QString& folder);
// "&Insert Thumbnail" and thumbnails dropped on a document: the picture as a frame after the
// current frame ("Add Frame"); the new index or -1.
int insertThumbnailFile(TfrmMain& main, const QString& path);
// "&Open in Reelwright".
void openThumbnailFile(TfrmMain& main, const QString& path);
