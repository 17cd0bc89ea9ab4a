#include "gif/BitmapReduction.h"
#include "gif/SystemPalettes.h"
#include "graphics/Canvas.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A picture of random colours in a pixel format (indexed formats get random indexes into their
// default palette).
std::unique_ptr<TBitmap> randomBitmap(std::mt19937& random, TPixelFormat format, int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, pf24bit);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->setPixelRgb(x, y, qRgb(byte(random), byte(random), byte(random)));
    bitmap->setPixelFormat(format);
    return bitmap;
}

// Index of pixel x in row y of an 8-bit picture.
int indexAt(TBitmap& bitmap, int x, int y)
{
    return bitmap.scanLine(y)[x];
}

HPALETTE customPalette()
{
    return createPalette(
        {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}, {240, 240, 240, 0}, {90, 200, 10, 0}});
}

} // namespace

TEST(BitmapReduction, EveryIndexLiesInsideTheChosenPalette)
{
    std::mt19937 random(7);
    const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice};
    for (TPixelFormat format : formats) {
        for (uint8_t reduction = 1; reduction <= 9; ++reduction) {
            for (uint8_t dither = 0; dither <= 6; ++dither) {
                SCOPED_TRACE(testing::Message() << "format " << int(format) << " reduction " << int(reduction)
                                                << " dither " << int(dither));
                const int width = 1 + int(random() % 13);
                const int height = 1 + int(random() % 7);
                auto source = randomBitmap(random, format, width, height);
                auto reduced = reduceColors(*source, reduction, dither, 3, customPalette());
                ASSERT_EQ(reduced->width(), width);
                ASSERT_EQ(reduced->height(), height);
                ASSERT_EQ(reduced->pixelFormat(), pf8bit);
                ASSERT_TRUE(reduced->palette());
                const int colors = int(reduced->palette()->entries.size());
                ASSERT_GE(colors, 2);
                ASSERT_LE(colors, 256);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        ASSERT_LT(indexAt(*reduced, x, y), colors) << x << "," << y;
                EXPECT_EQ(source->pixelFormat(), format); // the source is not touched
            }
        }
    }
}

TEST(BitmapReduction, AnyFormatReducesExactlyLikeItsTwentyFourBitPicture)
{
    std::mt19937 random(11);
    for (TPixelFormat format : {pf32bit, pfDevice, pf16bit, pf4bit}) {
        for (uint8_t reduction : {uint8_t(rmNetscape), uint8_t(rmQuantize), uint8_t(rmQuantizeWindows)}) {
            SCOPED_TRACE(testing::Message() << "format " << int(format) << " reduction " << int(reduction));
            auto source = randomBitmap(random, format, 23, 9);
            TBitmap copy;
            copy.assign(source.get());
            copy.setPixelFormat(pf24bit);
            auto a = reduceColors(*source, reduction, dmFloydSteinberg, 6);
            auto b = reduceColors(copy, reduction, dmFloydSteinberg, 6);
            // The buffer reduction over the same rows is the reference.
            const TReduction reference =
                reduceColors(std::as_const(copy).scanLine(0), 23, 9, copy.bytesPerScanLine(), reduction,
                             dmFloydSteinberg, 6, {});
            ASSERT_EQ(reference.kind, TReduction::Kind::Indexed);
            EXPECT_EQ(a->palette()->entries, reference.palette->entries);
            EXPECT_EQ(b->palette()->entries, reference.palette->entries);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 23; ++x) {
                    ASSERT_EQ(indexAt(*a, x, y), reference.pixels[size_t(y * 23 + x)]) << x << "," << y;
                    ASSERT_EQ(indexAt(*b, x, y), reference.pixels[size_t(y * 23 + x)]) << x << "," << y;
                }
        }
    }
}

TEST(BitmapReduction, ReductionZeroIsATwentyFourBitCopy)
{
    std::mt19937 random(3);
    auto source = randomBitmap(random, pf32bit, 5, 4);
    auto copy = reduceColors(*source, rmNone, dmNearest, 8);
    ASSERT_EQ(copy->pixelFormat(), pf24bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(copy->pixelRgb(x, y), source->pixelRgb(x, y) | 0xFF000000u);
    EXPECT_EQ(source->pixelFormat(), pf32bit);
}

TEST(BitmapReduction, InvalidRequestsGiveAnEmptyPicture)
{
    TBitmap source(4, 4, pf24bit);
    struct Case
    {
        uint8_t reduction;
        uint8_t dither;
        int bits;
        HPALETTE custom;
    };
    const Case cases[] = {
        {10, 0, 8, nullptr},                  // no such reduction
        {6, 7, 8, nullptr},                   // no such dither mode
        {rmPalette, 0, 8, nullptr},           // custom without a palette
        {rmPalette, 0, 8, createPalette({})}, // custom with an empty one
        {rmQuantize, 0, 0, nullptr},          // no colours to quantize to
        {rmQuantize, 0, 9, nullptr},          // more than 256
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.reduction) << "/" << int(c.dither) << "/" << c.bits);
        EXPECT_TRUE(reduceColors(source, c.reduction, c.dither, c.bits, c.custom)->empty());
    }
    TBitmap empty;
    EXPECT_TRUE(reduceColors(empty, rmNetscape, 0, 8)->empty());
}

TEST(BitmapReduction, SingleColourQuantizesToItsOwnFirstEntry)
{
    TBitmap source(6, 3, pf24bit);
    source.canvas().brush().color = rgbColor(12, 200, 99);
    source.canvas().fillRect(QRect(0, 0, 6, 3));
    auto reduced = reduceColors(source, rmQuantize, dmFloydSteinberg, 8);
    ASSERT_EQ(reduced->palette()->entries.size(), 256u);
    EXPECT_EQ(reduced->palette()->entries[0], (TPaletteEntry{12, 200, 99, 0}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(indexAt(*reduced, x, y), 0);
}

TEST(BitmapReduction, WebPaletteReductionOfALargePictureKeepsItsPixels)
{
    // More than 500,000 pixels in 32 bits: read row by row, built in 8 bits.
    TBitmap source(1000, 520, pf32bit);
    source.canvas().brush().color = rgbColor(48, 48, 48);
    source.canvas().fillRect(QRect(0, 0, 1000, 520));
    source.setPixelRgb(999, 519, qRgb(47, 47, 47));
    auto reduced = reduceColors(source, rmNetscape, dmNearest, 8);
    ASSERT_EQ(reduced->palette()->entries.size(), 216u);
    EXPECT_EQ(indexAt(*reduced, 0, 0), 43);
    EXPECT_EQ(indexAt(*reduced, 999, 519), 0);
}
