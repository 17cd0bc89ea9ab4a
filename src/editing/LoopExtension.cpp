// The looping extension on frame 0: how many times the animation plays, in the user's count
// (1 once, 0 forever, n times) and as stored in the file.
#include "editing/LoopExtension.h"

#include "gif/GIFImage.h"

#include <algorithm>

bool hasLoopExtension(TGIFImage& image)
{
    return image.images().count() > 0 && image.images().subImage(0)->loopExtension();
}

int getUserLoopCount(TGIFImage& image)
{
    if (image.images().count() == 0)
        return 1;
    const TGIFAppExtNSLoop* loop = image.images().subImage(0)->loopExtension();
    if (!loop)
        return 1;
    const int stored = loop->loops();
    if (stored == 0 || stored == 65535)
        return 0;
    return stored + 1;
}

int storedLoopCount(int userCount)
{
    // A user count beyond 65535 is kept at 65534 stored: 65535 would read back as "forever".
    if (userCount <= 1)
        return 0;
    return std::min(userCount - 1, 65534);
}

void addLoopExtension(TGIFImage& image, TGIFSubImage& frame, int userCount)
{
    (void)image;
    if (userCount == 1)
        return;
    auto* loop = new TGIFAppExtNSLoop(&frame);
    loop->setLoops(uint16_t(storedLoopCount(userCount)));
    if (frame.extensions().count() == 0)
        frame.extensions().add(loop);
    else
        frame.extensions().insert(0, loop);
}

bool setUserLoopCount(TGIFImage& image, int userCount)
{
    if (userCount == 1 || image.images().count() == 0)
        return false;
    TGIFSubImage& first = *image.images().subImage(0);
    if (TGIFAppExtNSLoop* loop = first.loopExtension()) {
        loop->setLoops(uint16_t(storedLoopCount(userCount)));
        return true;
    }
    addLoopExtension(image, first, userCount);
    return false;
}
