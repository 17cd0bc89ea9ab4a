#pragma once
// Frame 0's looping extension as the user counts: 1 plays once (no extension), 0 forever,
// n plays n times (stored as n - 1).

class TGIFImage;
class TGIFSubImage;

// ---- Looping extension (frame 0) -----------------------------------------------------------

bool hasLoopExtension(TGIFImage& image);
// 1 = play once (no extension), 0 = forever, n = n times.
int getUserLoopCount(TGIFImage& image);
// The stored count for a user count (not for 1, which stores nothing).
int storedLoopCount(int userCount);
void addLoopExtension(TGIFImage& image, TGIFSubImage& frame, int userCount);
// True when an existing extension was changed.
bool setUserLoopCount(TGIFImage& image, int userCount);
