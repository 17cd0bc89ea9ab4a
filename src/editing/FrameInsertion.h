#pragma once
// Turning bitmaps into frames of the working image under the palette settings: fitting a
// larger picture, inserting, recording the addition for undo, and the new frame's set-up.
// GUI thread only.
#include "editing/EditSession.h"
#include "graphics/Colors.h"

#include <QString>

class TBitmap;
class TGIFImage;
class TGIFSubImage;

// ---- Frames from bitmaps -------------------------------------------------------------------

// Makes a bitmap fit the working image: 0 when nothing had to be asked or the stored choice was
// applied, else the fit prompt's modal result (2 = cancel, the caller gives up).
int fitPictureToAnimation(TEditSession& session, TBitmap& bitmap);
// New frame from bitmap at position (appended from the last index on); the new index or -1.
int insertBitmapAsFrame(TEditSession& session, TGIFImage& image, TBitmap& bitmap, int position);
// The add-frame, paste and drop path on the working image; the new index or -1.
int addPictureAsFrame(TEditSession& session, TBitmap& bitmap, int position, const QString& caption);
// For automation: a frame at the main window's current frame with the given delay; index or -1.
int insertBitmapAtCurrentFrame(TEditSession& session, TBitmap& bitmap, int delay);

// Applies PaletteType, MaxColorCount and DitherMethod to the image's colour reduction; true when
// inserted frames must afterwards be mapped onto the global palette.
bool applyPaletteSettings(TGIFImage& image);

// ---- Frame helpers -------------------------------------------------------------------------

void ensureFrameTiming(TGIFSubImage& frame, int delay);
void newFrameSetup(TGIFSubImage& frame, int userLoopCount, int delay);
// Delay of a frame of the image, or the "DefaultDelay" setting.
int frameDelayOrDefault(TGIFImage& image, int frameIndex);
int totalRunningTime(TGIFImage& image);
TColor cornerColor(TGIFSubImage& frame);
void addComment(TGIFSubImage& frame, const QString& text);
