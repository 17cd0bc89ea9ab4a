// Conditions of the optimiser that go beyond its plain description, each with the animation that
// shows why: without them what is shown would change.
#include "GIFTestUtil.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

TGIFImage& screen(TGIFImage& image, int width, int height, const std::vector<TColor>& colors)
{
    image.header().setWidth(width);
    image.header().setHeight(height);
    setColors(image.globalColorMap(), colors);
    return image;
}

} // namespace

// Clean-up sets a restoring disposal to "none" only when the next frame paints over all of this
// frame with opaque pixels: a next frame that merely lies inside it would leave the rest of this
// frame standing where it should have been cleared.
TEST(GIFOptimizeRules, CleanupKeepsARestoringDisposalUnlessTheNextFrameCoversTheFrame)
{
    for (const bool covers : {false, true}) {
        SCOPED_TRACE(covers);
        TGIFImage image;
        screen(image, 4, 4, {0x000000, 0xFFFFFF});
        TGIFSubImage* first = addFrame(image, 0, 0, 4, 4, std::vector<uint8_t>(16, 1));
        gce(first)->setDisposal(TGIFDisposal::dmBackground);
        gce(first)->setDelay(5);
        TGIFSubImage* next = covers ? addFrame(image, 0, 0, 4, 4, std::vector<uint8_t>(16, 0))
                                    : addFrame(image, 1, 1, 2, 2, std::vector<uint8_t>(4, 0));
        gce(next)->setDelay(5);
        const std::vector<Shown> before = composeTimeline(image);
        image.optimize(ooCleanup, 0, 0, 8);
        EXPECT_EQ(first->graphicControlExtension()->disposal(),
                  covers ? TGIFDisposal::dmNone : TGIFDisposal::dmBackground);
        EXPECT_TRUE(composeTimeline(image) == before);
    }
}

// Crop leaves transparent frames that restore to background: the clearing covers the frame's
// whole rectangle, and a cropped rectangle would leave the previous picture standing around it.
TEST(GIFOptimizeRules, CropLeavesFramesThatRestoreToBackground)
{
    TGIFImage image;
    screen(image, 4, 4, {0x000000, 0xFFFFFF, 0x0000FF});
    addFrame(image, 0, 0, 4, 4, std::vector<uint8_t>(16, 1));
    std::vector<uint8_t> pixels(16, 2);
    pixels[5] = 0;
    TGIFSubImage* clearing = addFrame(image, 0, 0, 4, 4, pixels);
    gce(clearing)->setTransparentColorIndex(2);
    gce(clearing)->setTransparent(true);
    gce(clearing)->setDisposal(TGIFDisposal::dmBackground);
    addFrame(image, 3, 3, 1, 1, {0});
    const std::vector<Shown> before = composeTimeline(image);
    image.optimize(ooCrop, 0, 0, 8);
    EXPECT_EQ(clearing->boundsRect(), QRect(0, 0, 4, 4));
    EXPECT_TRUE(composeTimeline(image) == before);
}

// Merge reuses another frame's transparent index only when the merged frame does not show that
// index as a colour: else its own pixels of that colour would turn transparent.
TEST(GIFOptimizeRules, MergeDoesNotReuseATransparentIndexTheFrameShowsAsAColour)
{
    TGIFImage image;
    screen(image, 32, 32, {0x000000, 0xFFFFFF, 0x00FF00});
    // Noise of colours 0 and 2, so that making the repeats transparent pays.
    std::mt19937 random(3);
    std::vector<uint8_t> first(32 * 32);
    for (uint8_t& p : first)
        p = uint8_t(random() % 2 ? 2 : 0);
    TGIFSubImage* keyed = addFrame(image, 0, 0, 32, 32, first);
    gce(keyed)->setTransparentColorIndex(1);
    gce(keyed)->setTransparent(true);
    gce(keyed)->setDelay(5);
    // Repeats the first frame except for a stripe of colour 1 (white), which must stay white.
    std::vector<uint8_t> second = first;
    for (int x = 0; x < 32; ++x)
        second[size_t(3 * 32 + x)] = 1;
    TGIFSubImage* merged = addFrame(image, 0, 0, 32, 32, second);
    gce(merged)->setDelay(5);
    const std::vector<Shown> before = composeTimeline(image);
    image.optimize(ooMerge, 0, 0, 8);
    // The frame may also shrink to the stripe and stay opaque; a transparent index it has must
    // not be the white it shows.
    EXPECT_NE(merged->transparentIndex(), 1);
    EXPECT_TRUE(composeTimeline(image) == before);
}
