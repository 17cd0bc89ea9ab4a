#pragma once
// The small animation the automation object tests open: 8 x 4 pixels, frames of 4 x 3 at offsets
// (k, 0), each filled with index k + 1 of its own four-colour map and shown for 10 hundredths.
#include <QString>

struct TSmallAnimation
{
    int frames = 3;
    bool commentOnSecondFrame = false; // the one-line comment "abc" on frame 1
    bool loopForever = false;          // a looping extension on frame 0 that plays forever
};

// Writes the animation to path and answers path.
QString writeSmallAnimation(const QString& path, const TSmallAnimation& shape);
