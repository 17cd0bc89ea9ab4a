#pragma once
// The frame commands of the main window: adding frames from files, deleting, moving (the four
// move actions and drops within the strip), reversing, selecting all frames, the frame's
// transparent colour and the global frame properties.
//
// Each works on the working image of the active document and records an undo command before
// it changes anything; without an active document a command does nothing. GUI thread only.
#include "editing/UserTexts.h"

#include <QString>

class ICommandHost;

// Where new frames from files, the clipboard and drops go: current frame + 1, at most the last
// column; 0 while no frame is current.
int insertionPosition(const ICommandHost& host);

// FrameAdd: asks for picture files and adds each one as a frame at the insertion position.
void addFramesFromFiles(ICommandHost& host);

// Deletes frame index of the active document; the only frame is refused with a message.
// True when a frame was removed.
bool deleteFrameAt(ICommandHost& host, int index);
// FrameDelete: the current frame, or the selected range from its right end to its left end.
void deleteFrames(ICommandHost& host);

// Moves frame from to to (nothing for -1 or a target beyond the last column).
void moveFrame(ICommandHost& host, int from, int to);
void moveFrameToBeginning(ICommandHost& host);
void moveFrameToEnd(ICommandHost& host);
void moveFrameLeft(ICommandHost& host);
void moveFrameRight(ICommandHost& host);
// A drag within the strip dropped on column: the current frame, or each frame of the selected
// range from left to right, goes to column.
void dropFramesOnColumn(ICommandHost& host, int column);

// FrameReverse: the whole animation, or only the selected range.
void reverseFrames(ICommandHost& host);
// FrameReverse is enabled while a document is active and playback is not running; the main
// window asks this whenever its actions are updated.
bool reverseEnabled(ICommandHost& host);
// FrameSelectAll.
void selectAllFrames(ICommandHost& host);
// FrameTransColor.
void frameTransparentColor(ICommandHost& host);
// FrameGlobalChange.
void globalFrameProperties(ICommandHost& host);

inline constexpr const char* kImageFilesFilter =
    "Image Files|*.gif;*.jpg;*.jpeg;*.bmp;*.jif;*.dcx;*.ico;*.pbm;*.pcx;*.ljp;*.pgm;*.pic;*.png;*.ppm;*.rle;"
    "*.tga;*.tif;*.wmf;*.wpg|GIF Images (*.gif)|*.gif|Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg|Bitmap Images "
    "(*.bmp)|*.bmp|JIFF Images (*.jif)|*.jif|DCX Images (*.dcx)|*.dcx|Icon Images (*.ico)|*.ico|Portable "
    "Bitmap Images (*.pbm)|*.pbm|PC Paintbrush Images (*.pcx)|*.pcx|LJP Images (*.ljp)|*.ljp|Portable "
    "Graymap Images (*.pgm)|*.pgm|PIC Images (*.pic)|*.pic|Portable Network Graphics (*.png)|*.png|Portable "
    "Pixmap Images (*.ppm)|*.ppm|RLE Images (*.rle)|*.rle|Targa Images (*.tga)|*.tga|TIFF Images "
    "(*.tif)|*.tif|Window Meta File (*.wmf)|*.wmf|Word Perfect Graphics (*.wpg)|*.wpg|All Files (*.*)|*.*";
inline constexpr const char* kOneFrameMessage = UserTexts::kOneFrameMessage;
