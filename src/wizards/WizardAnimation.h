#pragma once
// The animation wizard's Finish: a new animation built from a list of picture files, one picture
// loaded at a time. GUI thread only (loading shows the loader's own messages).
#include "graphics/Colors.h"

#include <QImage>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

class TBitmap;
class TEditSession;
class TGIFImage;

enum class TPlacement
{
    TopLeft,
    Center,
    Scale,
};

struct TAnimationPlan
{
    QStringList files;
    bool firstImageSize = true; // else customSize
    QSize customSize{100, 100};
    TPlacement placement = TPlacement::TopLeft;
    bool transparent = false;
    int userLoopCount = 0; // 0 = forever, 1 = once (no extension), n = n times
    int delay = 100;       // hundredths of a second
};

// The colour a new animation is filled with: the picture's pixel in column 1 of its last row,
// column 0 for a picture one pixel wide.
TColor fillColorOf(const TBitmap& picture);
// The picture placed on a canvas of the animation's size filled with fill.
QImage composeCanvas(const QImage& picture, const QSize& size, TPlacement placement, TColor fill);

// Told after each listed picture: how many are done of how many.
using TBuildProgress = std::function<void(int done, int total)>;

// Builds the animation: pictures that fail to load are skipped (the loader has said why); when
// none loads the result is empty.
std::unique_ptr<TGIFImage> buildAnimation(TEditSession& session, const TAnimationPlan& plan,
                                          const TBuildProgress& progress = {});
