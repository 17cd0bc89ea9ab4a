#pragma once
// Frames from bitmaps: fitting a picture to the animation, inserting it as a frame under the
// palette settings (recorded for undo on the active document), and the set-up and timing every
// new frame gets.
//
// GUI thread only. The working image, the documents, the view and the prompts are the edit
// session's, handed in by the caller. An insertion that fails leaves the image as it was and
// returns -1.
#include "editing/EditSession.h"

#include <QString>

#include <functional>

class TBitmap;
class TGIFImage;
class TGIFSubImage;

// Makes a bitmap fit the working image: 0 when nothing had to be asked or the stored choice was
// applied, else the fit prompt's modal result (mrCancel: the caller gives up). beforeResize runs
// before the animation is made larger and may throw, which leaves everything as it was.
int fitPicture(TEditSession& session, TBitmap& bitmap, const std::function<void()>& beforeResize = {});
// New frame from bitmap at position (appended from the last index on); the new index or -1.
int insertBitmapAsFrame(TEditSession& session, TGIFImage& image, TBitmap& bitmap, int position);
// The add-frame, paste and drop path on the working image; the new index or -1.
int addPictureAsFrame(TEditSession& session, TBitmap& bitmap, int position, const QString& caption);
// For automation: a frame at the current frame with the given delay; index or -1.
int insertBitmapAtCurrentFrame(TEditSession& session, TBitmap& bitmap, int delay);

// ---- Frame set-up and timing ----------------------------------------------------------------

// Gives the frame a graphic control extension if it has none, with the delay (hundredths of a
// second) and disposal Background.
void ensureFrameTiming(TGIFSubImage& frame, int delay);
// A new frame's set-up: the looping extension on frame 0 when there is none, timing, its own map
// sorted, and a global map when the image has none.
void newFrameSetup(TGIFSubImage& frame, int userLoopCount, int delay);
// The sum of the frames' delays, hundredths of a second.
int totalRunningTime(TGIFImage& image);
// Appends a comment extension; line breaks of any kind split the text into lines.
void addComment(TGIFSubImage& frame, const QString& text);
