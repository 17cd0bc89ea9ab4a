#pragma once
// Everything that arrives by drag and drop, and the routing of a file to its import path by its
// type: files from the file manager (on the main window, the workspace, the start-up logo and
// the document windows), thumbnails of the image browser, frames and views dragged from one
// document onto another. The frame strip takes its own drops; a thumbnail dropped there comes
// to routeThumbnail().
//
// GUI thread only. Drops are accepted at once and worked through from the event loop, so that
// no message box is shown while the file manager still waits for the drop to end.
#include <QString>
#include <QStringList>

class QMimeData;
class QObject;
class TMDIChild;
class TfrmMain;

// Makes the main window, its workspace, the logo and every document window (now and later)
// drop targets.
void installDropTargets(TfrmMain& main);

// A file named on the command line or dropped from the file manager: a GIF opens as a document,
// other pictures become a frame (insertImageFile), an AVI file or another movie is imported as
// a new document, anything else gets the load error with the file name alone.
void openByType(TfrmMain& main, const QString& path);
// Dropped files, each in turn; one that cannot be opened does not stop the others.
void openDroppedFiles(TfrmMain& main, const QStringList& paths);
// The local files a drop from the file manager carries, full paths in the order given.
QStringList droppedFiles(const QMimeData& data);

// A picture file as frame 0 of the animation (appended to an animation of fewer than two
// frames; the first frame of a new untitled document when none is open). While a thumbnail is
// dropped on the empty workspace, the picture starts a new untitled document instead. Returns
// the new frame's index or -1.
int insertImageFile(TfrmMain& main, const QString& path, int type);
// A thumbnail dropped on the workspace, the logo or the strip: a picture goes to
// insertImageFile; without an active document a GIF opens as a document.
void routeThumbnail(TfrmMain& main, const QString& path);
// The current frame of the active document added to target (made active first) after its
// current frame, as "Drag and Drop Image". False when there was nothing to copy.
bool copyCurrentFrameInto(TfrmMain& main, TMDIChild* target);
