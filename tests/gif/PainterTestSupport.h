#pragma once
// Shared pieces of the painter tests: small animations and a manual painter clock installed for
// the duration of a test.
#include "GIFTestUtil.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "graphics/Bitmap.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace paintertest {

// Frames of 2 x 2 pixels on a 2 x 2 screen, frame i all index i (global map of 8 colours). A
// delay below 0 leaves the frame without a graphic control extension. A loopCount of 0 or more
// puts a looping extension on frame loopFrame.
inline void buildAnimation(TGIFImage& image, const std::vector<int>& delays, int loopCount = -1,
                           int loopFrame = 0)
{
    image.clear();
    image.setWidth(2);
    image.setHeight(2);
    giftest::setColors(image.globalColorMap(),
                       {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x00FFFF, 0xFF00FF, 0xFFFF00});
    for (size_t i = 0; i < delays.size(); ++i) {
        TGIFSubImage* frame = giftest::addFrame(image, 0, 0, 2, 2, std::vector<uint8_t>(4, uint8_t(i % 8)));
        if (int(i) == loopFrame && loopCount >= 0) {
            auto* loop = new TGIFAppExtNSLoop(frame);
            loop->setLoops(uint16_t(loopCount));
            frame->extensions().add(loop);
        }
        if (delays[i] >= 0)
            giftest::gce(frame)->setDelay(uint16_t(delays[i]));
    }
}

// Installs a manual clock for the test and takes it away again.
class ManualClockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock = std::make_shared<TManualPainterClock>();
        setPainterClock(clock);
    }
    void TearDown() override
    {
        image.stopPainting();
        setPainterClock(nullptr);
    }

    std::shared_ptr<TManualPainterClock> clock;
    TBitmap target{2, 2, pfDevice};
    TGIFImage image;
};

} // namespace paintertest
