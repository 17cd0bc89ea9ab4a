#pragma once
// The looping extension on frame 0. The user's count is 1 for playing once (no extension), 0 for
// forever and n for n times; the file stores n - 1, and 0 or 65535 for forever.
class TGIFImage;
class TGIFSubImage;

bool hasLoopExtension(TGIFImage& image);
// The user's count of the image.
int getUserLoopCount(TGIFImage& image);
// The stored count for a user count (not for 1, which stores nothing).
int storedLoopCount(int userCount);
// Puts a looping extension first on frame; nothing for a user count of 1.
void addLoopExtension(TGIFImage& image, TGIFSubImage& frame, int userCount);
// True when an existing extension was changed.
bool setUserLoopCount(TGIFImage& image, int userCount);
