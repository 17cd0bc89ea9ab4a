#include "gif/FrameImport.h"
#include "gif/GIFException.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QRgb colorOf(TColor color)
{
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// Every pixel of the conversion shows the source's colour through the colour map.
void expectSameColors(TBitmap& source, const TFramePixels& frame)
{
    ASSERT_EQ(frame.width, source.width());
    ASSERT_EQ(frame.height, source.height());
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const uint8_t index = frame.pixels[size_t(y * frame.width + x)];
            ASSERT_LT(index, frame.colors.size()) << x << "," << y;
            ASSERT_EQ(colorOf(frame.colors[index]), source.pixelRgb(x, y) | 0xFF000000u) << x << "," << y;
        }
}

std::unique_ptr<TBitmap> pictureOf(TPixelFormat format, int width, int height, int colors, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<QRgb> pool;
    for (int i = 0; i < colors; ++i)
        pool.push_back(qRgb(int(random() % 256), int(random() % 256), int(random() % 256)));
    auto bitmap = std::make_unique<TBitmap>(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->setPixelRgb(x, y, pool[random() % pool.size()]);
    bitmap->setPixelFormat(format);
    return bitmap;
}

QString gifError(const std::function<void()>& call)
{
    try {
        call();
    } catch (const GIFException& e) {
        return e.message();
    }
    return QStringLiteral("(no GIFException)");
}

} // namespace

TEST(FrameImportPixels, EveryFormatShowsItsColoursThroughTheMap)
{
    struct Case
    {
        TPixelFormat format;
        int width;
        int colors;
    };
    const Case cases[] = {{pf1bit, 9, 2},    {pf1bit, 33, 2},  {pf4bit, 7, 16},   {pf8bit, 13, 200},
                          {pf24bit, 11, 90}, {pf32bit, 5, 40}, {pfDevice, 6, 12}, {pf16bit, 4, 20}};
    unsigned seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << int(c.format) << " width " << c.width);
        auto source = pictureOf(c.format, c.width, 5, c.colors, seed++);
        const TFramePixels frame = convertBitmap(*source, 0, 0, 8);
        expectSameColors(*source, frame);
        EXPECT_EQ(source->pixelFormat(), c.format); // the caller's bitmap is not converted
        ASSERT_TRUE(frame.bitmap);
        EXPECT_NE(frame.bitmap.get(), source.get());
    }
}

TEST(FrameImportPixels, OneBitRowOfNinePixelsComesFromTwoBytes)
{
    TBitmap source(9, 2, pf1bit);
    source.scanLine(0)[0] = 0b10100000;
    source.scanLine(0)[1] = 0b10000000;
    source.scanLine(0)[2] = 0xFF; // padding: never read as pixels
    source.scanLine(1)[1] = 0b01111111;
    const TFramePixels frame = convertBitmap(source, 6, 0, 8);
    const std::vector<uint8_t> expected = {1, 0, 1, 0, 0, 0, 0, 0, 1, //
                                           0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(frame.pixels, expected);
    EXPECT_EQ(frame.colors, (std::vector<TColor>{rgbColor(0, 0, 0), rgbColor(255, 255, 255)}));
}

TEST(FrameImportPixels, ColoursEvictedFromTheCacheAreNotAddedTwice)
{
    // Ten colours cycling: more than the cache holds, so every pixel after the first round is a
    // cache miss that must find its colour in the map.
    TBitmap source(30, 3, pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 30; ++x)
            source.setPixelRgb(x, y, qRgb(20 * ((x + y) % 10), 3, 250));
    const TFramePixels frame = convertBitmap(source, 0, 0, 8);
    ASSERT_EQ(frame.colors.size(), 10u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(frame.pixels[size_t(y * 30 + x)], (x + y) % 10);
}

TEST(FrameImportPixels, ReductionRulesForTrueColourOnly)
{
    auto trueColor = pictureOf(pf24bit, 4, 4, 300, 5);
    EXPECT_EQ(gifError([&] { convertBitmap(*trueColor, 9, 0, 8); }),
              QStringLiteral("Invalid reduction method"));
    EXPECT_EQ(gifError([&] { convertBitmap(*trueColor, 6, 7, 8); }),
              QStringLiteral("Invalid reduction method"));

    // Indexed pictures are never reduced, so neither setting matters to them.
    auto indexed = pictureOf(pf8bit, 4, 4, 30, 6);
    expectSameColors(*indexed, convertBitmap(*indexed, 9, 7, 8));

    // Reduction 6: every colour of the map is a web palette colour.
    const TFramePixels web = convertBitmap(*trueColor, 6, 1, 8);
    ASSERT_EQ(web.colors.size(), 216u);
    for (uint8_t index : web.pixels)
        ASSERT_LT(index, 216);
}

TEST(FrameImportPixels, IndexesBeyondThePaletteGetBlackEntries)
{
    TBitmap source(3, 1, pf8bit);
    source.setPalette(createPalette({{255, 0, 0, 0}, {0, 255, 0, 0}}));
    source.scanLine(0)[0] = 1;
    source.scanLine(0)[2] = 5;
    const TFramePixels frame = convertBitmap(source, 6, 0, 8);
    ASSERT_EQ(frame.colors.size(), 6u);
    EXPECT_EQ(frame.colors[1], rgbColor(0, 255, 0));
    EXPECT_EQ(frame.colors[5], rgbColor(0, 0, 0));
    EXPECT_EQ(frame.pixels, (std::vector<uint8_t>{1, 0, 5}));
}

TEST(FrameImportPixels, ProgressStartsStepsEvery32RowsAndAlwaysEnds)
{
    std::vector<std::pair<TProgressStage, int>> seen;
    const TImportProgress record = [&](TProgressStage stage, int percent) {
        seen.emplace_back(stage, percent);
    };
    auto source = pictureOf(pf24bit, 2, 70, 3, 9);
    convertBitmap(*source, 0, 0, 8, record);
    const std::vector<std::pair<TProgressStage, int>> expected = {
        {psStarting, 0}, {psRunning, 0}, {psRunning, 45}, {psRunning, 91}, {psEnding, 100}};
    EXPECT_EQ(seen, expected);

    seen.clear();
    TBitmap tooMany(300, 1, pf24bit);
    for (int x = 0; x < 300; ++x)
        tooMany.setPixelRgb(x, 0, qRgb(x % 256, x / 256, 0));
    EXPECT_THROW(convertBitmap(tooMany, 0, 0, 8, record), GIFException);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().first, psEnding);
}

TEST(FrameImportPixels, EmptyBitmapGivesNoPixels)
{
    TBitmap empty;
    const TFramePixels frame = convertBitmap(empty, 9, 9, 8);
    EXPECT_EQ(frame.width, 0);
    EXPECT_TRUE(frame.pixels.empty());
    EXPECT_FALSE(frame.bitmap);
}
