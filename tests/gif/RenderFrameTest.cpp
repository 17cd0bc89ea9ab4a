// Frame rendering (bitmap, mask, dithering, palettes) and drawing (scaling, tiling, masks), the
// composed first frame, and the image routines' pictures made from them.
#include "GIFTestUtil.h"

#include "gif/GIFExtensions.h"
#include "gif/GIFPainter.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"

#include <gtest/gtest.h>

using giftest::addFrame;
using giftest::gce;
using giftest::setColors;

namespace {

constexpr QRgb Key = 0xFF123456; // what the canvas holds before drawing

std::unique_ptr<TBitmap> keyCanvas(int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, pfDevice);
    bitmap->canvas().brush() = {rgbToColor(Key), bsSolid};
    bitmap->canvas().fillRect(QRect(0, 0, width, height));
    return bitmap;
}

// A 4 x 2 frame at (offset) with indexes 0 1 2 3 / 3 2 1 0 and a local map of four colours.
TGIFSubImage* fourColourFrame(TGIFImage& image, int left = 0, int top = 0)
{
    TGIFSubImage* frame = addFrame(image, left, top, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
    setColors(frame->colorMap(), {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});
    return frame;
}

bool maskBit(TBitmap& mask, int x, int y)
{
    return (mask.scanLine(y)[x >> 3] >> (7 - (x & 7))) & 1;
}

class RenderFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        image.setDrawOptions(GIFDefaultDrawOptions); // no dithering on a true-colour display
    }
    TGIFImage image;
};

TEST_F(RenderFrame, BitmapHoldsTheIndexesWithTheFramePalette)
{
    image.setWidth(4);
    image.setHeight(2);
    TGIFSubImage* frame = fourColourFrame(image);
    TBitmap* bitmap = gifFrameBitmap(*frame);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->pixelFormat(), pf8bit);
    EXPECT_EQ(bitmap->width(), 4);
    EXPECT_EQ(bitmap->palette(), gifFramePalette(*frame));
    EXPECT_EQ(bitmap->scanLine(1)[0], 3);
    EXPECT_EQ(bitmap->pixelRgb(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(bitmap->pixelRgb(3, 0), qRgb(255, 255, 255));
    EXPECT_EQ(frame->mask(), nullptr); // nothing transparent
    EXPECT_EQ(gifFrameBitmap(*frame), bitmap) << "rendered once, then cached";
}

TEST_F(RenderFrame, MaskMarksTransparentPixelsOnly)
{
    image.setWidth(4);
    image.setHeight(2);
    TGIFSubImage* frame = fourColourFrame(image);
    gce(frame)->setTransparentColorIndex(2);
    gce(frame)->setTransparent(true);
    ASSERT_TRUE(gifFrameHasMask(*frame));
    TBitmap& mask = *frame->mask();
    EXPECT_EQ(mask.pixelFormat(), pf1bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(maskBit(mask, x, y), frame->pixel(x, y) == 2) << x << "," << y;

    // A transparent index no pixel uses makes no mask.
    frame->setData({0, 1, 2, 0, 0, 2, 1, 0});
    gce(frame)->setTransparentColorIndex(3);
    EXPECT_FALSE(gifFrameHasMask(*frame));
}

TEST_F(RenderFrame, DitheringUsesTheWebPaletteAndSkipsTransparentPixels)
{
    image.setDrawOptions(goDither | goAnimate | goTransparent); // dithering without the display test
    image.setWidth(4);
    image.setHeight(2);
    TGIFSubImage* frame = addFrame(image, 0, 0, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
    setColors(frame->colorMap(), {rgbColor(0x33, 0x66, 0x99), rgbColor(0xFF, 0, 0), 0x777777, 0});
    gce(frame)->setTransparentColorIndex(3);
    gce(frame)->setTransparent(true);
    TBitmap* bitmap = gifFrameBitmap(*frame);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_TRUE(bitmap->palette());
    EXPECT_EQ(bitmap->palette()->entries.size(), 216u);
    // Web colours survive exactly; the transparent pixels are masked.
    EXPECT_EQ(bitmap->pixelRgb(0, 0), qRgb(0x33, 0x66, 0x99));
    EXPECT_EQ(bitmap->pixelRgb(1, 0), qRgb(0xFF, 0, 0));
    ASSERT_NE(frame->mask(), nullptr);
    EXPECT_TRUE(maskBit(*frame->mask(), 3, 0));
    EXPECT_TRUE(maskBit(*frame->mask(), 0, 1));
    EXPECT_FALSE(maskBit(*frame->mask(), 2, 0));
}

TEST_F(RenderFrame, AbortedRenderingLeavesNoBitmap)
{
    image.setWidth(4);
    image.setHeight(2);
    TGIFSubImage* frame = fourColourFrame(image);
    int ends = 0;
    image.onProgress = [&](TObject*, TProgressStage stage, int, bool, const QRect&, const QString& message) {
        EXPECT_EQ(message, QStringLiteral("Rendering..."));
        if (stage == psEnding)
            ++ends;
        else if (stage == psRunning)
            throw EAbort(QString());
    };
    EXPECT_EQ(gifFrameBitmap(*frame), nullptr);
    EXPECT_EQ(ends, 1);
    auto canvas = keyCanvas(4, 2);
    gifFrameDraw(*frame, canvas->canvas(), QRect(0, 0, 4, 2), true, false);
    EXPECT_EQ(canvas->pixelRgb(0, 0), Key);
}

TEST_F(RenderFrame, DrawScalesTheFrameRectangleIntoTheTarget)
{
    image.setWidth(8);
    image.setHeight(4);
    TGIFSubImage* frame = fourColourFrame(image, 4, 2);
    auto canvas = keyCanvas(16, 8);
    gifFrameDraw(*frame, canvas->canvas(), QRect(0, 0, 16, 8), false, false);
    // Frame (4,2)-(8,4) of the 8 x 4 screen lands on (8,4)-(16,8), each pixel 2 x 2.
    EXPECT_EQ(canvas->pixelRgb(7, 7), Key);
    EXPECT_EQ(canvas->pixelRgb(8, 4), qRgb(255, 0, 0));
    EXPECT_EQ(canvas->pixelRgb(9, 5), qRgb(255, 0, 0));
    EXPECT_EQ(canvas->pixelRgb(10, 4), qRgb(0, 255, 0));
    EXPECT_EQ(canvas->pixelRgb(15, 7), qRgb(255, 0, 0));
    EXPECT_EQ(canvas->pixelRgb(8, 3), Key);
}

TEST_F(RenderFrame, TransparentDrawLeavesMaskedPixelsAndTilingRepeatsTheScreen)
{
    image.setWidth(4);
    image.setHeight(3);
    TGIFSubImage* frame = fourColourFrame(image, 0, 1);
    gce(frame)->setTransparentColorIndex(0);
    gce(frame)->setTransparent(true);
    auto canvas = keyCanvas(10, 7);
    gifFrameDraw(*frame, canvas->canvas(), QRect(1, 0, 9, 7), true, true);
    // Tiles of 4 x 3 from (1,0): the frame sits one row down in each; index 0 is transparent.
    struct Probe
    {
        int x, y;
        QRgb rgb;
    };
    const Probe probes[] = {
        {1, 0, Key},                 // tile row above the frame
        {1, 1, Key},                 // index 0: transparent
        {2, 1, qRgb(0, 255, 0)},     // index 1
        {5, 1, Key},                 // second tile, index 0
        {6, 1, qRgb(0, 255, 0)},     // second tile, index 1
        {1, 4, Key},                 // second tile row, index 0
        {4, 4, qRgb(255, 255, 255)}, // index 3
        {9, 5, qRgb(255, 255, 255)}, // third tile, clipped at the right: its column 0, row 1 is index 3
        {0, 1, Key},                 // left of rect untouched
    };
    for (const Probe& p : probes)
        EXPECT_EQ(canvas->pixelRgb(p.x, p.y), p.rgb) << p.x << "," << p.y;
}

TEST_F(RenderFrame, ComposedFirstFrameIsTheFrameOnTheLogicalScreen)
{
    image.setWidth(6);
    image.setHeight(3);
    setColors(image.globalColorMap(), {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});
    TGIFSubImage* frame = addFrame(image, 2, 1, 4, 2, {1, 2, 3, 4, 4, 3, 2, 1});
    gce(frame)->setTransparentColorIndex(1);
    gce(frame)->setTransparent(true);
    const std::shared_ptr<TBitmap>& composed = image.bitmap();
    ASSERT_TRUE(composed);
    EXPECT_EQ(composed->width(), 6);
    EXPECT_EQ(composed->height(), 3);
    EXPECT_EQ(composed->pixelRgb(2, 1), qRgb(255, 0, 0)); // drawn without transparency
    EXPECT_EQ(composed->pixelRgb(5, 2), qRgb(255, 0, 0));
    EXPECT_EQ(composed->pixelRgb(3, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.bitmap().get(), composed.get());

    // A first frame covering the screen gives a copy of its own rendering.
    TGIFImage whole;
    whole.setWidth(4);
    whole.setHeight(2);
    TGIFSubImage* only = fourColourFrame(whole);
    ASSERT_TRUE(whole.bitmap());
    EXPECT_NE(whole.bitmap().get(), only->bitmap().get());
    EXPECT_EQ(whole.bitmap()->pixelRgb(1, 1), qRgb(0, 0, 255)); // index 2: TColor 0xFF0000 is blue
}

TEST_F(RenderFrame, FrameWithoutAnyColourTableRendersWithoutRaising)
{
    image.setWidth(2);
    image.setHeight(1);
    TGIFSubImage* frame = addFrame(image, 0, 0, 2, 1, {0, 5});
    TBitmap* bitmap = nullptr;
    EXPECT_NO_THROW(bitmap = gifFrameBitmap(*frame));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 2);
    EXPECT_NO_THROW(image.palette());
}

TEST_F(RenderFrame, IndexesPastAShortPaletteShowBlack)
{
    image.setWidth(3);
    image.setHeight(1);
    TGIFSubImage* frame = addFrame(image, 0, 0, 3, 1, {0, 1, 9});
    setColors(frame->colorMap(), {0xFFFFFF, 0x00FF00});
    TBitmap* bitmap = gifFrameBitmap(*frame);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->pixelRgb(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(bitmap->pixelRgb(2, 0), qRgb(0, 0, 0));
}

TEST_F(RenderFrame, ImageDrawWithoutAnimationShowsTheFirstFrame)
{
    image.setDrawOptions(goTransparent);
    image.setWidth(4);
    image.setHeight(2);
    fourColourFrame(image);
    TGIFSubImage* second = fourColourFrame(image);
    second->setData({3, 3, 3, 3, 3, 3, 3, 3});
    auto canvas = keyCanvas(8, 4);
    image.draw(canvas->canvas(), QRect(0, 0, 8, 4));
    EXPECT_EQ(canvas->pixelRgb(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(canvas->pixelRgb(7, 0), qRgb(255, 255, 255));
    EXPECT_TRUE(image.painters().empty());
}

} // namespace

namespace {

// The screens shown after each frame by the painter, as RGB values (the key shows through).
std::vector<std::vector<QRgb>> playScreens(TGIFImage& image)
{
    std::vector<std::vector<QRgb>> screens;
    gifPlayFrames(image, rgbToColor(Key), [&](int, const QImage& picture) {
        std::vector<QRgb> screen;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                screen.push_back(picture.pixel(x, y) | 0xFF000000u);
        screens.push_back(screen);
    });
    return screens;
}

TEST(RenderDisposal, EachDisposalLeavesWhatTheNextFrameIsDrawnOn)
{
    constexpr QRgb R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF;
    struct Case
    {
        const char* name;
        int firstDisposal;
        int secondDisposal;
        std::vector<std::vector<QRgb>> screens;
    };
    // Screen 2 x 1: frame 0 is red over both pixels, frame 1 green at x 1, frame 2 blue at x 0
    // (frame 2 disposes "none").
    const Case cases[] = {
        {"keep, keep", 1, 1, {{R, R}, {R, G}, {B, G}}},
        {"unspecified behaves as keep", 0, 0, {{R, R}, {R, G}, {B, G}}},
        {"restore to previous after keep vanishes with the next frame", 1, 3, {{R, R}, {R, G}, {B, R}}},
        {"restore to background shows the canvas again", 1, 2, {{R, R}, {R, G}, {B, Key}}},
        {"background under a restore to previous", 2, 3, {{R, R}, {Key, G}, {B, Key}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGIFImage image;
        image.setWidth(2);
        image.setHeight(1);
        setColors(image.globalColorMap(), {0x000000, 0x0000FF, 0x00FF00, 0xFF0000});
        gce(addFrame(image, 0, 0, 2, 1, {1, 1}))->setDisposal(disposalFromValue(c.firstDisposal));
        gce(addFrame(image, 1, 0, 1, 1, {2}))->setDisposal(disposalFromValue(c.secondDisposal));
        gce(addFrame(image, 0, 0, 1, 1, {3}))->setDisposal(TGIFDisposal::dmKeep);
        EXPECT_EQ(playScreens(image), c.screens);
    }
}

TEST(RenderDisposal, TransparentPixelsShowThePictureBeneath)
{
    TGIFImage image;
    image.setWidth(2);
    image.setHeight(1);
    setColors(image.globalColorMap(), {0x000000, 0x0000FF, 0x00FF00});
    addFrame(image, 0, 0, 2, 1, {1, 1});
    TGIFSubImage* second = addFrame(image, 0, 0, 2, 1, {0, 2});
    gce(second)->setTransparentColorIndex(0);
    gce(second)->setTransparent(true);
    const auto screens = playScreens(image);
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[1], (std::vector<QRgb>{0xFFFF0000, 0xFF00FF00}));
}

} // namespace

namespace {

TEST(RenderDisposal, RestoreToBackgroundWithoutTransparencyFillsTheBackgroundColour)
{
    struct Case
    {
        const char* name;
        TColor drawBackground; // clNone: the image's own choice
        bool globalMap;
        QRgb expected;
    };
    const Case cases[] = {
        {"the colour set for drawing", clYellow, true, qRgb(255, 255, 0)},
        {"the header's background colour", clNone, true, qRgb(0, 255, 0)}, // background index 2
        {"the window colour without a global map", clNone, false, colorToRgb(clWindow)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGIFImage image;
        image.setWidth(2);
        image.setHeight(1);
        const std::vector<TColor> colors = {0x000000, 0x0000FF, 0x00FF00};
        if (c.globalMap) {
            setColors(image.globalColorMap(), colors);
            image.header().setBackgroundColorIndex(2);
        }
        image.setDrawBackgroundColor(c.drawBackground);
        TGIFSubImage* first = addFrame(image, 0, 0, 2, 1, {1, 1});
        TGIFSubImage* second = addFrame(image, 1, 0, 1, 1, {0});
        if (!c.globalMap) {
            setColors(first->colorMap(), colors);
            setColors(second->colorMap(), colors);
        }
        gce(first)->setDisposal(TGIFDisposal::dmBackground);
        TBitmap target(2, 1, pfDevice);
        std::vector<QRgb> leftPixel;
        image.onAfterPaint = [&](TObject*) {
            leftPixel.push_back(target.pixelRgb(0, 0) | 0xFF000000u);
        };
        image.paint(target.canvas(), QRect(0, 0, 2, 1), goAnimate);
        ASSERT_EQ(leftPixel.size(), 2u);
        EXPECT_EQ(leftPixel[0], qRgb(255, 0, 0));
        EXPECT_EQ(leftPixel[1], c.expected | 0xFF000000u);
    }
}

} // namespace

// The cached rendering follows the frame whichever way it was changed: pixels written through
// raw pointers, the global map's colours, and the transparency of the graphic control extension.
TEST_F(RenderFrame, CachedBitmapFollowsEveryChangeOfWhatItShows)
{
    image.setWidth(2);
    image.setHeight(1);
    setColors(image.globalColorMap(), {0x000000, 0xFFFFFF});
    TGIFSubImage* frame = addFrame(image, 0, 0, 2, 1, {0, 1});
    auto colourAt = [&](int x) { return gifFrameBitmap(*frame)->toImage().pixel(x, 0) & 0xFFFFFF; };
    ASSERT_EQ(colourAt(0), 0x000000u);

    frame->scanLine(0)[0] = 1;
    EXPECT_EQ(colourAt(0), 0xFFFFFFu) << "pixel written through scanLine";

    image.globalColorMap().setColor(1, 0x0000FF); // red in the low byte
    EXPECT_EQ(colourAt(0), 0xFF0000u) << "global map colour changed";

    ASSERT_FALSE(gifFrameHasMask(*frame));
    TGIFGraphicControlExtension* control = gce(frame);
    control->setTransparentColorIndex(1); // both pixels are 1 now
    control->setTransparent(true);
    EXPECT_TRUE(gifFrameHasMask(*frame)) << "frame made transparent";
}
