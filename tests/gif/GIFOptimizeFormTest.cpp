// The optimiser's choice of form for each frame: over generated two-colour and 256-colour
// animations the picture and timeline stay as they were, no frame and no file grows, and the
// forms that matter for size are found (filled-in colours for an already optimised two-colour
// file, an unused index as the transparent index of a frame on a full map).
#include "GIFTestUtil.h"

#include "gif/GIFExtensions.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace giftest;

namespace {

void addPlainFrame(TGIFImage& image, int width, int height, const std::vector<uint8_t>& pixels, int delay)
{
    TGIFSubImage* frame = addFrame(image, 0, 0, width, height, pixels);
    gce(frame)->setDelay(uint16_t(delay));
    gce(frame)->setDisposal(TGIFDisposal::dmKeep);
}

// A game of life in black and white, every frame whole: the LZW data of such frames grows when
// unchanged cells become a third, transparent symbol.
void makeLife(TGIFImage& image, int width, int height, int frames, unsigned seed)
{
    std::mt19937 random(seed);
    image.setWidth(width);
    image.setHeight(height);
    setColors(image.globalColorMap(), {rgbColor(0, 0, 0), rgbColor(255, 255, 255)});
    std::vector<uint8_t> cells(size_t(width) * size_t(height));
    for (uint8_t& cell : cells)
        cell = uint8_t(random() % 3 == 0 ? 1 : 0);
    for (int f = 0; f < frames; ++f) {
        addPlainFrame(image, width, height, cells, f % 3 == 2 ? 40 : 8);
        std::vector<uint8_t> next = lifeStep(cells, width, height);
        cells = std::move(next);
    }
}

// A disc moving over a still background on a full 256-colour global map; every frame is whole
// and uses all 256 indexes, so a transparent index can only be one the changed area leaves free.
void makeDisc(TGIFImage& image, int width, int height, int frames, unsigned seed)
{
    std::mt19937 random(seed);
    image.setWidth(width);
    image.setHeight(height);
    std::vector<TColor> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(rgbColor(uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 0xFF)));
    setColors(image.globalColorMap(), colours);
    std::vector<uint8_t> background(size_t(width) * size_t(height));
    for (size_t i = 0; i < background.size(); ++i)
        background[i] = uint8_t(i < 256 ? i : random() % 256);
    for (int f = 0; f < frames; ++f) {
        std::vector<uint8_t> pixels = background;
        const int cx = width / 2 + f * 2, cy = height / 2 + int(6 * std::sin(f / 2.0));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < 36)
                    pixels[size_t(y) * width + x] = uint8_t((x * 3 + y) % 256);
        addPlainFrame(image, width, height, pixels, 6);
    }
}

struct Fixture
{
    const char* name;
    void (*make)(TGIFImage&, unsigned seed);
};

const Fixture fixtures[] = {
    {"two-colour life", [](TGIFImage& image, unsigned seed) { makeLife(image, 40, 30, 12, seed); }},
    {"two-colour life, ImageMagick-optimised",
     [](TGIFImage& image, unsigned seed) {
         image.onWarning = [](TObject*, int, const QString&) {};
         load(image, twoColourOptimizedGif(40, 30, 12, seed));
     }},
    {"256-colour disc", [](TGIFImage& image, unsigned seed) { makeDisc(image, 48, 36, 10, seed); }},
    // Frames large enough for the LZW table to fill, so the final choice of image data runs.
    {"256-colour disc, large frames", [](TGIFImage& image, unsigned seed) { makeDisc(image, 120, 80, 4, seed); }},
};

const TGIFOptimizeOptions optionSets[] = {ooMerge, ooMerge | ooCrop, ooCrop | ooMerge | ooCleanup | ooColorMap};

} // namespace

TEST(GIFOptimizeForm, GeneratedAnimationsKeepTheTimelineAndNeverGrow)
{
    for (const Fixture& fixture : fixtures)
        for (const TGIFOptimizeOptions options : optionSets)
            for (unsigned seed = 1; seed <= 6; ++seed) {
                SCOPED_TRACE(testing::Message() << fixture.name << " options " << int(options) << " seed " << seed);
                TGIFImage image;
                fixture.make(image, seed);
                const QByteArray input = save(image);
                TGIFImage original;
                original.onWarning = [](TObject*, int, const QString&) {};
                load(original, input);
                load(image, input);
                const std::vector<Shown> before = composeTimeline(original);
                std::vector<int64_t> frameSizes;
                for (int i = 0; i < image.images().count(); ++i)
                    frameSizes.push_back(image.images().subImage(i)->writtenSize());

                image.optimize(options, 0, 0, 8);

                const QByteArray written = save(image);
                ASSERT_LE(written.size(), input.size());
                TGIFImage reread;
                reread.onWarning = [](TObject*, int, const QString&) {};
                load(reread, written);
                const std::vector<Shown> after = composeTimeline(reread);
                ASSERT_EQ(after.size(), before.size());
                for (size_t i = 0; i < before.size(); ++i) {
                    ASSERT_EQ(after[i].picture, before[i].picture) << "entry " << i;
                    ASSERT_EQ(after[i].duration, before[i].duration) << "entry " << i;
                }
                // Merging alone keeps every frame, each written in no more bytes than before.
                if (options == ooMerge) {
                    ASSERT_EQ(image.images().count(), int(frameSizes.size()));
                    for (int i = 0; i < image.images().count(); ++i)
                        EXPECT_LE(image.images().subImage(i)->writtenSize(), frameSizes[size_t(i)]) << "frame " << i;
                }
            }
}

// ImageMagick's frames of a two-colour animation carry a third, transparent symbol; with the
// colours under them filled back in, whole frames of two symbols write smaller.
TEST(GIFOptimizeForm, OptimisedTwoColourFramesAreFilledBackInWhenThatIsSmaller)
{
    TGIFImage image;
    image.onWarning = [](TObject*, int, const QString&) {};
    const QByteArray input = twoColourOptimizedGif(64, 48, 16, 3);
    load(image, input);
    image.optimize(ooMerge, 0, 0, 8);
    const QByteArray written = save(image);
    EXPECT_LT(written.size(), input.size() * 95 / 100);
    int opaqueFrames = 0;
    for (int i = 1; i < image.images().count(); ++i)
        opaqueFrames += image.images().subImage(i)->transparentIndex() < 0 ||
                                !std::count(image.images().subImage(i)->data(),
                                            image.images().subImage(i)->data() + image.images().subImage(i)->dataSize(),
                                            uint8_t(image.images().subImage(i)->transparentIndex()))
                            ? 1
                            : 0;
    EXPECT_GT(opaqueFrames, 0);
}

// Every frame of the disc uses all 256 indexes; the index the changed area leaves free becomes
// the transparent one, and the frame shrinks to the changed area.
TEST(GIFOptimizeForm, FullMapFrameTakesAFreeIndexAsItsTransparentIndex)
{
    TGIFImage image;
    makeDisc(image, 48, 36, 4, 5);
    const QByteArray input = save(image);
    load(image, input);
    image.optimize(ooMerge, 0, 0, 8);
    ASSERT_EQ(image.globalColorMap().count(), 256);
    for (int i = 1; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        SCOPED_TRACE(testing::Message() << "frame " << i);
        EXPECT_LT(frame->width() * frame->height(), 48 * 36 / 4);
    }
    EXPECT_LT(save(image).size(), input.size() / 2);
}

// A frame that repeats the picture under it everywhere keeps one pixel, so its time stays.
TEST(GIFOptimizeForm, FrameThatRepeatsEverythingKeepsOnePixel)
{
    TGIFImage image;
    makeLife(image, 24, 16, 1, 9);
    const std::vector<uint8_t> pixels(image.images().subImage(0)->data(),
                                      image.images().subImage(0)->data() + 24 * 16);
    addPlainFrame(image, 24, 16, pixels, 70);
    load(image, save(image));
    image.optimize(ooMerge, 0, 0, 8);
    ASSERT_EQ(image.images().count(), 2);
    TGIFSubImage* second = image.images().subImage(1);
    EXPECT_EQ(second->width() * second->height(), 1);
    EXPECT_EQ(second->graphicControlExtension()->delay(), 70);
}

// Restore-to-background clears the frame's whole rectangle afterwards: such a frame keeps its
// rectangle whatever it repeats.
TEST(GIFOptimizeForm, RestoreToBackgroundFrameKeepsItsRectangle)
{
    TGIFImage image;
    makeDisc(image, 48, 36, 3, 2);
    gce(image.images().subImage(1))->setDisposal(TGIFDisposal::dmBackground);
    load(image, save(image));
    image.optimize(ooMerge, 0, 0, 8);
    EXPECT_EQ(image.images().subImage(1)->boundsRect(), QRect(0, 0, 48, 36));
}

// A local map that only repeats colours of the global map (as video converters write the first
// frame) goes, its pixels and transparent index renumbered; one with a colour of its own stays.
TEST(GIFOptimizeForm, LocalMapOfGlobalColoursIsDropped)
{
    for (const bool ownColour : {false, true}) {
        SCOPED_TRACE(ownColour ? "local map with a colour of its own" : "local map of global colours");
        TGIFImage image;
        makeDisc(image, 48, 36, 3, 7);
        TGIFSubImage* first = image.images().subImage(0);
        // The same colours in reverse order, index 0 transparent and unused.
        std::vector<TColor> reversed;
        for (int i = 255; i >= 0; --i)
            reversed.push_back(image.globalColorMap().entry(i).value());
        if (ownColour)
            reversed[1] = rgbColor(1, 2, 3);
        setColors(first->colorMap(), reversed);
        std::vector<uint8_t> pixels(first->data(), first->data() + first->dataSize());
        for (uint8_t& value : pixels)
            value = uint8_t(255 - value);
        for (int x = 0; x < 48; ++x)
            pixels[size_t(x)] = ownColour ? 1 : 0;
        first->setData(pixels);
        gce(first)->setTransparentColorIndex(0);
        gce(first)->setTransparent(true);
        load(image, save(image));
        const std::vector<Shown> before = composeTimeline(image);
        const int64_t sizeBefore = save(image).size();

        image.optimize(ooColorMap, 0, 0, 8);

        EXPECT_EQ(image.images().subImage(0)->colorMap().count() > 0, ownColour);
        EXPECT_TRUE(composeTimeline(image) == before);
        if (!ownColour) {
            EXPECT_LT(save(image).size(), sizeBefore - 700);
        }
    }
}
