#pragma once
// What the undo commands and the document-level undo operations need of the rest of the program,
// kept narrow so the editing code does not include the main window or the document classes.
// The main window and the documents implement these; tests provide fakes. UI thread only.
#include "editing/UndoHistory.h"
#include "graphics/Colors.h"
#include "graphics/Graphic.h"

#include <QString>

#include <cstdint>

class TGIFImage;
class THistoryList;

// The working image and the frame strip that mirrors its frames: all the commands touch.
class IUndoContext
{
public:
    virtual ~IUndoContext() = default;

    // The one image holding the active document's animation.
    virtual TGIFImage& workingImage() = 0;
    // Where snapshot writes and reads of frame commands report progress (the main window's
    // progress display); an empty handler reports nowhere.
    virtual TProgressEvent snapshotProgress() = 0;
    // The frame strip gained (+1) or lost (-1) a column.
    virtual void frameColumnsChanged(int delta) = 0;
    // The main window's current frame.
    virtual int currentFrame() const = 0;
    // Makes index the current frame and selects it in the frame strip.
    virtual void selectFrame(int index) = 0;
};

// The active document as seen by Record undo, Refresh undo state and Undo.
class IUndoHost : public IUndoContext
{
public:
    // The document's history, or nullptr while it has none.
    virtual THistoryList* history() = 0;
    // The history, created (with the capacity the document uses) when missing.
    virtual THistoryList& ensureHistory() = 0;
    virtual void setUndoPosition(int value) = 0;

    virtual QString fileName() const = 0;
    virtual bool isUntitled() const = 0;
    virtual void setModified(bool value) = 0;
    // The working copy's file name; empty when the document has none.
    virtual QString workingCopy() const = 0;
    virtual void deleteWorkingCopy() = 0;
    // Writes the working image to the working copy; false when that failed.
    virtual bool saveWorkingCopy() = 0;
    // The frame the document shows again when it is reloaded.
    virtual void setRememberedFrame(int index) = 0;
    // Reloads the working image from a file for this document. False when the reload failed and
    // the document was removed: the host object may be gone then and must not be used again.
    virtual bool reloadDocument(const QString& fileName) = 0;

    // The inspector's selected row (0–11); setting it also selects column 1 of the grid.
    virtual int inspectorRow() const = 0;
    virtual void setInspectorRow(int row) = 0;

    // The EditUndo action's state and caption.
    virtual void setUndoAction(bool enabled, const QString& caption) = 0;
    // FileSave (document modified), FileSaveAll (any document modified), the document's status
    // bar and, while the document is modified and the tab strip visible, the tab strip.
    virtual void refreshSaveState() = 0;
    virtual void repaintFrameStrip() = 0;
    // Closes the document window without the close question.
    virtual void closeWithoutQuery() = 0;
};

// What a recorded command's Undo reverses. Each command kind switches on these values, so they
// keep their numbers: an extension, frame or palette that was added (Undo removes it), one that
// was removed (Undo puts it back), a value that changed (Undo restores it), a frame that moved,
// one colour of a palette added, removed or changed, or the whole animation (a snapshot).
enum TUndoAction : uint8_t
{
    uaAdded = 1,
    uaRemoved = 2,
    uaChanged = 3,
    uaMoved = 4,
    uaColorAdded = 5,
    uaColorRemoved = 6,
    uaColorChanged = 7,
    uaSnapshot = 8,
};

// Records a command on the document's history before an edit changes the working image, then
// refreshes the undo state; the document's undo position becomes Count + 1. Exceptions from the
// command's capture pass out and nothing is recorded. The program records through the named
// recorders below; this one is the primitive they share (and the undo tables of the tests use).
void recordUndo(IUndoHost& host, int kind, uint8_t actionType, int colorIndex, int data, int frameIndex,
                const QString& caption);
// The named recorders every edit uses; each records before the working image changes, so
// exceptions from the capture pass out with nothing recorded and nothing changed.
// The whole animation, for an edit a frame command cannot put back; frameIndex is the frame
// selected again after Undo.
void recordSnapshot(IUndoHost& host, const QString& caption, int frameIndex);
// A frame was added at frameIndex (Undo deletes it).
void recordFrameAdded(IUndoHost& host, const QString& caption, int frameIndex);
// Frame frameIndex is about to be deleted ("Delete Frame").
void recordFrameDeleted(IUndoHost& host, int frameIndex);
// Frame from is about to move to index to ("Move Frame").
void recordFrameMoved(IUndoHost& host, int from, int to);
// The graphic control extension of frameIndex (delay, disposal, transparency) is about to change.
void recordFrameTiming(IUndoHost& host, int frameIndex, const QString& caption);
// One property of frameIndex of the given kind (frame, graphic control extension) is about to
// change, as automation changes them.
void recordPropertyChange(IUndoHost& host, TCommandKind kind, int frameIndex, const QString& caption);
// A frame inspector edit of the given kind and action on frameIndex (no colour, no data).
void recordInspectorEdit(IUndoHost& host, TCommandKind kind, TUndoAction action, int frameIndex,
                         const QString& caption);
// A comment is about to be added to frame 0 at extension position.
void recordCommentAdded(IUndoHost& host, int position);
// The comment at extension position of frameIndex is about to change or be deleted.
void recordCommentChanged(IUndoHost& host, int frameIndex, int position);
void recordCommentDeleted(IUndoHost& host, int frameIndex, int position);
// The global palette is about to change ("Change Global Palette").
void recordGlobalPalette(IUndoHost& host);
// Frame frameIndex is about to get a local palette ("Add Local Palette").
void recordLocalPaletteAdded(IUndoHost& host, int frameIndex);
// The palette shown for frameIndex is about to gain colour at colorIndex (its new last entry),
// to lose the entry at colorIndex, or to change the entry at colorIndex from oldColor.
void recordPaletteColorAdded(IUndoHost& host, int colorIndex, TColor color, int frameIndex, const QString& caption);
void recordPaletteColorRemoved(IUndoHost& host, int colorIndex, int frameIndex, const QString& caption);
void recordPaletteColorChanged(IUndoHost& host, int colorIndex, TColor oldColor, int frameIndex,
                               const QString& caption);
// Frame 0's looping extension is about to be added, removed or changed ("Change Animation Loop").
void recordLoopChange(IUndoHost& host, TUndoAction action);

// Enables EditUndo exactly when the history has commands and captions it "&Undo <caption>";
// returns whether the history has commands.
bool refreshUndoState(IUndoHost& host);
// The capacity a document gives its history when it is created or opened: the "MaxUndo"
// setting (default 50). Later changes of the setting reach only later documents.
int undoCapacitySetting();
// The EditUndo action for the active document. Exceptions from the command's Undo pass out and
// the command stays.
void undoActiveDocument(IUndoHost& host);

// The inspector's row labels, in row order; an undone caption containing one selects that row.
inline constexpr const char* kInspectorRowLabels[12] = {
    "Dimensions & Offsets", "Height",      "Width",         "X-Offset",      "Y-Offset", "Display Settings",
    "Interlaced",           "Transparent", "Local Palette", "Frame Playing", "Delay",    "Disposal",
};
