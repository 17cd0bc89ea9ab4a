#pragma once
// What the frame strip, the frame and animation panels and their controller need of the main
// window beyond the edit session (which holds the working image, the current frame and the
// active document). The main window implements it; tests provide a fake. Kept here, beside the
// caller, so the strip never includes the main window or the document windows.
// Only the GUI thread uses it; nothing here is owned by the controller.
#include "app/MainActions.h"
#include "graphics/Colors.h"

#include <QString>

class IFrameInspectorView;

// What the palette dialog hands back for the animation's transparent colour.
struct TPaletteChoice
{
    bool accepted = false;
    int colorIndex = 0;
    TColor color = 0;
};

class IFrameStripHost
{
public:
    virtual ~IFrameStripHost() = default;

    // Shows the frame in the active document's window: panel size, status text "%s - [Height:
    // %d x Width: %d]", transparency, preview bitmap, view bounds and background, then one full
    // repaint.
    virtual void showFrame(int index) = 0;

    // Enables or disables an action of the main window by its name ("FrameDelete", "EditCut").
    virtual void setActionEnabled(TActionId id, bool enabled) = 0;
    // The document commands and both panels' controls together.
    virtual void enableDocumentCommands(bool enabled) = 0;
    // The clipboard holds a bitmap or text, or a frame clipboard file exists.
    virtual bool canPaste() = 0;
    virtual void stopPlayback() = 0;

    // Null while the inspector does not exist.
    virtual IFrameInspectorView* inspector() = 0;
    // Shows the inspector when it was hidden once at start-up and checks its menu entry.
    virtual void showInspectorIfHiddenAtStartup() {}

    // Frames of the strip were dropped on column: the current frame, or each frame of the
    // selected range from left to right, moves there. The main command set owns the move, so a
    // drop and the move actions record and refresh the same way.
    virtual void moveFramesTo(int column) = 0;

    // The active document's view was dropped on a strip column: insert a copy of the displayed
    // frame's picture there ("Add Frame").
    virtual void insertViewPictureAt(int column) { (void)column; }

    // The palette dialog for frame 0 with the colour preselected (the main window opens the real
    // one; this default answers Cancel).
    virtual TPaletteChoice choosePaletteColor(int frameIndex, int colorIndex, TColor color)
    {
        (void)frameIndex;
        (void)colorIndex;
        (void)color;
        return {};
    }
};
